// One IDispatch call by dispatch identifier, as a VB client makes it (property puts with
// the named DISPID_PROPERTYPUT argument), and what it answered.
#pragma once

#include "automation/variant.h"

#include <oleauto.h>
#include <vector>

namespace matrix {

struct Outcome {
    HRESULT hr = S_OK;
    ondrik::Variant value;
    EXCEPINFO error = {};
    Outcome() = default;
    Outcome(const Outcome&) = delete;
    Outcome& operator=(const Outcome&) = delete;
    ~Outcome() {
        SysFreeString(error.bstrSource);
        SysFreeString(error.bstrDescription);
        SysFreeString(error.bstrHelpFile);
    }
};

// Calls id on d with args in the order written; the arguments are owned by the call, and
// cleared after it.
inline void invoke(IDispatch* d, DISPID id, WORD flags, std::vector<VARIANT>& args, Outcome& out) {
    std::vector<ondrik::Variant> owner;
    for (const VARIANT& a : args) owner.push_back(ondrik::Variant::adopt(a));
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPID put = DISPID_PROPERTYPUT;
    bool named = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) && !args.empty();
    DISPPARAMS dp = {reversed.empty() ? nullptr : reversed.data(), named ? &put : nullptr,
                     UINT(reversed.size()), named ? 1u : 0u};
    UINT argErr = 0;
    out.hr = d->Invoke(id, IID_NULL, 0, flags, &dp, out.value.get(), &out.error, &argErr);
    args.clear();
}

} // namespace matrix
