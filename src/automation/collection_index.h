// How a collection reads the Index of Item and Remove: a number is a position (brought
// to a whole number by the runtime's conversion to Long), a string is a key, and any
// other kind of value designates nothing.
#pragma once

#include "lists/keyed_list.h"

#include <windows.h>

#include <oaidl.h>
#include <string>

namespace ondrik {

struct CollectionIndex {
    enum class Kind { Position, Key, None } kind = Kind::None;
    long position = 0;
    std::u16string key;
};

CollectionIndex readIndex(const VARIANT& index);

// The item that the index designates, or nullptr: in a keyed list, or in anything that
// looks up by position (at) and by key (find) as it does.
template <class List> auto lookup(const List& list, const CollectionIndex& index) -> decltype(list.at(0)) {
    switch (index.kind) {
    case CollectionIndex::Kind::Position:
        return list.at(index.position);
    case CollectionIndex::Kind::Key:
        return list.find(index.key);
    default:
        return nullptr;
    }
}

} // namespace ondrik
