// The ordered keyed list behind the registers and the Collection object.
//
// Items stand in order at positions counted from 1; an item may carry a key, unique in
// the list and compared without regard to case (through the folding function given at
// construction). Position and key look-ups, insertion anywhere and removal all cost
// O(log n): the items live in an implicit treap (a randomised balanced tree ordered by
// position, each node counting its subtree) and a hash map leads from the folded key
// to the node.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace ondrik {

template <class T> class KeyedList {
public:
    using Fold = std::u16string (*)(std::u16string_view);

    explicit KeyedList(Fold fold) : fold_(fold) {}
    KeyedList(const KeyedList&) = delete;
    KeyedList& operator=(const KeyedList&) = delete;
    ~KeyedList() { clear(); }

    size_t size() const { return root_ ? root_->size : 0; }
    bool empty() const { return root_ == nullptr; }

    // Inserts before the item now at index (0-based; size() appends). Fails, adding
    // nothing, when the key is already present or the index is beyond the end.
    bool insert(size_t index, T value, std::optional<std::u16string_view> key = std::nullopt) {
        if (index > size()) return false;
        std::u16string folded;
        if (key) {
            folded = fold_(*key);
            if (byKey_.count(folded)) return false;
        }
        Node* node = new Node{std::move(value), key.has_value(), folded, nextPriority()};
        if (key) byKey_.emplace(std::move(folded), node);
        auto [left, right] = split(root_, index);
        root_ = merge(merge(left, node), right);
        root_->parent = nullptr;
        return true;
    }

    bool add(T value, std::optional<std::u16string_view> key = std::nullopt) {
        return insert(size(), std::move(value), key);
    }

    // Item at a 1-based position, or nullptr when there is none.
    T* at(int64_t position) const {
        Node* n = nodeAt(position);
        return n ? &n->value : nullptr;
    }

    T* find(std::u16string_view key) const {
        Node* n = nodeOf(key);
        return n ? &n->value : nullptr;
    }

    // 1-based position of the item with that key, or 0.
    size_t positionOf(std::u16string_view key) const {
        Node* n = nodeOf(key);
        return n ? rank(n) : 0;
    }

    bool removeAt(int64_t position) {
        Node* n = nodeAt(position);
        if (!n) return false;
        erase(n);
        return true;
    }

    bool removeKey(std::u16string_view key) {
        Node* n = nodeOf(key);
        if (!n) return false;
        erase(n);
        return true;
    }

    // The first item, in order, for which pred holds, or nullptr.
    template <class P> T* findFirst(P&& pred) const {
        T* found = nullptr;
        forEachUntil(root_, [&](const T& v) {
            if (pred(v)) found = const_cast<T*>(&v);
            return found != nullptr;
        });
        return found;
    }

    // Calls f(value) for each item in order.
    template <class F> void forEach(F&& f) const {
        forEachUntil(root_, [&](const T& v) {
            f(v);
            return false;
        });
    }

    std::vector<T> snapshot() const {
        std::vector<T> out;
        out.reserve(size());
        forEach([&](const T& v) { out.push_back(v); });
        return out;
    }

    void clear() {
        destroy(root_);
        root_ = nullptr;
        byKey_.clear();
    }

private:
    struct Node {
        T value;
        bool hasKey;
        std::u16string folded;
        uint32_t priority;
        size_t size = 1;
        Node* left = nullptr;
        Node* right = nullptr;
        Node* parent = nullptr;
    };

    static size_t sizeOf(Node* n) { return n ? n->size : 0; }

    static void update(Node* n) {
        n->size = 1 + sizeOf(n->left) + sizeOf(n->right);
        if (n->left) n->left->parent = n;
        if (n->right) n->right->parent = n;
    }

    uint32_t nextPriority() {
        seed_ ^= seed_ << 13;
        seed_ ^= seed_ >> 17;
        seed_ ^= seed_ << 5;
        return seed_;
    }

    // Splits t into its first count items and the rest.
    static std::pair<Node*, Node*> split(Node* t, size_t count) {
        if (!t) return {nullptr, nullptr};
        if (sizeOf(t->left) >= count) {
            auto [a, b] = split(t->left, count);
            t->left = b;
            update(t);
            if (a) a->parent = nullptr;
            return {a, t};
        }
        auto [a, b] = split(t->right, count - sizeOf(t->left) - 1);
        t->right = a;
        update(t);
        if (b) b->parent = nullptr;
        return {t, b};
    }

    static Node* merge(Node* a, Node* b) {
        if (!a) return b;
        if (!b) return a;
        if (a->priority > b->priority) {
            a->right = merge(a->right, b);
            update(a);
            return a;
        }
        b->left = merge(a, b->left);
        update(b);
        return b;
    }

    Node* nodeAt(int64_t position) const {
        if (position < 1 || uint64_t(position) > size()) return nullptr;
        size_t k = size_t(position - 1);
        Node* n = root_;
        while (n) {
            size_t l = sizeOf(n->left);
            if (k < l) {
                n = n->left;
            } else if (k == l) {
                return n;
            } else {
                k -= l + 1;
                n = n->right;
            }
        }
        return nullptr;
    }

    Node* nodeOf(std::u16string_view key) const {
        auto it = byKey_.find(fold_(key));
        return it == byKey_.end() ? nullptr : it->second;
    }

    static size_t rank(Node* n) {
        size_t r = sizeOf(n->left) + 1;
        for (; n->parent; n = n->parent)
            if (n == n->parent->right) r += sizeOf(n->parent->left) + 1;
        return r;
    }

    void erase(Node* n) {
        if (n->hasKey) byKey_.erase(n->folded);
        Node* joined = merge(n->left, n->right);
        Node* parent = n->parent;
        if (joined) joined->parent = parent;
        if (!parent) {
            root_ = joined;
        } else {
            (parent->left == n ? parent->left : parent->right) = joined;
            for (Node* p = parent; p; p = p->parent) p->size = 1 + sizeOf(p->left) + sizeOf(p->right);
        }
        delete n;
    }

    // In-order walk that stops once f returns true; returns whether it stopped.
    template <class F> static bool forEachUntil(Node* n, F&& f) {
        while (n) {
            if (forEachUntil(n->left, f)) return true;
            if (f(const_cast<const T&>(n->value))) return true;
            n = n->right;
        }
        return false;
    }

    static void destroy(Node* n) {
        while (n) {
            destroy(n->left);
            Node* right = n->right;
            delete n;
            n = right;
        }
    }

    Fold fold_;
    Node* root_ = nullptr;
    std::unordered_map<std::u16string, Node*> byKey_;
    uint32_t seed_ = 2463534242u;
};

} // namespace ondrik
