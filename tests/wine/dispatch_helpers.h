// Helpers for calling objects through IDispatch, as VB and VBScript clients do.
#pragma once

#include "automation/bstr.h"
#include "automation/com_ptr.h"
#include "automation/variant.h"

#include <oleauto.h>
#include <string>
#include <vector>

namespace testing_ondrik {

using ondrik::Bstr;
using ondrik::ComPtr;

inline VARIANT str(const wchar_t* s) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocString(s);
    return v;
}
inline VARIANT i4(long n) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I4;
    V_I4(&v) = n;
    return v;
}
inline VARIANT vbool(bool b) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BOOL;
    V_BOOL(&v) = b ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}
// A value built above, owned from now on.
inline ondrik::Variant owned(VARIANT v) {
    return ondrik::Variant::adopt(v);
}
// An object in a Variant, without a reference of its own (not to be cleared).
inline VARIANT objectArg(IDispatch* d) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = d;
    return v;
}
// A by-reference Variant, as VBScript passes its variables.
inline VARIANT byRef(VARIANT* target) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&v) = target;
    return v;
}

struct CallResult {
    HRESULT hr = S_OK;
    ondrik::Variant value;
    EXCEPINFO error = {};
    ~CallResult() {
        SysFreeString(error.bstrSource);
        SysFreeString(error.bstrDescription);
        SysFreeString(error.bstrHelpFile);
    }
};

// Calls name on object with args in the order written; named gives names for the last
// arguments. The arguments are owned by the call, and cleared after it (by-reference
// targets are not).
inline void call(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args, CallResult& out,
                 WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                 std::vector<const wchar_t*> named = {}) {
    std::vector<ondrik::Variant> owner;
    for (const VARIANT& a : args) owner.push_back(ondrik::Variant::adopt(a));
    std::vector<LPOLESTR> names{const_cast<LPOLESTR>(name)};
    for (auto n : named) names.push_back(const_cast<LPOLESTR>(n));
    std::vector<DISPID> ids(names.size());
    out.hr = object->GetIDsOfNames(IID_NULL, names.data(), UINT(names.size()), 0, ids.data());
    if (FAILED(out.hr)) return;
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS dp = {reversed.data(), named.empty() ? nullptr : ids.data() + 1, UINT(reversed.size()),
                     UINT(named.size())};
    // Named arguments come first in rgvarg, in the order of their identifiers.
    if (!named.empty()) {
        std::vector<VARIANT> ordered;
        for (size_t k = 0; k < named.size(); ++k) ordered.push_back(args[args.size() - named.size() + k]);
        for (size_t k = args.size() - named.size(); k-- > 0;) ordered.push_back(args[k]);
        reversed = ordered;
        dp.rgvarg = reversed.data();
    }
    UINT argErr = 0;
    out.hr = object->Invoke(ids[0], IID_NULL, 0, flags, &dp, out.value.get(), &out.error, &argErr);
}

inline IDispatch* dispatchOf(const ondrik::Variant& v) {
    return V_VT(v.get()) == VT_DISPATCH ? V_DISPATCH(v.get()) : nullptr;
}

} // namespace testing_ondrik
