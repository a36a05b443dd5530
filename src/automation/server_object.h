// Identity check behind the server-internal members. Every object the server makes
// answers this private interface, whose identifier no proxy knows, so it is never
// marshalled: an object implemented by a client, even one with the same public
// interface, fails the check.
#pragma once

#include "automation/com_ptr.h"

#include <windows.h>

#include <objbase.h>

namespace ondrik {

inline constexpr IID IID_IServerObject = {
    0x4CD52C08, 0x49C5, 0x45B1, {0x98, 0x16, 0x31, 0x4F, 0xA9, 0xD4, 0xD4, 0x45}};

struct IServerObject : IUnknown {
    // The concrete object when it is of the class cls, else nullptr.
    virtual void* STDMETHODCALLTYPE objectOfClass(REFCLSID cls) = 0;
};

// The server's own object of class T behind p, or nullptr. Takes no reference: the
// caller keeps p alive while it uses the result.
template <class T> T* serverCast(IUnknown* p) {
    if (!p) return nullptr;
    ComPtr<IServerObject> so;
    if (FAILED(p->QueryInterface(IID_IServerObject, so.putVoid())) || !so) return nullptr;
    return static_cast<T*>(so->objectOfClass(T::classId()));
}

} // namespace ondrik
