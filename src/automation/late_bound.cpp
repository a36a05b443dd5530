#include "automation/late_bound.h"

#include "automation/bstr.h"
#include "automation/com_ptr.h"
#include "automation/return_if_failed.h"

#include <dispex.h>

namespace ondrik {

namespace {

HRESULT invokeWithoutArguments(IDispatch* object, DISPID id, WORD flags, VARIANT* out) {
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    EXCEPINFO ei = {};
    HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &none, out, &ei, nullptr);
    SysFreeString(ei.bstrSource);
    SysFreeString(ei.bstrDescription);
    SysFreeString(ei.bstrHelpFile);
    return hr;
}

} // namespace

HRESULT readMember(IDispatch* object, const wchar_t* name, VARIANT* out) {
    if (!object) return E_POINTER;
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) {
        ComPtr<IDispatchEx> ex = ComPtr<IDispatch>(object).query<IDispatchEx>(IID_IDispatchEx);
        if (!ex) return hr;
        Bstr bname(name);
        RETURN_IF_FAILED(ex->GetDispID(bname.get(), fdexNameCaseInsensitive, &id));
    }
    // A property read alone: JScript takes any call that carries DISPATCH_METHOD as a
    // call of the member's value, so asking for both at once fails on its objects.
    hr = invokeWithoutArguments(object, id, DISPATCH_PROPERTYGET, out);
    if (hr == DISP_E_MEMBERNOTFOUND) hr = invokeWithoutArguments(object, id, DISPATCH_METHOD, out);
    return hr;
}

HeldObject heldObject(const VARIANT& value) {
    const VARIANT* v = &value;
    if (V_VT(v) == (VT_BYREF | VT_VARIANT)) v = V_VARIANTREF(v);
    switch (V_VT(v)) {
    case VT_DISPATCH: return {V_DISPATCH(v), IID_IDispatch};
    case VT_UNKNOWN: return {V_UNKNOWN(v), IID_IUnknown};
    case VT_BYREF | VT_DISPATCH: return {*V_DISPATCHREF(v), IID_IDispatch};
    case VT_BYREF | VT_UNKNOWN: return {*V_UNKNOWNREF(v), IID_IUnknown};
    default: return {};
    }
}

ComPtr<IDispatch> dispatchOf(const VARIANT& value) {
    ComPtr<IDispatch> d;
    if (IUnknown* unknown = heldObject(value).object) unknown->QueryInterface(IID_IDispatch, d.putVoid());
    return d;
}

} // namespace ondrik
