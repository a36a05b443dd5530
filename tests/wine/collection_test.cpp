// The Collection object in this process, as VB and VBScript clients use it through
// IDispatch and as early-bound clients use it through the vtable.
#include "dispatch_helpers.h"
#include "failing_new.h"

#include "cmdline/collection.h"
#include "global/global.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>

using namespace ondrik;
using namespace testing_ondrik;

namespace {

ComPtr<IDispatch> newCollection() {
    ComPtr<ondrik::Collection> c = ondrik::Collection::create();
    return ComPtr<IDispatch>(c->itf());
}

VARIANT r8(double d) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_R8;
    V_R8(&v) = d;
    return v;
}

VARIANT null() {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_NULL;
    return v;
}

long countOf(IDispatch* c) {
    CallResult r;
    call(c, L"Count", {}, r);
    return r.hr == S_OK ? V_I4(r.value.get()) : -1;
}

// Every item as text, in order: "a,b,c".
std::wstring contents(IDispatch* c) {
    std::wstring out;
    for (long i = 1, n = countOf(c); i <= n; ++i) {
        CallResult r;
        call(c, L"Item", {i4(i)}, r);
        ondrik::Variant text;
        VariantChangeType(text.get(), r.value.get(), 0, VT_BSTR);
        if (i > 1) out += L",";
        out += V_VT(text.get()) == VT_BSTR ? V_BSTR(text.get()) : L"?";
    }
    return out;
}

std::wstring itemText(IDispatch* c, VARIANT index) {
    CallResult r;
    call(c, L"Item", {index}, r);
    if (r.hr != S_OK) return L"<error>";
    ondrik::Variant text;
    if (FAILED(VariantChangeType(text.get(), r.value.get(), 0, VT_BSTR))) return L"<not text>";
    return V_BSTR(text.get());
}

void add(IDispatch* c, const wchar_t* item, const wchar_t* key = nullptr) {
    CallResult r;
    if (key)
        call(c, L"Add", {str(item), str(key)}, r, DISPATCH_METHOD);
    else
        call(c, L"Add", {str(item)}, r, DISPATCH_METHOD);
    ASSERT_EQ(r.hr, S_OK);
}

// The automation error number that a failed IDispatch call carries.
HRESULT errorOf(const CallResult& r) {
    return r.hr == DISP_E_EXCEPTION ? r.error.scode : r.hr;
}

} // namespace

TEST(Collection, AddAppendsAndItemReadsByPositionOrByKeyInAnyCase) {
    ComPtr<IDispatch> c = newCollection();
    EXPECT_EQ(countOf(c.get()), 0);
    add(c.get(), L"uno", L"Primo");
    add(c.get(), L"due");
    CallResult number;
    call(c.get(), L"Add", {i4(3), str(L"terzo")}, number, DISPATCH_METHOD);
    EXPECT_EQ(number.hr, S_OK);
    EXPECT_EQ(countOf(c.get()), 3);
    EXPECT_EQ(contents(c.get()), L"uno,due,3");
    EXPECT_EQ(itemText(c.get(), str(L"PRIMO")), L"uno");
    EXPECT_EQ(itemText(c.get(), str(L"Terzo")), L"3");
    EXPECT_EQ(itemText(c.get(), r8(1.6)), L"due"); // a position is rounded to a whole number

    // Items keep their type; an object comes back as an object.
    ComPtr<ondrik::Global> g = ondrik::Global::create(ondrik::ProcessState::make());
    VARIANT object;
    VariantInit(&object);
    V_VT(&object) = VT_DISPATCH;
    V_DISPATCH(&object) = g->itf();
    g->itf()->AddRef();
    CallResult addObject, item3, item4;
    call(c.get(), L"Add", {object}, addObject, DISPATCH_METHOD);
    EXPECT_EQ(addObject.hr, S_OK);
    call(c.get(), L"Item", {i4(3)}, item3);
    EXPECT_EQ(V_VT(item3.value.get()), VT_I4);
    call(c.get(), L"Item", {i4(4)}, item4);
    ASSERT_EQ(V_VT(item4.value.get()), VT_DISPATCH);
    EXPECT_EQ(V_DISPATCH(item4.value.get()), static_cast<IDispatch*>(g->itf()));
}

TEST(Collection, DuplicateKeyFailsWithTheRuntimeErrorAndAddsNothing) {
    ComPtr<IDispatch> c = newCollection();
    add(c.get(), L"a", L"Chiave");
    for (const wchar_t* key : {L"Chiave", L"CHIAVE", L"chiave"}) {
        CallResult r;
        call(c.get(), L"Add", {str(L"b"), str(key)}, r, DISPATCH_METHOD);
        EXPECT_EQ(errorOf(r), HRESULT(0x800A01C9)) << key;
        EXPECT_STREQ(r.error.bstrDescription,
                     L"This key is already associated with an element of this collection");
    }
    EXPECT_EQ(contents(c.get()), L"a");
    // A key that is not a String is a type mismatch.
    CallResult numericKey;
    call(c.get(), L"Add", {str(L"b"), i4(7)}, numericKey, DISPATCH_METHOD);
    EXPECT_EQ(errorOf(numericKey), HRESULT(0x800A000D));
    EXPECT_EQ(countOf(c.get()), 1);
}

TEST(Collection, ItemAndRemoveOfNoSuchItemFailWithInvalidProcedureCall) {
    ComPtr<IDispatch> c = newCollection();
    add(c.get(), L"a", L"k");
    add(c.get(), L"b");
    for (const char* member : {"Item", "Remove"}) {
        std::wstring name(member, member + strlen(member));
        std::vector<std::vector<VARIANT>> bad = {{i4(0)}, {i4(3)}, {i4(-1)}, {str(L"nessuna")}, {null()}};
        for (auto& args : bad) {
            CallResult r;
            call(c.get(), name.c_str(), args, r, DISPATCH_METHOD | DISPATCH_PROPERTYGET);
            EXPECT_EQ(errorOf(r), HRESULT(0x800A0005)) << member;
            EXPECT_STREQ(r.error.bstrDescription, L"Invalid procedure call or argument");
        }
    }
    EXPECT_EQ(contents(c.get()), L"a,b");
}

TEST(Collection, RemoveClosesTheGapAndFreesTheKey) {
    ComPtr<IDispatch> c = newCollection();
    add(c.get(), L"a", L"ka");
    add(c.get(), L"b", L"kb");
    add(c.get(), L"c", L"kc");
    CallResult byKey, byPosition;
    call(c.get(), L"Remove", {str(L"KB")}, byKey, DISPATCH_METHOD);
    EXPECT_EQ(byKey.hr, S_OK);
    EXPECT_EQ(contents(c.get()), L"a,c");
    EXPECT_EQ(itemText(c.get(), i4(2)), L"c");
    call(c.get(), L"Remove", {i4(1)}, byPosition, DISPATCH_METHOD);
    EXPECT_EQ(byPosition.hr, S_OK);
    EXPECT_EQ(contents(c.get()), L"c");
    EXPECT_EQ(itemText(c.get(), str(L"ka")), L"<error>");
    add(c.get(), L"b2", L"kb"); // the key is free again
    EXPECT_EQ(itemText(c.get(), str(L"kb")), L"b2");
}

TEST(Collection, BeforeAndAfterByPositionOrKey) {
    ComPtr<IDispatch> c = newCollection();
    add(c.get(), L"m", L"mezzo");
    CallResult r1, r2, r3, r4;
    call(c.get(), L"Add", {str(L"a"), i4(1)}, r1, DISPATCH_METHOD, {L"Before"});
    EXPECT_EQ(r1.hr, S_OK);
    call(c.get(), L"Add", {str(L"z"), str(L"MEZZO")}, r2, DISPATCH_METHOD, {L"After"});
    EXPECT_EQ(r2.hr, S_OK);
    call(c.get(), L"Add", {str(L"n"), str(L"kn"), str(L"Mezzo")}, r3, DISPATCH_METHOD, {L"After"});
    EXPECT_EQ(r3.hr, S_OK);
    call(c.get(), L"Add", {str(L"b"), str(L"kb"), i4(2)}, r4, DISPATCH_METHOD, {L"Before"});
    EXPECT_EQ(r4.hr, S_OK);
    EXPECT_EQ(contents(c.get()), L"a,b,m,n,z");
    EXPECT_EQ(itemText(c.get(), str(L"kn")), L"n");

    // Positionally, as VBScript writes c.Add item, , , after.
    VARIANT missing;
    VariantInit(&missing);
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    CallResult last;
    call(c.get(), L"Add", {str(L"fine"), missing, missing, i4(5)}, last, DISPATCH_METHOD);
    EXPECT_EQ(last.hr, S_OK);
    EXPECT_EQ(contents(c.get()), L"a,b,m,n,z,fine");

    // Both places, or a place that is not there: nothing is added.
    CallResult both, noPosition, noKey, badKind;
    call(c.get(), L"Add", {str(L"x"), i4(1), i4(2)}, both, DISPATCH_METHOD, {L"Before", L"After"});
    call(c.get(), L"Add", {str(L"x"), i4(7)}, noPosition, DISPATCH_METHOD, {L"Before"});
    call(c.get(), L"Add", {str(L"x"), str(L"nessuna")}, noKey, DISPATCH_METHOD, {L"After"});
    call(c.get(), L"Add", {str(L"x"), null()}, badKind, DISPATCH_METHOD, {L"After"});
    for (auto* r : {&both, &noPosition, &noKey, &badKind}) EXPECT_EQ(errorOf(*r), HRESULT(0x800A0005));
    EXPECT_EQ(countOf(c.get()), 6);
}

TEST(Collection, ForEachWalksTheItemsInOrderUndisturbedByChanges) {
    ComPtr<IDispatch> c = newCollection();
    add(c.get(), L"a");
    add(c.get(), L"b", L"kb");
    add(c.get(), L"c");
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    ondrik::Variant result;
    ASSERT_EQ(c->Invoke(DISPID_NEWENUM, IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &none,
                        result.get(), nullptr, nullptr),
              S_OK);
    ASSERT_EQ(V_VT(result.get()), VT_UNKNOWN);
    ComPtr<IEnumVARIANT> e;
    ASSERT_EQ(V_UNKNOWN(result.get())->QueryInterface(IID_IEnumVARIANT, e.putVoid()), S_OK);
    CallResult removed;
    call(c.get(), L"Remove", {i4(1)}, removed, DISPATCH_METHOD);
    std::wstring seen;
    ondrik::Variant item;
    ULONG fetched = 9;
    // No memory for the copies: an error, nothing handed out, the place kept.
    failNextAllocation();
    EXPECT_EQ(e->Next(1, item.get(), &fetched), E_OUTOFMEMORY);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(V_VT(item.get()), VT_EMPTY);
    while (e->Next(1, item.get(), &fetched) == S_OK && fetched == 1) {
        seen += V_BSTR(item.get());
        item.clear();
    }
    EXPECT_EQ(seen, L"abc");
}

TEST(Collection, EarlyBoundThroughTheVtable) {
    ComPtr<ondrik::Collection> c = ondrik::Collection::create();
    _Collection* itf = c->itf();
    ondrik::Variant item = owned(str(L"valore")), key = owned(str(L"Chiave"));
    VARIANT missing;
    VariantInit(&missing);
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    EXPECT_EQ(itf->Add(*item.get(), *key.get(), missing, missing), S_OK);
    EXPECT_EQ(itf->Add(*item.get(), *key.get(), missing, missing), HRESULT(0x800A01C9));
    ComPtr<IErrorInfo> info;
    ASSERT_EQ(GetErrorInfo(0, info.put()), S_OK);
    Bstr description;
    info->GetDescription(description.put());
    EXPECT_EQ(description.str(), u"This key is already associated with an element of this collection");
    ondrik::Variant byKey = owned(str(L"chiave"));
    ondrik::Variant got;
    EXPECT_EQ(itf->Item(*byKey.get(), got.get()), S_OK);
    EXPECT_STREQ(V_BSTR(got.get()), L"valore");
    long n = 0;
    EXPECT_EQ(itf->Count(&n), S_OK);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(itf->Remove(*byKey.get()), S_OK);
    EXPECT_EQ(itf->Remove(*byKey.get()), HRESULT(0x800A0005));
    ComPtr<IUnknown> e;
    EXPECT_EQ(itf->_NewEnum(e.put()), S_OK);
    EXPECT_TRUE(e.query<IEnumVARIANT>(IID_IEnumVARIANT));
}
