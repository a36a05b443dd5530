// The application register reading a client's object: field by field, out of process
// through a call back into the client, while other clients' calls go on.
#include "dispatch_helpers.h"
#include "fake_app.h"
#include "fresh_state.h"

#include <atomic>
#include <gtest/gtest.h>

using namespace ondrik;
using namespace testing_ondrik;

namespace {

std::wstring textOf(HRESULT (STDMETHODCALLTYPE _Applicazione::*get)(BSTR*), _Applicazione* a) {
    Bstr b;
    (a->*get)(b.put());
    return b.get() ? b.get() : L"";
}

class ApplicationRecord : public FreshState {};

} // namespace

TEST_F(ApplicationRecord, EachFieldIsReadAndConvertedOnItsOwn) {
    FakeApp app;
    app.text(L"Comments", L"note")
        .text(L"CompanyName", L"VENDRASIL")
        .error(L"FileDescription")
        .null(L"LegalCopyright")
        .number(L"Major", 40000)
        .text(L"Minor", L"7")
        .text(L"Revision", L"abc")
        .number(L"ThreadID", 88.6)
        .number(L"hInstance", -512)
        .text(L"EXEName", L"Contab");
    ComPtr<_Applicazione> r;
    ASSERT_EQ(applications()->Apri(objectArg(&app), r.put()), S_OK);
    ASSERT_TRUE(r);
    EXPECT_EQ(textOf(&_Applicazione::get_Comments, r.get()), L"note");
    EXPECT_EQ(textOf(&_Applicazione::get_CompanyName, r.get()), L"VENDRASIL");
    EXPECT_EQ(textOf(&_Applicazione::get_FileDescription, r.get()), L""); // raised an error
    EXPECT_EQ(textOf(&_Applicazione::get_LegalCopyright, r.get()), L"");  // Null is no text
    EXPECT_EQ(textOf(&_Applicazione::get_Title, r.get()), L"");           // no such member
    short major = -1, minor = -1, revision = -1;
    r->get_Major(&major);
    r->get_Minor(&minor);
    r->get_Revision(&revision);
    EXPECT_EQ(major, 0);    // out of the 16-bit range
    EXPECT_EQ(minor, 7);    // text converted
    EXPECT_EQ(revision, 0); // not a number
    long thread = 0, instance = 0;
    r->get_ThreadID(&thread);
    r->get_hInstance(&instance);
    EXPECT_EQ(thread, 89);
    EXPECT_EQ(instance, -512);
    EXPECT_EQ(serverCast<Application>(r.get())->chiave(), u"Contab|-512|89");
    EXPECT_EQ(app.reads, 10); // every member it has, once each
    applications()->Chiudi(r.get());
}

// A property read alone first (a JScript object takes a call flagged as a method as a call
// of the member's value); the method call only where no property answers.
TEST_F(ApplicationRecord, AMemberIsCalledAsAMethodOnlyWhenItHasNoPropertyRead) {
    FakeApp inner; // outlives app, which holds it
    inner.defaultText = L"valore predefinito";
    FakeApp app;
    app.text(L"EXEName", L"Misto")
        .text(L"Title", L"dal metodo")
        .methodOnly(L"Title")
        .number(L"Major", 3)
        .methodOnly(L"Major")
        .object(L"Comments", &inner)
        .text(L"CompanyName", L"mai letto")
        .needsArguments(L"CompanyName")
        .error(L"Path");
    ComPtr<_Applicazione> r;
    ASSERT_EQ(applications()->Apri(objectArg(&app), r.put()), S_OK);
    ASSERT_TRUE(r);
    using Flags = std::vector<WORD>;
    EXPECT_EQ(app.flagsOf[L"EXEName"], Flags{DISPATCH_PROPERTYGET});
    EXPECT_EQ(app.flagsOf[L"Title"], (Flags{DISPATCH_PROPERTYGET, DISPATCH_METHOD}));
    EXPECT_EQ(textOf(&_Applicazione::get_Title, r.get()), L"dal metodo");
    short major = 0;
    r->get_Major(&major);
    EXPECT_EQ(major, 3);
    // An object is no value, and is not asked for its default member.
    EXPECT_EQ(textOf(&_Applicazione::get_Comments, r.get()), L"");
    EXPECT_EQ(inner.reads, 0);
    // Other failures are not retried as a method call.
    EXPECT_EQ(app.flagsOf[L"CompanyName"], Flags{DISPATCH_PROPERTYGET});
    EXPECT_EQ(textOf(&_Applicazione::get_CompanyName, r.get()), L"");
    EXPECT_EQ(app.flagsOf[L"Path"], Flags{DISPATCH_PROPERTYGET});
    EXPECT_EQ(textOf(&_Applicazione::get_Path, r.get()), L"");
    applications()->Chiudi(r.get());
}

TEST_F(ApplicationRecord, AnObjectWithoutExeNameIsRefused) {
    FakeApp app;
    app.text(L"Title", L"senza nome");
    long before = 0, after = 0;
    applications()->Count(&before);
    ComPtr<_Applicazione> r;
    EXPECT_EQ(applications()->Apri(objectArg(&app), r.put()), S_OK);
    EXPECT_FALSE(r);
    applications()->Count(&after);
    EXPECT_EQ(after, before);
    ComPtr<_Applicazione> none;
    EXPECT_EQ(applications()->Apri(i4(5), none.put()), S_OK);
    EXPECT_FALSE(none);
}

namespace {

ComPtr<_Applicazioni> remoteApplications(ComPtr<_Global>& g) {
    ComPtr<_Applicazioni> a;
    if (SUCCEEDED(CoCreateInstance(CLSID_Global, nullptr, CLSCTX_LOCAL_SERVER, IID__Global, g.putVoid())))
        g->get_Applicazioni(a.put());
    return a;
}

DWORD WINAPI countFromAnotherClient(void* done) {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    {
        ComPtr<_Global> g;
        ComPtr<_Applicazioni> apps = remoteApplications(g);
        long n = -1;
        if (apps && SUCCEEDED(apps->Count(&n))) static_cast<std::atomic<bool>*>(done)->store(true);
    }
    CoUninitialize();
    return 0;
}

} // namespace

TEST(ApplicationRegister, TheServerServesOthersWhileItReadsAClientObject) {
    ComPtr<_Global> g;
    ComPtr<_Applicazioni> apps = remoteApplications(g);
    ASSERT_TRUE(apps);
    std::atomic<bool> otherServed{false};
    FakeApp app;
    app.text(L"EXEName", L"Lento").number(L"hInstance", 1).number(L"ThreadID", 2);
    app.onRead = [&](const std::wstring& name) {
        if (name != L"EXEName") return;
        // Another client calls the server while the server waits for this answer.
        HANDLE t = CreateThread(nullptr, 0, &countFromAnotherClient, &otherServed, 0, nullptr);
        WaitForSingleObject(t, 20000);
        CloseHandle(t);
    };
    long before = 0, after = 0;
    apps->Count(&before);
    ComPtr<_Applicazione> r;
    ASSERT_EQ(apps->Apri(objectArg(&app), r.put()), S_OK);
    EXPECT_TRUE(otherServed);
    ASSERT_TRUE(r);
    EXPECT_EQ(textOf(&_Applicazione::get_EXEName, r.get()), L"Lento");
    apps->Count(&after);
    EXPECT_EQ(after, before + 1);
    EXPECT_EQ(apps->Chiudi(r.get()), S_OK);
    apps->Count(&after);
    EXPECT_EQ(after, before);
}

TEST(ApplicationRegister, ASessionStoredAsOneIsNotSharedAtClosing) {
    ComPtr<_Global> g;
    ComPtr<_Applicazioni> apps = remoteApplications(g);
    ASSERT_TRUE(apps);
    ComPtr<_Sessioni> sessions;
    g->get_Sessioni(sessions.put());
    Bstr code(L"UNO-VTABLE"), empty(L"");
    ComPtr<_Sessione> s;
    ASSERT_EQ(sessions->Apri(code.get(), VARIANT_BOOL(1), empty.get(), empty.get(), s.put()), S_OK);
    FakeApp one, two;
    one.text(L"EXEName", L"Primo");
    two.text(L"EXEName", L"Secondo");
    ComPtr<_Applicazione> a, b;
    apps->Apri(objectArg(&one), a.put());
    apps->Apri(objectArg(&two), b.put());
    ASSERT_TRUE(a && b);
    a->putref_Sessione(s.get());
    b->putref_Sessione(s.get());
    long before = 0, after = 0;
    sessions->Count(&before);
    apps->Chiudi(a.get());
    sessions->Count(&after);
    EXPECT_EQ(after, before - 1); // only -1 counts as shared here
    apps->Chiudi(b.get());
}

TEST_F(ApplicationRecord, AKeyChangedIntoAnotherRecordsTakesNothingOfIt) {
    // A changes its ThreadID so that its key is B's, and closes: B stays filed and keeps
    // counting for its shared session, which the closing of C, the last other record in
    // it, therefore leaves alone.
    Applications* apps = applications();
    Bstr code(L"CHIAVE-ALTRUI"), empty(L"");
    ComPtr<_Sessione> shared;
    ASSERT_EQ(sessions()->Apri(code.get(), VARIANT_TRUE, empty.get(), empty.get(), shared.put()), S_OK);
    FakeApp app;
    app.text(L"EXEName", L"Altrui").number(L"hInstance", 5);
    ComPtr<_Applicazione> records[3];
    for (int i = 0; i < 3; ++i) {
        app.number(L"ThreadID", i + 1);
        ASSERT_EQ(apps->Apri(objectArg(&app), records[i].put()), S_OK);
        ASSERT_TRUE(records[i]);
        if (i > 0) records[i]->putref_Sessione(shared.get());
    }
    records[0]->put_ThreadID(2);
    EXPECT_EQ(apps->Chiudi(records[0].get()), S_OK);
    EXPECT_EQ(apps->Chiudi(records[2].get()), S_OK);
    long n = 0;
    apps->Count(&n);
    EXPECT_EQ(n, 2); // the first under its old key, the second
    ComPtr<_Applicazione> second;
    ondrik::Variant key = owned(str(L"altrui|5|2"));
    apps->Item(*key.get(), second.put());
    EXPECT_EQ(second.get(), records[1].get());
    sessions()->Count(&n);
    EXPECT_EQ(n, 1) << "the shared session was taken from a record that works in it";
    records[0]->put_ThreadID(1);
    apps->Chiudi(records[0].get());
    apps->Chiudi(records[1].get());
    apps->Count(&n);
    EXPECT_EQ(n, 0);
}

TEST(ApplicationRegisterAlone, ARegisterThatOutlivesItsStateStillClosesRecords) {
    auto state = ProcessState::make();
    ComPtr<Applications> apps(state->applications());
    FakeApp app;
    app.text(L"EXEName", L"Superstite");
    ComPtr<_Applicazione> r;
    apps->Apri(objectArg(&app), r.put());
    ASSERT_TRUE(r);
    state.reset(); // no session register to be had from now on
    EXPECT_EQ(apps->Chiudi(r.get()), S_OK);
    long n = -1;
    apps->Count(&n);
    EXPECT_EQ(n, 0);
}
