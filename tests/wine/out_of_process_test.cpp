// The registered server, out of process: through the vtable and through IDispatch,
// shared by every client, and gone once its last client lets go.
#include "dispatch_helpers.h"
#include "file_helpers.h"

#include "generated/Ondrik.h"

#include <gtest/gtest.h>

using namespace testing_ondrik;

namespace {

bool waitForNoServer() {
    for (int i = 0; i < 100; ++i) {
        if (serverProcesses() == 0) return true;
        Sleep(100);
    }
    return false;
}

ComPtr<_Global> remoteGlobal() {
    ComPtr<_Global> g;
    CoCreateInstance(CLSID_Global, nullptr, CLSCTX_LOCAL_SERVER, IID__Global, g.putVoid());
    return g;
}

ComPtr<_Sessioni> sessionsOf(_Global* g) {
    ComPtr<_Sessioni> s;
    g->get_Sessioni(s.put());
    return s;
}

} // namespace

TEST(Server, ClientsShareTheRegistersThroughVtableAndDispatch) {
    ASSERT_TRUE(waitForNoServer());
    ComPtr<_Global> g1 = remoteGlobal(), g2 = remoteGlobal();
    ASSERT_TRUE(g1 && g2);
    EXPECT_EQ(serverProcesses(), 1);
    ComPtr<_Sessioni> s1 = sessionsOf(g1.get()), s2 = sessionsOf(g2.get());
    long n = -1;
    ASSERT_EQ(s1->Count(&n), S_OK);
    EXPECT_EQ(n, 0);

    // Through the vtable a client can pass 1 for Condivisa: stored as passed, shared.
    Bstr code(L"REMOTO"), user(L"u"), pw(L"p"), empty(L"");
    ComPtr<_Sessione> a, b;
    ASSERT_EQ(s1->Apri(code.get(), VARIANT_BOOL(1), user.get(), pw.get(), a.put()), S_OK);
    VARIANT_BOOL stored = 0;
    a->get_Condivisa(&stored);
    EXPECT_EQ(stored, 1);
    ASSERT_EQ(s2->Apri(code.get(), VARIANT_TRUE, empty.get(), empty.get(), b.put()), S_OK);
    long ida = 0, idb = 0;
    a->get_ID(&ida);
    b->get_ID(&idb);
    EXPECT_EQ(ida, idb);

    // Through IDispatch: the count, and a change seen by the other client.
    ComPtr<IDispatch> d2 = s2.query<IDispatch>(IID_IDispatch);
    CallResult count;
    call(d2.get(), L"Count", {}, count);
    ASSERT_EQ(count.hr, S_OK);
    EXPECT_EQ(V_I4(count.value.get()), 1);
    Bstr changed(L"cambiato"), seen;
    b->put_UserID(changed.get());
    a->get_UserID(seen.put());
    EXPECT_STREQ(seen.get(), L"cambiato");
}

TEST(Server, EndsAfterItsLastClientAndTheNextStartsFresh) {
    {
        ComPtr<_Global> g = remoteGlobal();
        ASSERT_TRUE(g);
        ComPtr<_Sessione> s;
        Bstr code(L"VITA"), empty(L"");
        ASSERT_EQ(sessionsOf(g.get())->Apri(code.get(), VARIANT_FALSE, empty.get(), empty.get(), s.put()),
                  S_OK);
        ComPtr<_Sessioni> reg = sessionsOf(g.get());
        g.reset(); // the session and the register still hold the server
        Sleep(300);
        EXPECT_EQ(serverProcesses(), 1);
    }
    EXPECT_TRUE(waitForNoServer());
    ComPtr<_Global> fresh = remoteGlobal();
    ASSERT_TRUE(fresh);
    long n = -1;
    sessionsOf(fresh.get())->Count(&n);
    EXPECT_EQ(n, 0);
}
