// The server's objects in this process: the registers' rules that a client cannot
// reach directly, and the dispatch kit as VB and VBScript clients use it.
#include "dispatch_helpers.h"
#include "fresh_state.h"
#include "fake_app.h"

#include "applications/applications.h"
#include "global/global.h"
#include "sessions/sessions.h"

#include <gtest/gtest.h>

using namespace ondrik;
using namespace testing_ondrik;

namespace {

// A session implemented by a client: same interface, not the server's object.
class ForeignSession : public _Sessione {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID__Sessione) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 1; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP get_Creazione(DATE*) override { return E_NOTIMPL; }
    STDMETHODIMP get_ID(long* id) override {
        *id = idToClaim;
        return S_OK;
    }
    STDMETHODIMP get_UserID(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP put_UserID(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_Password(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP put_Password(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_CodiceAzienda(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP get_Condivisa(VARIANT_BOOL* v) override {
        *v = VARIANT_TRUE;
        return S_OK;
    }
    long idToClaim = 0;
};

// The registers of a state of the test's own.
class SessionRegister : public FreshState {
protected:
    ComPtr<_Sessione> open(const wchar_t* code, VARIANT_BOOL shared) {
        ComPtr<_Sessione> s;
        Bstr c(code), empty(L"");
        sessions()->Apri(c.get(), shared, empty.get(), empty.get(), s.put());
        return s;
    }
    long count() {
        long n = -1;
        sessions()->Count(&n);
        return n;
    }
};
class Dispatch : public FreshState {};

} // namespace

// The book's own tests hold the rules of removal (tests/native/books_test.cpp); here what
// only the objects show: a session that a client implements, claiming the ID of a filed
// one, is not the server's and takes nothing out; the server's own leaves, and lives on.
TEST_F(SessionRegister, AClosingTakesOutTheServersOwnSessionOnly) {
    Applications* apps = applications();
    long before = count();
    ComPtr<_Sessione> s = open(L"RIM", VARIANT_FALSE);
    ASSERT_TRUE(s);
    ForeignSession foreign; // shared, and claiming the same ID
    s->get_ID(&foreign.idToClaim);
    EXPECT_EQ(serverCast<Session>(&foreign), nullptr);
    FakeApp app;
    app.text(L"EXEName", L"Estranea");
    ComPtr<_Applicazione> r;
    apps->Apri(objectArg(&app), r.put());
    ASSERT_TRUE(r);
    r->putref_Sessione(&foreign);
    EXPECT_EQ(apps->Chiudi(r.get()), S_OK);
    EXPECT_EQ(count(), before + 1);

    r->putref_Sessione(s.get());
    EXPECT_EQ(apps->Chiudi(r.get()), S_OK); // not filed any more; the session is not shared
    EXPECT_EQ(count(), before);
    Bstr user;
    EXPECT_EQ(s->get_UserID(user.put()), S_OK);
    long id = 0;
    s->get_ID(&id);
    _Sessione* found = nullptr;
    ondrik::Variant key = owned(str((L"K" + std::to_wstring(id)).c_str()));
    sessions()->Item(*key.get(), &found);
    EXPECT_EQ(found, nullptr);
}

TEST_F(SessionRegister, SharedSearchCountsAnyNonzeroCondivisaAsShared) {
    ComPtr<_Sessione> one = open(L"UNO", VARIANT_BOOL(1)); // a vtable client may pass 1
    VARIANT_BOOL stored = 0;
    one->get_Condivisa(&stored);
    EXPECT_EQ(stored, 1);
    ComPtr<_Sessione> again = open(L"UNO", VARIANT_TRUE);
    EXPECT_EQ(again.get(), one.get());
}

TEST_F(SessionRegister, TwoSessionsInARowHaveGrowingIdsAndKeys) {
    ComPtr<_Sessione> a = open(L"T", VARIANT_FALSE), b = open(L"T", VARIANT_FALSE);
    long ia = 0, ib = 0;
    a->get_ID(&ia);
    b->get_ID(&ib);
    EXPECT_LT(unsigned(ia), unsigned(ib));
    EXPECT_NE(serverCast<Session>(a.get())->chiave(), serverCast<Session>(b.get())->chiave());
}

TEST(GlobalObject, EveryGlobalOfOneStateSeesTheSameRegisters) {
    auto state = ondrik::ProcessState::make();
    ComPtr<ondrik::Global> g1 = ondrik::Global::create(state), g2 = ondrik::Global::create(state);
    ComPtr<_Sessioni> s1, s2;
    ASSERT_EQ(g1->get_Sessioni(s1.put()), S_OK);
    ASSERT_EQ(g2->get_Sessioni(s2.put()), S_OK);
    EXPECT_EQ(s1.get(), s2.get());
    ComPtr<_Applicazioni> a1, a2;
    ASSERT_EQ(g1->get_Applicazioni(a1.put()), S_OK);
    ASSERT_EQ(g2->get_Applicazioni(a2.put()), S_OK);
    EXPECT_EQ(a1.get(), a2.get());
}

TEST_F(Dispatch, NamedOptionalAndByReferenceArguments) {
    ComPtr<IDispatch> reg = ComPtr<IDispatch>(sessions()->itf());
    CallResult r;
    call(reg.get(), L"Apri", {str(L"NAMED"), vbool(false), str(L"segreta")}, r, DISPATCH_METHOD,
         {L"Password"});
    ASSERT_EQ(r.hr, S_OK);
    ComPtr<IDispatch> s(dispatchOf(r.value));
    ASSERT_TRUE(s);
    CallResult user, password;
    call(s.get(), L"userid", {}, user, DISPATCH_PROPERTYGET);
    call(s.get(), L"Password", {}, password, DISPATCH_PROPERTYGET);
    EXPECT_STREQ(V_BSTR(user.value.get()), L"");
    EXPECT_STREQ(V_BSTR(password.value.get()), L"segreta");

    // VBScript passes its variables by reference, also for by-value parameters.
    ondrik::Variant code = owned(str(L"BYREF"));
    VARIANT shared = vbool(false);
    CallResult byref;
    call(reg.get(), L"Apri", {byRef(code.get()), byRef(&shared)}, byref, DISPATCH_METHOD);
    EXPECT_EQ(byref.hr, S_OK);

    // The default member, and an index held by reference.
    VARIANT one = i4(1);
    CallResult first;
    call(reg.get(), L"Item", {byRef(&one)}, first);
    EXPECT_EQ(V_VT(first.value.get()), VT_DISPATCH);
    EXPECT_NE(dispatchOf(first.value), nullptr);
}

TEST_F(Dispatch, ParameterArraysOfAnyLengthReachTheMember) {
    ComPtr<ondrik::Global> g = ondrik::Global::create(ondrik::ProcessState::make());
    ComPtr<IDispatch> d(g->itf());
    for (int extra = 0; extra <= 5; ++extra) {
        std::vector<VARIANT> args{str(L"a /x b"), str(L" ")};
        for (int k = 0; k < extra; ++k) args.push_back(str(L"/x"));
        CallResult r;
        call(d.get(), L"ParseCommand", args, r, DISPATCH_METHOD);
        ASSERT_EQ(r.hr, S_OK) << extra;
        ComPtr<IDispatch> c(dispatchOf(r.value));
        ASSERT_TRUE(c) << extra;
        CallResult count;
        call(c.get(), L"Count", {}, count);
        EXPECT_EQ(V_I4(count.value.get()), extra == 0 ? 3 : 2) << extra; // "a", then "/x" valued "b"
    }
    CallResult missing;
    call(d.get(), L"ParseCommand", {str(L"x")}, missing, DISPATCH_METHOD);
    EXPECT_EQ(missing.hr, DISP_E_PARAMNOTOPTIONAL);
}

TEST_F(Dispatch, UnguardedFailuresCarryErrorInformation) {
    // A collection's look-up of a key it does not hold fails with the runtime's error.
    ComPtr<ondrik::Global> g = ondrik::Global::create(ondrik::ProcessState::make());
    CallResult parsed, r;
    call(ComPtr<IDispatch>(g->itf()).get(), L"ParseCommand", {str(L"a b"), str(L" ")}, parsed, DISPATCH_METHOD);
    ASSERT_NE(dispatchOf(parsed.value), nullptr);
    call(dispatchOf(parsed.value), L"Item", {str(L"assente")}, r);
    ASSERT_EQ(r.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(r.error.scode, HRESULT(0x800A0005));
    EXPECT_STREQ(r.error.bstrSource, L"Ondrik");
    EXPECT_STREQ(r.error.bstrDescription, L"Invalid procedure call or argument");
}

TEST_F(Dispatch, DispatchExResolvesNamesWithoutRegardToCase) {
    ComPtr<IDispatchEx> ex = ComPtr<IDispatch>(sessions()->itf()).query<IDispatchEx>(IID_IDispatchEx);
    ASSERT_TRUE(ex);
    Bstr name(L"cOUNT");
    DISPID id = 0;
    ASSERT_EQ(ex->GetDispID(name.get(), fdexNameCaseSensitive, &id), S_OK);
    EXPECT_EQ(id, 0x60030002);
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    ondrik::Variant result;
    ASSERT_EQ(ex->InvokeEx(id, 0, DISPATCH_METHOD, &none, result.get(), nullptr, nullptr), S_OK);
    EXPECT_EQ(V_VT(result.get()), VT_I4);
}
