// What the server keeps alive after a sequence of calls that must leave nothing behind:
// its own objects and the client's interfaces handed to workers (counted by the kit,
// automation/kept_alive.h), and the proxies of a client's object (counted by that object
// itself: every proxy of it, in any apartment or process, holds references through its
// stub). Each count must come back to where it started; none depends on time or memory.
#include "dispatch_helpers.h"
#include "fake_app.h"
#include "fresh_state.h"
#include "threaded_app.h"

#include "automation/bounded_call.h"
#include "automation/kept_alive.h"
#include "automation/message_pump.h"
#include "automation/worker_call.h"
#include "global/global.h"

#include <gtest/gtest.h>

using namespace ondrik;
using namespace testing_ondrik;

namespace {

struct Counts {
    long objects = keptAlive::count(keptAlive::Kind::object);
    long handOvers = keptAlive::count(keptAlive::Kind::handOver);
    bool operator==(const Counts& o) const { return objects == o.objects && handOvers == o.handOvers; }
};

void fill(FakeApp& app, const wchar_t* name) {
    app.text(L"EXEName", name).text(L"Title", L"Titolo").number(L"Major", 2).number(L"hInstance", 7).number(
        L"ThreadID", 9);
}

// Walks the object's enumerator (DISPID_NEWENUM) to its end, as For Each does.
void walk(IDispatch* object) {
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    ondrik::Variant got;
    ASSERT_EQ(object->Invoke(DISPID_NEWENUM, IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &none, got.get(),
                             nullptr, nullptr),
              S_OK);
    ASSERT_TRUE(V_VT(got.get()) == VT_UNKNOWN || V_VT(got.get()) == VT_DISPATCH);
    auto e = ComPtr<IUnknown>(V_UNKNOWN(got.get())).query<IEnumVARIANT>(IID_IEnumVARIANT);
    ASSERT_TRUE(e);
    for (;;) {
        ondrik::Variant item;
        if (e->Next(1, item.get(), nullptr) != S_OK) break;
    }
}

// The registers' whole round, as a suite application makes it, through IDispatch and the
// vtables: sessions, registrations (one refused, one a duplicate), their enumerators,
// closing; ParseCommand walked; reads that cannot be handed over.
void ordinaryWork(ondrik::Global* g, IDispatch* client) {
    ComPtr<_Sessioni> sessions;
    ComPtr<_Applicazioni> apps;
    g->get_Sessioni(sessions.put());
    g->get_Applicazioni(apps.put());
    ASSERT_TRUE(sessions && apps);
    Bstr code(L"AZ1"), user(L"mario"), password(L"segreto");
    ComPtr<_Sessione> shared, own;
    sessions->Apri(code.get(), VARIANT_TRUE, user.get(), password.get(), shared.put());
    sessions->Apri(code.get(), VARIANT_FALSE, user.get(), password.get(), own.put());
    ComPtr<_Applicazione> a, duplicate, none;
    ASSERT_EQ(apps->Apri(objectArg(client), a.put()), S_OK);
    ASSERT_TRUE(a);
    apps->Apri(objectArg(client), duplicate.put()); // the same key: not filed
    EXPECT_TRUE(duplicate);
    for (HandOffFailure how : {HandOffFailure::refused, HandOffFailure::outOfMemory}) {
        failNextHandOff(how);
        apps->Apri(objectArg(client), none.put());
        EXPECT_FALSE(none);
    }
    a->putref_Sessione(shared.get());
    duplicate->putref_Sessione(own.get());
    walk(sessions.get());
    walk(apps.get());
    apps->Chiudi(a.get());
    apps->Chiudi(duplicate.get());
    CallResult parsed;
    call(g->itf(), L"ParseCommand", {str(L"Contab.exe /U mario /D archivio"), str(L" "), str(L"/U"), str(L"/D")},
         parsed, DISPATCH_METHOD);
    ASSERT_EQ(V_VT(parsed.value.get()), VT_DISPATCH);
    walk(V_DISPATCH(parsed.value.get()));
}

// Serves this thread's messages until done() holds, at most 30 s: a given-up call's end
// reaches the server's thread as a message.
template <class Done> bool serveUntilDone(Done done) {
    for (ULONGLONG start = GetTickCount64(); !done();) {
        if (GetTickCount64() - start > 30000) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        pumpMessagesOnce();
    }
    return true;
}

} // namespace

TEST(KeptAlive, NothingIsKeptAfterASequenceThatMustLeaveNothing) {
    const Counts atStart;
    {
        std::shared_ptr<ProcessState> state = ProcessState::make();
        ComPtr<ondrik::Global> g = ondrik::Global::create(state);
        ThreadedApp client([](FakeApp& app) { fill(app, L"Contab.exe"); });
        client.startAnswering();
        ASSERT_TRUE(client.proxy());
        {
            SCOPED_TRACE("the registers made");
            ordinaryWork(g.get(), client.proxy()); // makes the registers, which stay
        }
        const Counts withRegisters;
        const ULONG clientRefs = client.app().refs();
        for (int round = 0; round < 3; ++round) {
            SCOPED_TRACE(round);
            ordinaryWork(g.get(), client.proxy());
            EXPECT_TRUE(Counts() == withRegisters) << "objects " << Counts().objects << " (" << withRegisters.objects
                                                   << "), hand-overs " << Counts().handOvers << " ("
                                                   << withRegisters.handOvers << ")";
            EXPECT_EQ(client.app().refs(), clientRefs) << "references held on the client's object";
        }

        // Every reference the server took on the client's object came back: once the
        // client's own proxy goes, nothing holds the object (a reference marshalled for a
        // worker and never released would, for good).
        client.releaseProxy();
        EXPECT_EQ(client.app().refs(), 1u);

        // A read given up at its limit keeps the object handed over until the client
        // answers; then it lets go of everything.
        ThreadedApp silent([](FakeApp& app) { fill(app, L"Muto.exe"); });
        const ULONG silentRefs = silent.app().refs();
        EXPECT_EQ(callWithin(silent.proxy(), 50, [](IDispatch* o) { o->AddRef(), o->Release(); }), RPC_E_TIMEOUT);
        EXPECT_EQ(Counts().handOvers, withRegisters.handOvers + 1);
        silent.startAnswering();
        EXPECT_TRUE(serveUntilDone([&] { return Counts() == withRegisters && silent.app().refs() == silentRefs; }))
            << "hand-overs " << Counts().handOvers << ", references on the client's object " << silent.app().refs()
            << " (" << silentRefs << ")";
    }
    EXPECT_TRUE(Counts() == atStart) << "objects " << Counts().objects << " (" << atStart.objects << ")";
}

// Out of process: the server lets go of every proxy of a client's object it read, filed,
// refused or closed, by the time each call returns.
TEST(KeptAlive, TheServerHoldsNoProxyOfAClientObjectAfterItsCalls) {
    ComPtr<_Global> remote;
    ASSERT_EQ(CoCreateInstance(CLSID_Global, nullptr, CLSCTX_LOCAL_SERVER, IID__Global, remote.putVoid()), S_OK);
    ComPtr<_Applicazioni> apps;
    remote->get_Applicazioni(apps.put());
    ASSERT_TRUE(apps);
    FakeApp app, nameless;
    fill(app, L"Remoto.exe");
    nameless.text(L"Title", L"Senza nome");
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        ComPtr<_Applicazione> a, duplicate, refused;
        ASSERT_EQ(apps->Apri(objectArg(&app), a.put()), S_OK);
        ASSERT_TRUE(a);
        apps->Apri(objectArg(&app), duplicate.put());
        apps->Apri(objectArg(&nameless), refused.put());
        EXPECT_FALSE(refused);
        apps->Chiudi(a.get());
        apps->Chiudi(duplicate.get());
        EXPECT_EQ(app.refs(), 1u);
        EXPECT_EQ(nameless.refs(), 1u);
    }
}
