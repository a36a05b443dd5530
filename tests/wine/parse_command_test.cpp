// ParseCommand in this process, called as VB and VBScript clients call it (through
// IDispatch, with any number of switches) and through the vtable.
#include "dispatch_helpers.h"

#include "global/global.h"

#include <gtest/gtest.h>
#include <string>

using namespace ondrik;
using namespace testing_ondrik;

namespace {

struct Parsed {
    HRESULT hr = E_FAIL;
    ComPtr<IDispatch> collection; // Nothing for an empty command line
};

Parsed parse(std::vector<VARIANT> args) {
    ComPtr<ondrik::Global> g = ondrik::Global::create(ondrik::ProcessState::make());
    CallResult r;
    call(g->itf(), L"ParseCommand", std::move(args), r, DISPATCH_METHOD);
    Parsed out;
    out.hr = r.hr;
    if (V_VT(r.value.get()) == VT_DISPATCH) out.collection = ComPtr<IDispatch>(V_DISPATCH(r.value.get()));
    return out;
}

VARIANT null() {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_NULL;
    return v;
}

// The items as "value" or "value=key-lookup-ok", joined by "|". Each keyed item is also
// looked up by the key given for it, in another case.
std::wstring read(IDispatch* c) {
    if (!c) return L"Nothing";
    CallResult count;
    call(c, L"Count", {}, count);
    std::wstring out;
    for (long i = 1; i <= V_I4(count.value.get()); ++i) {
        CallResult r;
        call(c, L"Item", {i4(i)}, r);
        ondrik::Variant text;
        VariantChangeType(text.get(), r.value.get(), VARIANT_ALPHABOOL, VT_BSTR);
        if (i > 1) out += L"|";
        out += V_VT(text.get()) == VT_BSTR ? V_BSTR(text.get()) : L"?";
    }
    return out;
}

std::wstring byKey(IDispatch* c, const wchar_t* key) {
    CallResult r;
    call(c, L"Item", {str(key)}, r);
    if (r.hr != S_OK) return L"<none>";
    ondrik::Variant text;
    VariantChangeType(text.get(), r.value.get(), VARIANT_ALPHABOOL, VT_BSTR);
    return V_VT(text.get()) == VT_BSTR ? V_BSTR(text.get()) : L"?";
}

} // namespace

TEST(ParseCommandCall, ExampleRowsThroughIDispatch) {
    auto rows = [](const wchar_t* line) {
        return parse({str(line), str(L" "), str(L"/U"), str(L"/D"), str(L"/A")});
    };
    Parsed empty = rows(L"");
    EXPECT_EQ(empty.hr, S_OK);
    EXPECT_FALSE(empty.collection);
    EXPECT_EQ(read(rows(L"prog.exe data.txt").collection.get()), L"prog.exe|data.txt");
    Parsed two = rows(L"/u mario /D archivio");
    EXPECT_EQ(read(two.collection.get()), L"mario|archivio");
    EXPECT_EQ(byKey(two.collection.get(), L"/U"), L"mario");
    EXPECT_EQ(byKey(two.collection.get(), L"/d"), L"archivio");
    EXPECT_EQ(read(rows(L"x /A").collection.get()), L"x|/A");
    EXPECT_EQ(read(rows(L"/U mario rossi").collection.get()), L"mario rossi");
    Parsed moved = rows(L"/U a /D b /U c");
    EXPECT_EQ(read(moved.collection.get()), L"b|a c");
    EXPECT_EQ(byKey(moved.collection.get(), L"/u"), L"a c");
    EXPECT_EQ(read(rows(L"a  b").collection.get()), L"a||b");
    EXPECT_EQ(read(rows(L"/U  a  b").collection.get()), L"a b");
    EXPECT_EQ(read(parse({str(L"/U, x"), str(L","), str(L"/U")}).collection.get()), L" x");
    EXPECT_EQ(read(parse({str(L"/U, x,y"), str(L","), str(L"/U")}).collection.get()), L"x y");
}

TEST(ParseCommandCall, AnyNumberOfSwitches) {
    EXPECT_EQ(read(parse({str(L"/a b /c")}).collection.get()), L"Nothing"); // a missing delimiter: no call
    EXPECT_EQ(read(parse({str(L"/a b /c"), str(L" ")}).collection.get()), L"/a|b|/c");
    std::vector<VARIANT> many{str(L"w /s9 nove /s0 zero /S5"), str(L" ")};
    for (int k = 0; k < 10; ++k) many.push_back(str((L"/s" + std::to_wstring(k)).c_str()));
    Parsed p = parse(std::move(many));
    EXPECT_EQ(read(p.collection.get()), L"w|nove|zero|/s5");
    EXPECT_EQ(byKey(p.collection.get(), L"/S9"), L"nove");
    EXPECT_EQ(byKey(p.collection.get(), L"/s5"), L"/s5");
}

TEST(ParseCommandCall, SwitchesThatAreNotStrings) {
    // A number is compared as text and stands as its own value, as passed.
    ComPtr<ondrik::Global> g = ondrik::Global::create(ondrik::ProcessState::make());
    CallResult r;
    call(g->itf(), L"ParseCommand", {str(L"x 5 true 5 y"), str(L" "), i4(5), vbool(true), null()}, r,
         DISPATCH_METHOD);
    ASSERT_EQ(r.hr, S_OK);
    IDispatch* c = dispatchOf(r.value);
    EXPECT_EQ(read(c), L"x|True|y");
    CallResult flag;
    call(c, L"Item", {i4(2)}, flag);
    EXPECT_EQ(V_VT(flag.value.get()), VT_BOOL); // the switch itself, as passed
    EXPECT_EQ(byKey(c, L"5"), L"y");
    EXPECT_EQ(byKey(c, L"TRUE"), L"True");

    // Null and Empty are never recognised: the tokens stay words.
    VARIANT empty;
    VariantInit(&empty);
    Parsed holes = parse({str(L"a  b"), str(L" "), null(), empty});
    EXPECT_EQ(read(holes.collection.get()), L"a||b");
}

TEST(ParseCommandCall, ThroughTheVtableWithAnyArray) {
    ComPtr<ondrik::Global> g = ondrik::Global::create(ondrik::ProcessState::make());
    Bstr line(L"p /U u"), space(L" ");
    ComPtr<_Collection> none;
    EXPECT_EQ(g->ParseCommand(line.get(), space.get(), nullptr, none.put()), S_OK);
    EXPECT_EQ(read(ComPtr<IDispatch>(none.get()).get()), L"p|/U|u");

    // A one-based array of Variants, one holding a String by reference.
    SAFEARRAYBOUND bound = {2, 1};
    SAFEARRAY* flags = SafeArrayCreate(VT_VARIANT, 1, &bound);
    ondrik::Variant held = owned(str(L"/u"));
    VARIANT* items = nullptr;
    SafeArrayAccessData(flags, reinterpret_cast<void**>(&items));
    items[0] = str(L"/X");
    V_VT(&items[1]) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&items[1]) = held.get();
    SafeArrayUnaccessData(flags);
    ComPtr<_Collection> keyed;
    EXPECT_EQ(g->ParseCommand(line.get(), space.get(), flags, keyed.put()), S_OK);
    EXPECT_EQ(read(ComPtr<IDispatch>(keyed.get()).get()), L"p|u");
    EXPECT_EQ(byKey(ComPtr<IDispatch>(keyed.get()).get(), L"/U"), L"u");
    V_VT(&items[1]) = VT_EMPTY; // not owned by the array
    SafeArrayDestroy(flags);

    // An array of another element type, or of two dimensions, holds no switches.
    SAFEARRAY* strings = SafeArrayCreateVector(VT_BSTR, 0, 1);
    ComPtr<_Collection> other;
    EXPECT_EQ(g->ParseCommand(line.get(), space.get(), strings, other.put()), S_OK);
    EXPECT_EQ(read(ComPtr<IDispatch>(other.get()).get()), L"p|/U|u");
    SafeArrayDestroy(strings);

    // A null command line is an empty one; a null delimiter an empty one.
    ComPtr<_Collection> nothing, whole;
    EXPECT_EQ(g->ParseCommand(nullptr, space.get(), nullptr, nothing.put()), S_OK);
    EXPECT_FALSE(nothing);
    EXPECT_EQ(g->ParseCommand(line.get(), nullptr, nullptr, whole.put()), S_OK);
    EXPECT_EQ(read(ComPtr<IDispatch>(whole.get()).get()), L"p /U u");
    EXPECT_EQ(g->ParseCommand(line.get(), space.get(), nullptr, nullptr), E_POINTER);
}
