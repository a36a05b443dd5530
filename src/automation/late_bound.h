// Reading a member of a client's object by name, as late binding does.
#pragma once

#include "automation/com_ptr.h"

#include <windows.h>

#include <oaidl.h>

namespace ondrik {

// Looks name up on object and reads it as a property; an object that has no property
// read of that name (DISP_E_MEMBERNOTFOUND) is asked for it as an argument-less method.
// The look-up tries IDispatch::GetIDsOfNames first and falls back on
// IDispatchEx::GetDispID: a VBScript class instance under Wine answers only the latter.
HRESULT readMember(IDispatch* object, const wchar_t* name, VARIANT* out);

// The object held in a Variant (by reference or not), as the interface it is held as
// (IDispatch or IUnknown), found without a call into it; object is nullptr when the
// Variant holds none. The Variant keeps it alive.
struct HeldObject {
    IUnknown* object = nullptr;
    IID iid = IID_IUnknown;
};
HeldObject heldObject(const VARIANT& value);

// The IDispatch of an object held in a Variant (by reference or not), or an empty pointer.
ComPtr<IDispatch> dispatchOf(const VARIANT& value);

} // namespace ondrik
