// The ordered keyed list behind the registers and the Collection object: portable, and
// reaching nothing of the platform or of the other folders.
//
// Items stand in order at positions counted from 1; an item may carry a key, unique in
// the list and compared without regard to case (through the folding function given at
// construction). The items stand in order in chunks of at most kChunk entries; a Fenwick
// tree over the chunks' sizes finds the chunk of a position in O(log(n / kChunk)) steps
// over one small contiguous array, and a hash map leads from the folded key to the item.
// So position and key look-ups stay nearly flat as the list grows; insertion and removal
// move at most one chunk's entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
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
    static constexpr size_t kChunk = 512;

    explicit KeyedList(Fold fold) : fold_(fold) {}
    KeyedList(const KeyedList&) = delete;
    KeyedList& operator=(const KeyedList&) = delete;
    ~KeyedList() { clear(); }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    // Inserts before the item now at index (0-based; size() appends). Fails, adding
    // nothing, when the key is already present or the index is beyond the end.
    bool insert(size_t index, T value, std::optional<std::u16string_view> key = std::nullopt) {
        if (index > size_) return false;
        std::u16string folded;
        if (key) {
            folded = fold_(*key);
            if (byKey_.count(folded)) return false;
        }
        auto item =
            std::make_unique<Item>(Item{std::move(value), key.has_value(), std::move(folded), nullptr});
        if (chunks_.empty()) {
            chunks_.push_back(std::make_unique<Chunk>());
            rebuildIndex();
        }
        auto [k, offset] =
            index == size_ ? std::pair(chunks_.size() - 1, chunks_.back()->items.size()) : locate(index);
        Chunk* chunk = chunks_[k].get();
        item->chunk = chunk;
        Item* raw = item.get();
        chunk->items.insert(chunk->items.begin() + long(offset), raw);
        if (raw->hasKey) byKey_.emplace(raw->folded, raw);
        item.release();
        ++size_;
        if (chunk->items.size() > kChunk)
            split(k);
        else
            add(k, 1);
        return true;
    }

    bool add(T value, std::optional<std::u16string_view> key = std::nullopt) {
        return insert(size_, std::move(value), key);
    }

    // Item at a 1-based position, or nullptr when there is none.
    T* at(int64_t position) const {
        if (position < 1 || uint64_t(position) > size_) return nullptr;
        auto [k, offset] = locate(size_t(position - 1));
        return &chunks_[k]->items[offset]->value;
    }

    T* find(std::u16string_view key) const {
        Item* item = itemOf(key);
        return item ? &item->value : nullptr;
    }

    // 1-based position of the item with that key, or 0.
    size_t positionOf(std::u16string_view key) const {
        Item* item = itemOf(key);
        if (!item) return 0;
        Chunk* chunk = item->chunk;
        return prefix(chunk->index) + offsetIn(chunk, item) + 1;
    }

    bool removeAt(int64_t position) {
        if (position < 1 || uint64_t(position) > size_) return false;
        auto [k, offset] = locate(size_t(position - 1));
        erase(k, offset);
        return true;
    }

    bool removeKey(std::u16string_view key) {
        Item* item = itemOf(key);
        if (!item) return false;
        erase(item->chunk->index, offsetIn(item->chunk, item));
        return true;
    }

    // The first item, in order, for which pred holds, or nullptr.
    template <class P> T* findFirst(P&& pred) const {
        for (auto& chunk : chunks_)
            for (Item* item : chunk->items)
                if (pred(const_cast<const T&>(item->value))) return &item->value;
        return nullptr;
    }

    // Calls f(value) for each item in order.
    template <class F> void forEach(F&& f) const {
        for (auto& chunk : chunks_)
            for (Item* item : chunk->items) f(const_cast<const T&>(item->value));
    }

    std::vector<T> snapshot() const {
        std::vector<T> out;
        out.reserve(size_);
        forEach([&](const T& v) { out.push_back(v); });
        return out;
    }

    void clear() {
        byKey_.clear();
        for (auto& chunk : chunks_)
            for (Item* item : chunk->items) delete item;
        chunks_.clear();
        fenwick_.clear();
        size_ = 0;
    }

private:
    struct Chunk;
    struct Item {
        T value;
        bool hasKey;
        std::u16string folded;
        Chunk* chunk;
    };
    struct Chunk {
        std::vector<Item*> items;
        size_t index = 0; // place in chunks_
    };

    Item* itemOf(std::u16string_view key) const {
        auto it = byKey_.find(fold_(key));
        return it == byKey_.end() ? nullptr : it->second;
    }

    static size_t offsetIn(const Chunk* chunk, const Item* item) {
        size_t i = 0;
        while (chunk->items[i] != item) ++i;
        return i;
    }

    // Fenwick tree over the chunks' sizes (1-based inside).
    void add(size_t k, long delta) {
        for (size_t i = k + 1; i <= fenwick_.size(); i += i & (~i + 1)) fenwick_[i - 1] += size_t(delta);
    }
    // Items in the chunks before chunk k.
    size_t prefix(size_t k) const {
        size_t sum = 0;
        for (size_t i = k; i > 0; i -= i & (~i + 1)) sum += fenwick_[i - 1];
        return sum;
    }
    // Chunk and offset of the item at a 0-based index below size().
    std::pair<size_t, size_t> locate(size_t index) const {
        size_t k = 0, step = 1;
        while (step * 2 <= fenwick_.size()) step *= 2;
        for (; step; step /= 2) {
            if (k + step <= fenwick_.size() && fenwick_[k + step - 1] <= index) {
                k += step;
                index -= fenwick_[k - 1];
            }
        }
        return {k, index};
    }
    void rebuildIndex() {
        fenwick_.assign(chunks_.size(), 0);
        for (size_t k = 0; k < chunks_.size(); ++k) {
            chunks_[k]->index = k;
            fenwick_[k] += chunks_[k]->items.size();
            size_t parent = k + ((k + 1) & (~(k + 1) + 1));
            if (parent < fenwick_.size()) fenwick_[parent] += fenwick_[k];
        }
    }

    void split(size_t k) {
        auto second = std::make_unique<Chunk>();
        auto& items = chunks_[k]->items;
        second->items.assign(items.begin() + long(items.size() / 2), items.end());
        items.resize(items.size() / 2);
        for (Item* item : second->items) item->chunk = second.get();
        chunks_.insert(chunks_.begin() + long(k) + 1, std::move(second));
        rebuildIndex();
    }

    void erase(size_t k, size_t offset) {
        Chunk* chunk = chunks_[k].get();
        Item* item = chunk->items[offset];
        if (item->hasKey) byKey_.erase(item->folded);
        chunk->items.erase(chunk->items.begin() + long(offset));
        --size_;
        if (chunk->items.empty()) {
            chunks_.erase(chunks_.begin() + long(k));
            rebuildIndex();
        } else {
            add(k, -1);
        }
        delete item; // last: releasing the value may call back into the list's owner
    }

    Fold fold_;
    std::vector<std::unique_ptr<Chunk>> chunks_;
    std::vector<size_t> fenwick_;
    std::unordered_map<std::u16string, Item*> byKey_;
    size_t size_ = 0;
};

} // namespace ondrik
