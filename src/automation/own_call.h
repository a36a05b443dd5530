// The own call path of the dispatch (dispatch.h): members that oleaut32's ITypeInfo::Invoke
// cannot call are called through DispCallFunc, in three steps. Bind: each of the client's
// arguments goes to its declared parameter and is coerced as ITypeInfo::Invoke would
// (defaults and left-out optionals filled in, the param array packed, storage made for the
// result). Call: DispCallFunc on the object's function table. Write back: by-reference
// Variants of the client take their new values, and the result goes to the caller.
#pragma once

#include <windows.h>

#include <oaidl.h>

namespace ondrik::dispatch {

// Whether the member needs the own call path: it has a param array, a by-value Variant
// parameter (Wine passes those wrongly on x64), or a by-reference parameter of a type
// other than Variant (Wine's ITypeInfo::Invoke rejects VBScript's by-reference Variants).
bool needsOwnCall(const FUNCDESC& f);

// The parameters a client passes: the declared ones without the result.
UINT callableParams(const FUNCDESC& f);

// Calls the member f of self (info: the vtable side of its interface) with the client's
// arguments, as IDispatch::Invoke.
HRESULT ownCall(ITypeInfo* info, void* self, const FUNCDESC& f, DISPPARAMS* dp, VARIANT* result,
                EXCEPINFO* ei, UINT* argErr);

} // namespace ondrik::dispatch
