// IDispatch over the embedded type library. Calls go to oleaut32's ITypeInfo::Invoke,
// except for the two kinds of member that Wine's implementation cannot call: members
// with a parameter array (it takes exactly one argument for the array, where clients
// pass any number) and members with a by-reference parameter of a type other than
// Variant (it rejects the by-reference Variants that VBScript passes for them). Those
// are called through DispCallFunc with arguments coerced as ITypeInfo::Invoke would.
#pragma once

#include <windows.h>

#include <oaidl.h>

namespace ondrik::dispatch {

HRESULT getIDsOfNames(REFIID itf, LPOLESTR* names, UINT count, DISPID* ids);

HRESULT invoke(REFIID itf, void* self, DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
               EXCEPINFO* excepInfo, UINT* argErr);

} // namespace ondrik::dispatch
