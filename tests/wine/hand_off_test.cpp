// Work that cannot be handed to a worker thread (no thread to be had, no memory for the
// hand-off): the member answers with its error or its failed result, no exception leaves
// it, nothing is read from a client without a time limit, and the next call works.
#include "dispatch_helpers.h"
#include "fresh_state.h"
#include "threaded_app.h"

#include "applications/applications.h"
#include "automation/worker_call.h"
#include "global/global.h"

#include <gtest/gtest.h>

using namespace ondrik;
using namespace testing_ondrik;

class FailedHandOff : public FreshState {};

TEST_F(FailedHandOff, DesktopMembersReturnTheErrorAndARecordIsNotReadUnbounded) {
    auto g = ondrik::Global::create(state);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    Bstr missing((std::wstring(temp) + L"ondrik-nessun-documento.txt").c_str()), open(L"open");
    for (HandOffFailure how : {HandOffFailure::outOfMemory, HandOffFailure::refused}) {
        SCOPED_TRACE(how == HandOffFailure::refused ? "refused" : "out of memory");
        HRESULT expected = how == HandOffFailure::refused ? S_OK : E_OUTOFMEMORY; // the platform's own is not examined
        failNextHandOff(how);
        EXPECT_EQ(g->ApriDocumento(missing.get(), open.get()), expected);
        failNextHandOff(how);
        EXPECT_EQ(g->SetTopMostWindow(0, VARIANT_TRUE), expected);
    }
    EXPECT_EQ(g->ApriDocumento(missing.get(), open.get()), S_OK);

    // A client's object, in another apartment, whose read cannot be handed to a worker: it
    // is not read on the server's thread, where a client that does not answer would hold
    // every other; nothing is registered. The next registration reads it.
    Applications* apps = applications();
    ThreadedApp client([](FakeApp& app) { app.text(L"EXEName", L"Consegna").number(L"hInstance", 3); });
    client.startAnswering();
    long before = -1, after = -1;
    apps->Count(&before);
    ComPtr<_Applicazione> record;
    failNextHandOff(HandOffFailure::refused);
    EXPECT_EQ(apps->Apri(objectArg(client.proxy()), record.put()), S_OK);
    EXPECT_FALSE(record);
    apps->Count(&after);
    EXPECT_EQ(after, before);
    ASSERT_EQ(apps->Apri(objectArg(client.proxy()), record.put()), S_OK);
    ASSERT_TRUE(record);
    apps->Chiudi(record.get());
    apps->Count(&after);
    EXPECT_EQ(after, before);
}
