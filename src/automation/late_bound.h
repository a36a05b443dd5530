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

// The IDispatch of an object held in a Variant (by reference or not), or an empty pointer.
ComPtr<IDispatch> dispatchOf(const VARIANT& value);

} // namespace ondrik
