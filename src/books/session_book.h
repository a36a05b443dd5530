// The session register's rules, apart from the objects and the waits (books/book.h). Each
// entry holds, besides the session's handle, the values the rules look at, given when the
// session is filed (none of them changes afterwards): its identity, its company and
// whether it is shared.
#pragma once

#include "books/book.h"

#include <string>
#include <string_view>
#include <utility>

namespace ondrik {

template <class H> struct SessionEntry {
    H handle;
    Identity identity;
    std::u16string company;
    bool shared;
};

template <class H> class SessionBook : public Book<SessionEntry<H>> {
public:
    using Entry = SessionEntry<H>;
    using Book<Entry>::Book;

    // The company's shared session: the first entry filed as shared whose company equals
    // company ordinally (case included), or nullptr.
    const H* sharedOf(std::u16string_view company) const {
        return this->handleOf(
            this->entries_.findFirst([&](const Entry& e) { return e.shared && e.company == company; }));
    }

    // Files the session at the end under key. False, filing nothing, when the key is
    // taken (only after the tick counter has wrapped).
    bool file(std::u16string_view key, Entry entry) { return this->entries_.add(std::move(entry), key); }

    // Takes out the entry under key when it is the session of that identity: another
    // session filed under the same key stays. False when nothing was taken out.
    bool remove(std::u16string_view key, Identity identity) { return this->removeFiled(key, identity); }
};

} // namespace ondrik
