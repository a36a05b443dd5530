// The application register's rules, apart from the objects and the waits (books/book.h).
// Each entry holds the record's handle and identity. Which session a filed record works
// in is asked of sessionOf: a plain reading of the identity each record took when its
// session was set, never a call into a client.
#pragma once

#include "books/book.h"
#include "books/session_book.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace ondrik {

// What a closing knows of the record and its session, all of it read before the books
// are asked to decide.
struct Closing {
    // The record's identity and its key as it is now; nullptr and none for a record that
    // the server did not make (such a record is never filed).
    Identity record = nullptr;
    std::optional<std::u16string> recordKey;
    // The record's session: its identity (nullptr without one), its key (none for a
    // session that the server did not make, which is never filed), and whether it counts
    // as shared at closing.
    Identity session = nullptr;
    std::optional<std::u16string> sessionKey;
    bool shared = false;
};

template <class H> struct ApplicationEntry {
    H handle;
    Identity identity;
};

template <class H> class ApplicationBook : public Book<ApplicationEntry<H>> {
public:
    using Entry = ApplicationEntry<H>;
    using Book<Entry>::Book;

    // Files the record at the end under key. False, filing nothing, when the key is taken:
    // the record filed earlier keeps it.
    bool file(std::u16string_view key, H handle, Identity identity) {
        return this->entries_.add(Entry{std::move(handle), identity}, key);
    }

    // Settles the closing record's session in sessions (when there is a session book),
    // then takes out the entry filed under the record's current key when it is the
    // closing record, in one step. A session that is not shared leaves at once; a shared
    // one only when the closing record is filed (under whatever key) and no other filed
    // record works in it, so a record that is not filed (closed already, never filed)
    // never takes it from the others. A record whose key has changed since it was filed is
    // not found, and its entry stays; so does another record's entry under that key.
    template <class SessionHandle, class SessionOf>
    void close(const Closing& c, SessionBook<SessionHandle>* sessions, SessionOf&& sessionOf) {
        if (sessions && c.session && c.sessionKey && (!c.shared || lastInSession(c.record, c.session, sessionOf)))
            sessions->remove(*c.sessionKey, c.session);
        if (c.recordKey) this->removeFiled(*c.recordKey, c.record);
    }

private:
    template <class SessionOf>
    bool lastInSession(Identity record, Identity session, SessionOf& sessionOf) const {
        if (!record) return false;
        bool filed = false, others = false;
        this->entries_.forEach([&](const Entry& e) {
            if (e.identity == record)
                filed = true;
            else if (sessionOf(e.handle) == session)
                others = true;
        });
        return filed && !others;
    }
};

} // namespace ondrik
