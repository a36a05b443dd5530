// Another client's call placed inside each wait of the server, deterministically, and the
// registers checked afterwards: unique keys, every held session entered under its key,
// exact counts, one shared session per company (docs/reentrancy.md).
#include "client_objects.h"
#include "dispatch_helpers.h"
#include "fake_app.h"
#include "fresh_state.h"
#include "file_helpers.h"
#include "inside_wait.h"
#include "threaded_app.h"

#include "applications/applications.h"
#include "global/global.h"
#include "sessions/sessions.h"
#include "shell_link/shell_link.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace ondrik;
using namespace testing_ondrik;

namespace {

using Held = std::vector<ComPtr<_Sessione>>;

// A company of the test's own.
std::wstring company(const char* name) {
    static int run = 0;
    return L"RIENTRO-" + std::to_wstring(++run) + L"-" + std::wstring(name, name + strlen(name));
}

long idOf(_Sessione* s) {
    long id = 0;
    s->get_ID(&id);
    return id;
}

std::wstring keyOf(_Sessione* s) {
    return L"K" + std::to_wstring(idOf(s));
}

template <class Register> long countOf(Register* r) {
    long n = -1;
    r->Count(&n);
    return n;
}

// Each test's registers are its own (a fresh process state); the companies are still
// named apart, for the messages.
class Reentrancy : public FreshState {
protected:
    ComPtr<_Sessione> open(const std::wstring& code, bool shared) {
        ComPtr<_Sessione> s;
        Bstr c(code.c_str()), user(L"u"), password(L"p");
        EXPECT_EQ(sessions()->Apri(c.get(), shared ? VARIANT_TRUE : VARIANT_FALSE, user.get(), password.get(),
                                   s.put()),
                  S_OK);
        EXPECT_TRUE(s);
        return s;
    }

    // The session register against what the test holds: every key once, every held session
    // entered under its own key, the count grown by exactly added, and no company with two
    // shared sessions.
    void checkSessions(const Held& held, long before, long added) {
        Sessions* reg = sessions();
        long n = countOf(reg);
        EXPECT_EQ(n, before + added) << "sessions counted exactly";
        std::set<std::wstring> keys, sharedCompanies;
        for (long i = 1; i <= n; ++i) {
            ComPtr<_Sessione> s;
            reg->Item(i4(i), s.put());
            ASSERT_TRUE(s) << "entry " << i;
            EXPECT_TRUE(keys.insert(keyOf(s.get())).second) << "key twice: " << keyOf(s.get()).c_str();
            VARIANT_BOOL shared = 0;
            Bstr code;
            s->get_Condivisa(&shared);
            s->get_CodiceAzienda(code.put());
            std::wstring c = code.get() ? code.get() : L"";
            if (shared && c.rfind(L"RIENTRO-", 0) == 0) {
                EXPECT_TRUE(sharedCompanies.insert(c).second) << "two shared sessions for one company";
            }
        }
        for (const ComPtr<_Sessione>& s : held) {
            ComPtr<_Sessione> entered;
            ondrik::Variant key = owned(str(keyOf(s.get()).c_str()));
            reg->Item(*key.get(), entered.put());
            EXPECT_EQ(entered.get(), s.get())
                << "a held session is entered under its key: " << keyOf(s.get()).c_str();
        }
    }
};

} // namespace

TEST_F(Reentrancy, ASessionOpenedInsideAnotherOpensTickWait) {
    for (bool outerShared : {false, true})
        for (bool innerShared : {false, true}) {
            SCOPED_TRACE(std::string("outer ") + (outerShared ? "shared" : "not shared") + ", inner " +
                         (innerShared ? "shared" : "not shared"));
            std::wstring code = company("apri");
            long before = countOf(sessions());
            ComPtr<_Sessione> outer, inner;
            insideWaitOf([&] { outer = open(code, outerShared); }, [&] { inner = open(code, innerShared); });
            ASSERT_TRUE(outer && inner);
            // A shared session made meanwhile is the one handed out: one per company.
            bool same = outerShared && innerShared;
            EXPECT_EQ(outer.get() == inner.get(), same);
            if (!same) {
                EXPECT_NE(idOf(outer.get()), idOf(inner.get()));
            }
            checkSessions({outer, inner}, before, same ? 1 : 2);
        }
}

TEST_F(Reentrancy, EveryWaitOfTheTickSourceOvertakenAndNoIdComesTwice) {
    // A session made inside each wait of one creation, as long as the creation waits: the
    // one inside takes the reading the outer one would have taken, so the outer one waits
    // again, and is overtaken again.
    std::wstring code = company("tick");
    long before = countOf(sessions());
    Held held;
    int budget = 5;
    std::function<void()> overtake = [&] {
        held.push_back(open(code, false));
        if (--budget > 0) runInsideNextWait(overtake);
    };
    runInsideNextWait(overtake);
    held.push_back(open(code, false));
    runInsideNextWait(nullptr);
    std::printf("(one creation was overtaken %d times)\n", int(held.size()) - 1);
    EXPECT_GE(held.size(), 2u);
    std::set<long> ids;
    for (auto& s : held) EXPECT_TRUE(ids.insert(idOf(s.get())).second) << "ID twice: " << idOf(s.get());
    checkSessions(held, before, long(held.size()));
}

TEST_F(Reentrancy, TheSharedSessionClosedInsideASharedOpen) {
    std::wstring code = company("chiudi");
    Applications* apps = applications();
    long sessionsBefore = countOf(sessions()), appsBefore = countOf(apps);
    ComPtr<_Sessione> outer, closed;
    insideWaitOf([&] { outer = open(code, true); },
                 [&] {
                     // Another application opens the company's shared session, works in it
                     // alone and closes: the session leaves the register.
                     closed = open(code, true);
                     FakeApp app;
                     app.text(L"EXEName", L"Rientro").number(L"hInstance", 1).number(L"ThreadID", 2);
                     ComPtr<_Applicazione> record;
                     apps->Apri(objectArg(&app), record.put());
                     ASSERT_TRUE(record);
                     record->putref_Sessione(closed.get());
                     apps->Chiudi(record.get());
                 });
    ASSERT_TRUE(outer && closed);
    EXPECT_NE(outer.get(), closed.get()); // a session no longer entered is not handed out
    ComPtr<_Sessione> gone;
    ondrik::Variant key = owned(str(keyOf(closed.get()).c_str()));
    sessions()->Item(*key.get(), gone.put());
    EXPECT_FALSE(gone);
    EXPECT_EQ(countOf(apps), appsBefore);
    checkSessions({outer}, sessionsBefore, 1);
    EXPECT_EQ(open(code, true).get(), outer.get());
}

TEST_F(Reentrancy, TheSameApplicationRegisteredInsideAnotherRegistrationsRead) {
    Applications* apps = applications();
    auto fill = [](FakeApp& app) {
        app.text(L"EXEName", L"Doppia")
            .text(L"Title", L"fuori")
            .number(L"hInstance", 7)
            .number(L"ThreadID", 8);
    };
    ThreadedApp client(fill); // read through a proxy: the read waits, serving
    client.startAnswering();
    FakeApp same;
    fill(same);
    same.text(L"Title", L"dentro");
    long before = countOf(apps);
    ComPtr<_Applicazione> outer, inner;
    insideWaitOf([&] { EXPECT_EQ(apps->Apri(objectArg(client.proxy()), outer.put()), S_OK); },
                 [&] { EXPECT_EQ(apps->Apri(objectArg(&same), inner.put()), S_OK); });
    ASSERT_TRUE(outer && inner);
    // The record filed first keeps the key; the other one is handed out complete, unfiled.
    EXPECT_EQ(countOf(apps), before + 1);
    ComPtr<_Applicazione> filed;
    ondrik::Variant key = owned(str(L"doppia|7|8"));
    apps->Item(*key.get(), filed.put());
    EXPECT_EQ(filed.get(), inner.get());
    Bstr title;
    outer->get_Title(title.put());
    EXPECT_STREQ(title.get(), L"fuori");
    apps->Chiudi(inner.get());
    EXPECT_EQ(countOf(apps), before);
}

TEST_F(Reentrancy, WaitsNestInsideEachOtherAndEndInnermostFirst) {
    // As in the waits scenario: while one client sleeps, another makes a session, whose tick
    // wait lets a third make folders, whose file work lets a fourth sleep and write a
    // shortcut. Each call ends before the one it came inside.
    auto g = ondrik::Global::create(state);
    auto link = ondrik::ShellLink::create();
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring dir = std::wstring(temp) + L"ondrik-rientro-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
    std::wstring code = company("annidate");
    long before = countOf(sessions());
    std::vector<std::string> ended;
    ComPtr<_Sessione> session;
    insideWaitOf(
        [&] {
            EXPECT_EQ(g->Sleep(50), S_OK);
            ended.push_back("Sleep");
        },
        [&] {
            insideWaitOf(
                [&] {
                    session = open(code, false);
                    ended.push_back("Sessioni.Apri");
                },
                [&] {
                    insideWaitOf(
                        [&] {
                            Bstr path((dir + L"\\a\\b").c_str());
                            EXPECT_EQ(g->CreaDirectory(path.get()), S_OK);
                            ended.push_back("CreaDirectory");
                        },
                        [&] {
                            EXPECT_EQ(g->Sleep(20), S_OK);
                            Bstr target((dir + L"\\a").c_str()), lnk((dir + L"\\a.lnk").c_str());
                            VARIANT_BOOL made = VARIANT_FALSE;
                            ASSERT_TRUE(makeFile(dir + L"\\t.txt"));
                            Bstr file((dir + L"\\t.txt").c_str());
                            link->put_FileCollegato(file.get());
                            link->CreaCollegamento(lnk.get(), &made);
                            EXPECT_EQ(made, VARIANT_TRUE);
                            ended.push_back("CreaCollegamento");
                        });
                });
        });
    EXPECT_EQ(ended,
              (std::vector<std::string>{"CreaCollegamento", "CreaDirectory", "Sessioni.Apri", "Sleep"}));
    EXPECT_TRUE(isFolder(dir + L"\\a\\b"));
    EXPECT_TRUE(isFile(dir + L"\\a.lnk"));
    ASSERT_TRUE(session);
    checkSessions({session}, before, 1);
    removeTree(dir);
}

TEST_F(Reentrancy, AClosingReadsItsRecordOnceAndASharedSessionLeavesWithItsLastFiledRecord) {
    // Three filed records share a session. A record of a client's own making is closed,
    // and while the server waits for its session, two of the three are closed. The record
    // is read once; not being filed, it takes the session from nobody.
    Applications* apps = applications();
    std::wstring code = company("cammino");
    long sessionsBefore = countOf(sessions()), appsBefore = countOf(apps);
    ComPtr<_Sessione> shared = open(code, true);
    FakeApp app;
    app.text(L"EXEName", L"Cammino").number(L"ThreadID", 1);
    std::vector<ComPtr<_Applicazione>> records(3);
    for (int i = 0; i < 3; ++i) {
        app.number(L"hInstance", i);
        apps->Apri(objectArg(&app), records[i].put());
        ASSERT_TRUE(records[i]);
        records[i]->putref_Sessione(shared.get());
    }
    ClientRecord own(shared.get(), [&] {
        apps->Chiudi(records[1].get());
        apps->Chiudi(records[2].get());
    });
    EXPECT_EQ(apps->Chiudi(&own), S_OK);
    EXPECT_EQ(own.reads(), 1);
    EXPECT_EQ(countOf(apps), appsBefore + 1);
    checkSessions({shared}, sessionsBefore, 1);

    // A record whose key has changed is filed all the same, and works in the session.
    // (Closing twice, and a changed key while another works in the session, are the
    // application book's tests: tests/native/books_test.cpp.)
    app.number(L"hInstance", 9);
    ComPtr<_Applicazione> moved;
    apps->Apri(objectArg(&app), moved.put());
    ASSERT_TRUE(moved);
    moved->putref_Sessione(shared.get());
    moved->put_ThreadID(2);

    // The last filed record that works in it takes it out, even under a changed key.
    ComPtr<_Applicazione> first;
    ondrik::Variant key = owned(str(L"cammino|0|1"));
    apps->Item(*key.get(), first.put());
    EXPECT_EQ(first.get(), records[0].get());
    apps->Chiudi(records[0].get());
    checkSessions({shared}, sessionsBefore, 1);
    moved->putref_Sessione(nullptr);
    moved->putref_Sessione(shared.get()); // set anew: the same session, the same decision
    apps->Chiudi(moved.get());
    EXPECT_EQ(countOf(sessions()), sessionsBefore);
    EXPECT_NE(open(code, true).get(), shared.get());
    moved->put_ThreadID(1);
    apps->Chiudi(moved.get());
    EXPECT_EQ(countOf(apps), appsBefore);
}

TEST_F(Reentrancy, ARecordCountsInItsNewSessionWhileItsOldOneIsLetGo) {
    // A record moves from a session of its client's making to the company's shared session,
    // where another record works. Letting go of the old session is a call into the client,
    // and meanwhile the other record closes: the session stays for the record that moved.
    Applications* apps = applications();
    std::wstring code = company("cambio");
    long sessionsBefore = countOf(sessions());
    ComPtr<_Sessione> shared = open(code, true);
    FakeApp app;
    app.text(L"EXEName", L"Cambio").number(L"ThreadID", 1);
    ComPtr<_Applicazione> moving, other;
    apps->Apri(objectArg(&app), moving.put());
    app.number(L"hInstance", 1);
    apps->Apri(objectArg(&app), other.put());
    ASSERT_TRUE(moving && other);
    other->putref_Sessione(shared.get());
    bool closed = false;
    auto* own = new ClientSession([&] { closed = SUCCEEDED(apps->Chiudi(other.get())); });
    moving->putref_Sessione(own);
    own->Release();
    EXPECT_EQ(moving->putref_Sessione(shared.get()), S_OK);
    ASSERT_TRUE(closed) << "the old session was not let go";
    checkSessions({shared}, sessionsBefore, 1);
    apps->Chiudi(moving.get()); // now the last one in it
    EXPECT_EQ(countOf(sessions()), sessionsBefore);
}

namespace {

// Makes the silent clients answer after a minute, so that a call that waits for them
// without a bound ends, and fails its test, rather than hanging the run.
class Unsilence {
public:
    explicit Unsilence(std::vector<ClientThread*> threads) : threads_(std::move(threads)) {
        done_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, &Unsilence::run, this, 0, nullptr);
    }
    ~Unsilence() {
        SetEvent(done_);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        CloseHandle(done_);
    }

private:
    static DWORD WINAPI run(void* p) {
        auto* self = static_cast<Unsilence*>(p);
        if (WaitForSingleObject(self->done_, 60000) == WAIT_TIMEOUT)
            for (ClientThread* t : self->threads_) t->startAnswering();
        return 0;
    }
    std::vector<ClientThread*> threads_;
    HANDLE done_, thread_;
};

} // namespace

TEST_F(Reentrancy, NoClosingOrRegistrationWaitsForAClientWithoutABound) {
    // While a member of another client waits, clients that never answer are closed and
    // registered: a record of a client's making, a filed record whose session a client
    // made, and an application object handed over as an IUnknown (a look-up of its
    // IDispatch is a call into its process). The waiting member returns once each has been
    // given up on at its read limit, or not asked at all, with none of the clients answering.
    auto g = ondrik::Global::create(state);
    Applications* apps = applications();
    auto* session = new ClientSession;
    ClientRecord record(nullptr);
    FakeApp app;
    app.text(L"EXEName", L"Silenzio");
    ClientThread sessionThread, recordThread, appThread;
    sessionThread.start(session, IID__Sessione);
    session->Release();
    recordThread.start(&record, IID__Applicazione);
    appThread.start(&app, IID_IUnknown);
    ASSERT_TRUE(sessionThread.proxy() && recordThread.proxy() && appThread.proxy());
    Unsilence unsilence({&sessionThread, &recordThread, &appThread});
    ComPtr<_Applicazione> filed;
    apps->Apri(objectArg(&app), filed.put());
    ASSERT_TRUE(filed);
    filed->putref_Sessione(sessionThread.proxy<_Sessione>());
    long before = countOf(apps);
    ComPtr<_Applicazione> unread;
    insideWaitOf([&] { EXPECT_EQ(g->Sleep(10), S_OK); },
                 [&] {
                     EXPECT_EQ(apps->Chiudi(recordThread.proxy<_Applicazione>()), S_OK);
                     EXPECT_EQ(apps->Chiudi(filed.get()), S_OK);
                     VARIANT unknown;
                     VariantInit(&unknown);
                     V_VT(&unknown) = VT_UNKNOWN;
                     V_UNKNOWN(&unknown) = appThread.proxy();
                     EXPECT_EQ(apps->Apri(unknown, unread.put()), S_OK);
                 });
    for (ClientThread* t : {&sessionThread, &recordThread, &appThread})
        EXPECT_FALSE(t->answering()) << "a call waited for a client that never answers";
    EXPECT_EQ(countOf(apps), before - 1);
    EXPECT_FALSE(unread);
}
