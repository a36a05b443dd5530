// The registers' rules, on the books alone: sharing, duplicate keys, removal by key and
// identity, and every case of a closing (closing twice, an unfiled record, a changed key,
// objects the server did not make).
#include "automation/text_fold.h"
#include "books/application_book.h"
#include "books/session_book.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

using namespace ondrik;

namespace {

// A session or a record as the tests hold it; a record names the session it works in.
struct Object {
    std::u16string name;
    Identity session = nullptr;
};
using Handle = std::shared_ptr<Object>;

Handle make(std::u16string name) {
    return std::make_shared<Object>(Object{std::move(name)});
}

struct Books {
    SessionBook<Handle> sessions{text::foldCase};
    ApplicationBook<Handle> apps{text::foldCase};

    Handle open(std::u16string key, std::u16string company, bool shared) {
        Handle s = make(key);
        EXPECT_TRUE(sessions.file(key, {s, s.get(), std::move(company), shared}));
        return s;
    }
    Handle file(std::u16string key, const Handle& session) {
        Handle r = make(key);
        r->session = session.get();
        EXPECT_TRUE(apps.file(key, r, r.get()));
        return r;
    }
    // Closing a record that the server made, working in a session that the server made (or none).
    void close(const Handle& record, const Handle& session, bool shared, std::u16string key = {}) {
        Closing c;
        c.record = record.get();
        c.recordKey = key.empty() ? record->name : key;
        if (session) {
            c.session = session.get();
            c.sessionKey = session->name;
        }
        c.shared = shared;
        apps.close(c, &sessions, [](const Handle& h) { return h->session; });
    }
    bool sessionFiled(const Handle& s) const {
        const Handle* found = sessions.find(s->name);
        return found && *found == s;
    }
};

} // namespace

TEST(SessionBook, HandsOutTheFirstSharedSessionOfTheCompanyOnly) {
    Books b;
    Handle solo = b.open(u"K1", u"ACME", false);
    EXPECT_EQ(b.sessions.sharedOf(u"ACME"), nullptr); // a session not shared is never handed out
    Handle first = b.open(u"K2", u"ACME", true);
    b.open(u"K3", u"ACME", true); // only by a wrapped or overtaken creation; the first stays the one
    Handle empty = b.open(u"K4", u"", true);
    ASSERT_NE(b.sessions.sharedOf(u"ACME"), nullptr);
    EXPECT_EQ(*b.sessions.sharedOf(u"ACME"), first);
    EXPECT_EQ(b.sessions.sharedOf(u"acme"), nullptr);  // case counts
    EXPECT_EQ(b.sessions.sharedOf(u"ACME "), nullptr); // so does a trailing blank
    ASSERT_NE(b.sessions.sharedOf(u""), nullptr);      // the empty code is a code like any other
    EXPECT_EQ(*b.sessions.sharedOf(u""), empty);
    EXPECT_EQ(b.sessions.size(), 4u);
    EXPECT_EQ(*b.sessions.at(1), solo);
    EXPECT_EQ(b.sessions.at(0), nullptr);
    EXPECT_EQ(b.sessions.at(5), nullptr);
    EXPECT_EQ(*b.sessions.find(u"k2"), first); // keys without regard to case
}

TEST(SessionBook, AKeyTakenFilesNothingAndRemovalGoesByKeyAndIdentity) {
    Books b;
    Handle s = b.open(u"K7", u"ACME", true);
    Handle twin = make(u"K7"); // the same ID after the counter wraps
    EXPECT_FALSE(b.sessions.file(u"k7", {twin, twin.get(), u"ACME", true}));
    EXPECT_EQ(b.sessions.size(), 1u);
    EXPECT_FALSE(b.sessions.remove(u"K7", twin.get())); // the twin does not take the filed one out
    EXPECT_FALSE(b.sessions.remove(u"K7", nullptr));
    EXPECT_FALSE(b.sessions.remove(u"K8", s.get()));
    EXPECT_TRUE(b.sessionFiled(s));
    EXPECT_EQ(s.use_count(), 2); // the test's and the book's
    EXPECT_TRUE(b.sessions.remove(u"k7", s.get()));
    EXPECT_EQ(s.use_count(), 1); // the entry's reference went with it; the session lives on
    EXPECT_FALSE(b.sessions.remove(u"K7", s.get())); // already gone: nothing changes
    EXPECT_EQ(b.sessions.size(), 0u);
    EXPECT_EQ(b.sessions.sharedOf(u"ACME"), nullptr);
}

TEST(ApplicationBook, ADuplicateKeyLeavesTheFirstRecordFiled) {
    Books b;
    Handle first = b.file(u"Demo|1|2", nullptr);
    Handle second = make(u"Demo|1|2");
    EXPECT_FALSE(b.apps.file(u"DEMO|1|2", second, second.get()));
    Handle third = b.file(u"Demo|1|3", nullptr);
    EXPECT_EQ(b.apps.size(), 2u);
    EXPECT_EQ(*b.apps.find(u"demo|1|2"), first);
    // Closing the unfiled one takes nothing out: what is filed under its key is another record.
    Closing c;
    c.record = second.get();
    c.recordKey = second->name;
    b.apps.close(c, &b.sessions, [](const Handle& h) { return h->session; });
    ASSERT_EQ(b.apps.size(), 2u);
    EXPECT_EQ(*b.apps.find(u"Demo|1|2"), first);
    b.close(first, nullptr, false);
    EXPECT_EQ(b.apps.size(), 1u);
    EXPECT_EQ(*b.apps.at(1), third); // the gap closes
    EXPECT_EQ(b.apps.handles(), std::vector<Handle>{third});
}

TEST(ApplicationBook, ASessionNotSharedLeavesWithTheFirstClosingAndASharedOneWithTheLast) {
    Books b;
    Handle solo = b.open(u"K1", u"ACME", false), shared = b.open(u"K2", u"ACME", true);
    Handle a = b.file(u"A|0|0", solo), c = b.file(u"C|0|0", solo);
    b.close(a, solo, false); // others work in it: it leaves all the same
    EXPECT_FALSE(b.sessionFiled(solo));
    b.close(c, solo, false); // no longer filed: nothing else changes
    EXPECT_EQ(b.apps.size(), 0u);

    Handle x = b.file(u"X|0|0", shared), y = b.file(u"Y|0|0", shared), z = b.file(u"Z|0|0", nullptr);
    b.close(x, shared, true);
    EXPECT_TRUE(b.sessionFiled(shared)); // y works in it still
    b.close(x, shared, true);            // closing twice: not filed, takes it from nobody
    EXPECT_TRUE(b.sessionFiled(shared));
    EXPECT_EQ(b.apps.size(), 2u);
    b.close(y, shared, true); // the last filed record working in it
    EXPECT_FALSE(b.sessionFiled(shared));
    EXPECT_EQ(*b.apps.at(1), z);
}

TEST(ApplicationBook, AChangedKeyKeepsTheEntryWhileTheSessionIsSettledByIdentity) {
    Books b;
    Handle shared = b.open(u"K2", u"ACME", true);
    Handle moved = b.file(u"M|0|1", shared), other = b.file(u"O|0|1", shared);
    b.close(moved, shared, true, u"M|0|2"); // another works in the session; the entry is not found
    EXPECT_EQ(b.apps.size(), 2u);
    EXPECT_TRUE(b.sessionFiled(shared));
    other->session = nullptr;               // its session set anew, to none
    b.close(moved, shared, true, u"M|0|2"); // filed, under whatever key, and the last: it leaves
    EXPECT_FALSE(b.sessionFiled(shared));
    EXPECT_EQ(b.apps.size(), 2u);
    b.close(moved, shared, true, u"m|0|1");
    EXPECT_EQ(*b.apps.at(1), other);

    // A key changed into another filed record's: that record stays, and keeps its session.
    Books c;
    Handle session = c.open(u"K5", u"ACME", true);
    Handle a = c.file(u"X|5|1", nullptr), bee = c.file(u"X|5|2", session), third = c.file(u"X|5|3", session);
    c.close(a, nullptr, false, u"x|5|2");
    ASSERT_EQ(c.apps.size(), 3u);
    c.close(third, session, true);
    EXPECT_TRUE(c.sessionFiled(session)); // bee still works in it
    EXPECT_EQ(*c.apps.find(u"X|5|2"), bee);
}

TEST(ApplicationBook, ObjectsTheServerDidNotMakeNeverTakeASharedSessionOrAnEntry) {
    Books b;
    Handle shared = b.open(u"K2", u"ACME", true), solo = b.open(u"K3", u"ACME", false);
    Handle filed = b.file(u"F|0|0", shared);
    auto sessionOf = [](const Handle& h) { return h->session; };
    // A record of a client's own making: no identity of ours, no key.
    Closing own;
    own.session = shared.get();
    own.sessionKey = shared->name;
    own.shared = true;
    b.apps.close(own, &b.sessions, sessionOf);
    EXPECT_TRUE(b.sessionFiled(shared));
    own.session = solo.get(); // but a session that is not shared leaves at once
    own.sessionKey = solo->name;
    own.shared = false;
    b.apps.close(own, &b.sessions, sessionOf);
    EXPECT_FALSE(b.sessionFiled(solo));
    // A session of a client's own making, even claiming a filed key, takes nothing out.
    Object foreign{u"K2"};
    Closing c;
    c.record = filed.get();
    c.recordKey = filed->name;
    c.session = &foreign;
    c.sessionKey = u"K2";
    b.apps.close(c, &b.sessions, sessionOf);
    EXPECT_TRUE(b.sessionFiled(shared));
    EXPECT_EQ(b.apps.size(), 0u);
    // Without a session only the entry goes.
    Handle r = b.file(u"R|0|0", nullptr);
    Closing bare;
    bare.record = r.get();
    bare.recordKey = r->name;
    b.apps.close(bare, &b.sessions, sessionOf);
    EXPECT_EQ(b.apps.size(), 0u);
    EXPECT_EQ(b.sessions.size(), 1u);
}
