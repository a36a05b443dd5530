// The faults that the bad-input matrix found, each pinned down on its own against the
// registered server: a very long document name, surplus arguments on a property that holds
// Nothing, and an object of the wrong class in a typed parameter.
#include "dispatch_helpers.h"
#include "matrix_client_app.h"
#include "matrix_invoke.h"
#include "matrix_values.h"
#include "matrix_watchdog.h"

#include "generated/Ondrik.h"

#include <gtest/gtest.h>
#include <string>

using namespace testing_ondrik;
using matrix::Outcome;

namespace {

constexpr DISPID kSessioni = 0x68030001, kCount = 0x60030002, kApriDocumento = 0x60030002,
                 kApriApplicazione = 0x60030000, kChiudi = 0x60030001, kSessione = 0x68030001,
                 kId = 0x68030004;

class BadInputFaults : public testing::Test {
protected:
    void SetUp() override {
        client = MatrixClientApp::create();
        CoCreateInstance(CLSID_Global, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, global.putVoid());
        ASSERT_TRUE(global);
        sessioni = get(global.get(), L"Sessioni");
        applicazioni = get(global.get(), L"Applicazioni");
        ASSERT_TRUE(sessioni && applicazioni);
    }
    void TearDown() override {
        if (record) {
            std::vector<VARIANT> args = {matrix::object(record.get())};
            Outcome o;
            matrix::invoke(applicazioni.get(), kChiudi, DISPATCH_METHOD, args, o);
        }
        CoDisconnectObject(client.get(), 0);
    }

    static ComPtr<IDispatch> get(IDispatch* d, const wchar_t* name, std::vector<VARIANT> args = {}) {
        CallResult r;
        call(d, name, std::move(args), r);
        return ComPtr<IDispatch>(r.hr == S_OK ? dispatchOf(r.value) : nullptr);
    }

    // The server answers a plain call.
    bool answers() {
        std::vector<VARIANT> none;
        Outcome o;
        matrix::invoke(sessioni.get(), kCount, DISPATCH_METHOD | DISPATCH_PROPERTYGET, none, o);
        return o.hr == S_OK;
    }

    ComPtr<IDispatch> fileClient() {
        std::vector<VARIANT> args = {matrix::object(client.get())};
        Outcome o;
        matrix::invoke(applicazioni.get(), kApriApplicazione, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args,
                       o);
        return ComPtr<IDispatch>(o.hr == S_OK ? dispatchOf(o.value) : nullptr);
    }

    matrix::Watchdog watchdog;
    ComPtr<IDispatch> client, global, sessioni, applicazioni, record;
};

long idOf(IDispatch* session) {
    std::vector<VARIANT> none;
    Outcome o;
    matrix::invoke(session, kId, DISPATCH_PROPERTYGET, none, o);
    return o.hr == S_OK ? V_I4(o.value.get()) : 0;
}

} // namespace

// Wine's shell overflows a buffer with names of about a thousand characters and more; the
// server used to die with it.
TEST_F(BadInputFaults, AVeryLongDocumentNameOpensNothingAndTheServerLives) {
    const std::wstring folder = L"C:\\Suite\\MatriceNonEsiste\\";
    const std::wstring names[] = {
        folder + std::wstring(2 * MAX_PATH - folder.size(), L'x'), // the longest handed to the shell
        folder + std::wstring(1000, L'x'),
        std::wstring(1000, L'x') + L".matrice", // relative: the current folder goes in front
        folder + std::wstring(100000, L'x'),
    };
    for (const std::wstring& name : names) {
        watchdog.now("ApriDocumento with a name of " + std::to_string(name.size()) + " characters");
        std::vector<VARIANT> args = {matrix::text(name)};
        Outcome o;
        matrix::invoke(global.get(), kApriDocumento, DISPATCH_METHOD, args, o);
        EXPECT_EQ(o.hr, S_OK) << name.size() << " characters";
        ASSERT_TRUE(answers()) << "after a name of " << name.size() << " characters";
    }
}

// Arguments beyond a property's own go to the default member of the object it holds, as
// Global.Sessioni(1) does; when it holds Nothing the caller gets VB's error 91 (Wine's
// dispatch used to call through a null pointer).
TEST_F(BadInputFaults, SurplusArgumentsReachTheDefaultMemberOfTheResultOrFailCleanly) {
    record = fileClient();
    ASSERT_TRUE(record);
    watchdog.now("Applicazione.Sessione(0) with no session");
    std::vector<VARIANT> args = {matrix::number(0)};
    Outcome nothing;
    matrix::invoke(record.get(), kSessione, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, nothing);
    EXPECT_EQ(nothing.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(nothing.error.scode, HRESULT(0x800A005B));
    EXPECT_TRUE(nothing.error.bstrDescription && *nothing.error.bstrDescription);
    ASSERT_TRUE(answers());

    // With a session set: a Sessione has no default member.
    ComPtr<IDispatch> session = get(sessioni.get(), L"Apri", {str(L"MATRICE-SURPLUS"), vbool(false)});
    ASSERT_TRUE(session);
    args = {matrix::object(session.get())};
    Outcome set;
    matrix::invoke(record.get(), kSessione, DISPATCH_PROPERTYPUTREF, args, set);
    ASSERT_EQ(set.hr, S_OK);
    args = {matrix::number(0)};
    Outcome noDefault;
    matrix::invoke(record.get(), kSessione, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, noDefault);
    EXPECT_EQ(noDefault.hr, DISP_E_MEMBERNOTFOUND);

    // Global.Sessioni(position) and Global.Sessioni(key), as VB writes them: one call.
    long count = 0;
    {
        std::vector<VARIANT> none;
        Outcome o;
        matrix::invoke(sessioni.get(), kCount, DISPATCH_METHOD | DISPATCH_PROPERTYGET, none, o);
        count = V_I4(o.value.get());
    }
    args = {matrix::number(count)};
    Outcome byPosition;
    matrix::invoke(global.get(), kSessioni, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, byPosition);
    ASSERT_EQ(byPosition.hr, S_OK);
    ASSERT_TRUE(dispatchOf(byPosition.value));
    EXPECT_EQ(idOf(dispatchOf(byPosition.value)), idOf(session.get()));
    args = {matrix::text(L"k" + std::to_wstring(idOf(session.get())))};
    Outcome byKey;
    matrix::invoke(global.get(), kSessioni, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, byKey);
    ASSERT_EQ(byKey.hr, S_OK);
    ASSERT_TRUE(dispatchOf(byKey.value));
    EXPECT_EQ(idOf(dispatchOf(byKey.value)), idOf(session.get()));
    // A result that is no object takes no arguments.
    args = {matrix::number(1)};
    Outcome notObject;
    matrix::invoke(sessioni.get(), kCount, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, notObject);
    EXPECT_TRUE(notObject.hr == DISP_E_BADPARAMCOUNT || notObject.hr == DISP_E_NOTACOLLECTION);
}

// An object without the parameter's interface is a type mismatch, not E_NOINTERFACE.
TEST_F(BadInputFaults, AnObjectOfTheWrongClassIsATypeMismatch) {
    record = fileClient();
    ASSERT_TRUE(record);
    ComPtr<IDispatch> session = get(sessioni.get(), L"Apri", {str(L"MATRICE-CLASSE"), vbool(false)});
    ASSERT_TRUE(session);

    std::vector<VARIANT> args = {matrix::object(client.get())};
    Outcome clientAsRecord;
    matrix::invoke(applicazioni.get(), kChiudi, DISPATCH_METHOD, args, clientAsRecord);
    EXPECT_EQ(clientAsRecord.hr, DISP_E_TYPEMISMATCH);
    args = {matrix::object(session.get())};
    Outcome sessionAsRecord;
    matrix::invoke(applicazioni.get(), kChiudi, DISPATCH_METHOD, args, sessionAsRecord);
    EXPECT_EQ(sessionAsRecord.hr, DISP_E_TYPEMISMATCH);

    args = {matrix::object(record.get())};
    Outcome recordAsSession;
    matrix::invoke(record.get(), kSessione, DISPATCH_PROPERTYPUTREF, args, recordAsSession);
    EXPECT_EQ(recordAsSession.hr, DISP_E_TYPEMISMATCH);
    args = {matrix::object(nullptr)};
    Outcome none;
    matrix::invoke(record.get(), kSessione, DISPATCH_PROPERTYPUTREF, args, none);
    EXPECT_EQ(none.hr, S_OK);
    EXPECT_TRUE(answers());
}
