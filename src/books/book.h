// What the two registers' books share: the entries in filing order under unique keys
// (compared without regard to case through the folding function given), each entry
// holding a handle (what owns the object where the book is used), and the look-ups of
// the collections' Count, Item and NewEnum.
//
// This folder reaches nothing but the keyed list: no wait, no platform and no client's
// object can be reached from here, so each operation of a book decides and acts with
// nothing in between (docs/reentrancy.md, rule 2). The build enforces it (the folder's
// dependencies in CMakeLists.txt, checked by scripts/check-layers.py).
#pragma once

#include "lists/keyed_list.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace ondrik {

// The identity of an object that a book holds, as the rules compare it: an opaque
// address, taken by the caller without a call into a client, and never followed.
using Identity = const void*;

template <class Entry> class Book {
public:
    using Handle = decltype(Entry::handle);
    using Fold = typename KeyedList<Entry>::Fold;

    explicit Book(Fold fold) : entries_(fold) {}

    size_t size() const { return entries_.size(); }
    // The handle at a 1-based position, or nullptr.
    const Handle* at(int64_t position) const { return handleOf(entries_.at(position)); }
    // The handle filed under key (without regard to case), or nullptr.
    const Handle* find(std::u16string_view key) const { return handleOf(entries_.find(key)); }
    // Every handle, in filing order.
    std::vector<Handle> handles() const {
        std::vector<Handle> out;
        out.reserve(entries_.size());
        entries_.forEach([&](const Entry& e) { out.push_back(e.handle); });
        return out;
    }

protected:
    static const Handle* handleOf(const Entry* e) { return e ? &e->handle : nullptr; }

    // Takes out the entry under key when it is the object of that identity: another object
    // filed under the same key stays. False when nothing was taken out.
    bool removeFiled(std::u16string_view key, Identity identity) {
        const Entry* filed = entries_.find(key);
        return identity && filed && filed->identity == identity && entries_.removeKey(key);
    }

    KeyedList<Entry> entries_;
};

} // namespace ondrik
