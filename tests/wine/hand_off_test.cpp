// Work that cannot be handed to a worker thread (no thread to be had, no memory for the
// hand-off): the member answers with its error or its failed result, no exception leaves
// it, nothing is read from a client without a time limit, and the next call works.
#include "dispatch_helpers.h"
#include "fresh_state.h"
#include "threaded_app.h"

#include "applications/applications.h"
#include "automation/worker_call.h"
#include "global/global.h"
#include "shell_link/shell_link.h"

#include <gtest/gtest.h>

using namespace ondrik;
using namespace testing_ondrik;

class FailedHandOff : public FreshState {};

TEST_F(FailedHandOff, DesktopMembersReturnTheErrorAndARecordIsNotReadUnbounded) {
    auto g = ondrik::Global::create(state);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    Bstr missing((std::wstring(temp) + L"ondrik-nessun-documento.txt").c_str()), open(L"open");
    auto link = ondrik::ShellLink::create();
    Bstr stored(L"prima"), refused(L"rifiutato"), read;
    ASSERT_EQ(link->put_Argomenti(stored.get()), S_OK);
    for (HandOffFailure how : {HandOffFailure::outOfMemory, HandOffFailure::refused}) {
        SCOPED_TRACE(how == HandOffFailure::refused ? "refused" : "out of memory");
        // Work that never ran is the server's own failure, whatever the platform would
        // have answered (which is not examined).
        failNextHandOff(how);
        EXPECT_EQ(g->ApriDocumento(missing.get(), open.get()), E_OUTOFMEMORY);
        failNextHandOff(how);
        EXPECT_EQ(g->SetTopMostWindow(0, VARIANT_TRUE), E_OUTOFMEMORY);
        // A value that was not stored is not reported as stored.
        failNextHandOff(how);
        EXPECT_EQ(link->put_Argomenti(refused.get()), E_OUTOFMEMORY);
        link->get_Argomenti(read.put());
        EXPECT_STREQ(read.get(), L"prima");
    }
    EXPECT_EQ(g->ApriDocumento(missing.get(), open.get()), S_OK);
    EXPECT_EQ(link->put_Argomenti(refused.get()), S_OK);
    link->get_Argomenti(read.put());
    EXPECT_STREQ(read.get(), L"rifiutato");

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
