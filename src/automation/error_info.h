// The error convention. Guarded members swallow failures and return S_OK; unguarded
// members return the failing HRESULT after describing it through IErrorInfo, so that
// IDispatch clients (VBScript, VB) see Err.Number and Err.Description.
#pragma once

#include <windows.h>

#include <objbase.h>

namespace ondrik {

// Automation runtime errors that the server's own operations can meet.
inline constexpr HRESULT kInvalidCall = HRESULT(0x800A0005);  // "Invalid procedure call or argument"
inline constexpr HRESULT kOverflow = HRESULT(0x800A0006);     // "Overflow"
inline constexpr HRESULT kOutOfMemory = HRESULT(0x800A0007);  // "Out of memory"
inline constexpr HRESULT kTypeMismatch = HRESULT(0x800A000D); // "Type mismatch"
inline constexpr HRESULT kObjectNotSet = HRESULT(0x800A005B); // "Object variable or With block ..."
inline constexpr HRESULT kDuplicateKey = HRESULT(0x800A01C9); // "This key is already associated ..."

// Describes hr for the calling thread's error object (the source is the type library's
// name, the text the runtime's or the system's for the number) and returns hr.
HRESULT raise(HRESULT hr, REFIID iid);

// Fills a caller's EXCEPINFO (when given) for hr from the thread's error object.
void fillException(EXCEPINFO* ei, HRESULT hr);

// Clears the thread's error object; a guarded member calls it before returning S_OK so
// that a swallowed failure leaves nothing behind.
void clearError();

} // namespace ondrik
