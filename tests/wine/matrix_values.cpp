#include "matrix_values.h"

#include "automation/variant.h"

#include <cfloat>
#include <climits>

namespace matrix {

const std::vector<Kind>& allKinds() {
    static const std::vector<Kind> kinds = {
        Kind::Empty,         Kind::Null,      Kind::IntegerMin,   Kind::IntegerMax,
        Kind::LongMin,       Kind::LongMax,   Kind::DoubleMin,    Kind::DoubleMax,
        Kind::Currency,      Kind::Date,      Kind::True,         Kind::False,
        Kind::BooleanOne,    Kind::EmptyText, Kind::EmbeddedNul,  Kind::MillionChars,
        Kind::LoneSurrogate, Kind::Nothing,   Kind::ClientObject, Kind::WrongServerObject,
        Kind::Array,         Kind::Missing,   Kind::Fewer,
    };
    return kinds;
}

const char* nameOf(Kind k) {
    switch (k) {
    case Kind::Empty:
        return "Empty";
    case Kind::Null:
        return "Null";
    case Kind::IntegerMin:
        return "Integer -32768";
    case Kind::IntegerMax:
        return "Integer 32767";
    case Kind::LongMin:
        return "Long -2147483648";
    case Kind::LongMax:
        return "Long 2147483647";
    case Kind::DoubleMin:
        return "Double -1.79769313486232E+308";
    case Kind::DoubleMax:
        return "Double 1.79769313486232E+308";
    case Kind::Currency:
        return "Currency 922337203685477.5807";
    case Kind::Date:
        return "Date 2023-03-15 18:00";
    case Kind::True:
        return "Boolean True";
    case Kind::False:
        return "Boolean False";
    case Kind::BooleanOne:
        return "Boolean 1";
    case Kind::EmptyText:
        return "\"\"";
    case Kind::EmbeddedNul:
        return "text with an embedded NUL";
    case Kind::MillionChars:
        return "text of a million characters";
    case Kind::LoneSurrogate:
        return "lone UTF-16 surrogate";
    case Kind::Nothing:
        return "Nothing";
    case Kind::ClientObject:
        return "client-made object";
    case Kind::WrongServerObject:
        return "server object of the wrong class";
    case Kind::Array:
        return "array";
    case Kind::Missing:
        return "missing argument";
    case Kind::Fewer:
        return "fewer arguments";
    }
    return "?";
}

VARIANT text(const std::wstring& s) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocStringLen(s.data(), UINT(s.size()));
    return v;
}

VARIANT number(long n) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I4;
    V_I4(&v) = n;
    return v;
}

VARIANT boolean(bool b) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BOOL;
    V_BOOL(&v) = b ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

VARIANT object(IDispatch* d) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = d;
    if (d) d->AddRef();
    return v;
}

VARIANT missing() {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_ERROR;
    V_ERROR(&v) = DISP_E_PARAMNOTFOUND;
    return v;
}

namespace {

VARIANT array() {
    VARIANT v;
    VariantInit(&v);
    SAFEARRAY* items = SafeArrayCreateVector(VT_VARIANT, 0, 2);
    VARIANT* data = nullptr;
    SafeArrayAccessData(items, reinterpret_cast<void**>(&data));
    data[0] = number(1);
    data[1] = text(L"a");
    SafeArrayUnaccessData(items);
    V_VT(&v) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&v) = items;
    return v;
}

} // namespace

VARIANT make(Kind k, const std::wstring& textPrefix, const Objects& objects) {
    VARIANT v;
    VariantInit(&v);
    switch (k) {
    case Kind::Empty:
        break;
    case Kind::Null:
        V_VT(&v) = VT_NULL;
        break;
    case Kind::IntegerMin:
    case Kind::IntegerMax:
        V_VT(&v) = VT_I2;
        V_I2(&v) = k == Kind::IntegerMin ? SHRT_MIN : SHRT_MAX;
        break;
    case Kind::LongMin:
    case Kind::LongMax:
        V_VT(&v) = VT_I4;
        V_I4(&v) = k == Kind::LongMin ? LONG_MIN : LONG_MAX;
        break;
    case Kind::DoubleMin:
    case Kind::DoubleMax:
        V_VT(&v) = VT_R8;
        V_R8(&v) = k == Kind::DoubleMin ? -DBL_MAX : DBL_MAX;
        break;
    case Kind::Currency:
        V_VT(&v) = VT_CY;
        V_CY(&v).int64 = LLONG_MAX;
        break;
    case Kind::Date:
        V_VT(&v) = VT_DATE;
        V_DATE(&v) = 45000.75;
        break;
    case Kind::True:
    case Kind::False:
    case Kind::BooleanOne:
        V_VT(&v) = VT_BOOL;
        V_BOOL(&v) = k == Kind::True ? VARIANT_TRUE : k == Kind::False ? VARIANT_FALSE : VARIANT_BOOL(1);
        break;
    case Kind::EmptyText:
        return text(L"");
    case Kind::EmbeddedNul:
        return text(textPrefix + std::wstring(L"ab\0cd", 5));
    case Kind::MillionChars:
        return text(textPrefix + std::wstring(1000000 - textPrefix.size(), L'x'));
    case Kind::LoneSurrogate:
        return text(textPrefix + std::wstring(1, wchar_t(0xD800)));
    case Kind::Nothing:
        return object(nullptr);
    case Kind::ClientObject:
        return object(objects.client);
    case Kind::WrongServerObject:
        return object(objects.wrongClass);
    case Kind::Array:
        return array();
    case Kind::Missing:
    case Kind::Fewer:
        return missing();
    }
    return v;
}

bool asPlatformText(const VARIANT& v, USHORT flags, std::wstring& out) {
    ondrik::Variant t;
    if (FAILED(VariantChangeType(t.get(), const_cast<VARIANT*>(&v), flags, VT_BSTR))) return false;
    out.assign(V_BSTR(t.get()), SysStringLen(V_BSTR(t.get())));
    out = out.substr(0, out.find(L'\0'));
    return true;
}

} // namespace matrix
