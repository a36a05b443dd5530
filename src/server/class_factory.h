// Class objects of the creatable classes, registered for multiple use.
#pragma once

#include <objbase.h>

namespace ondrik {

// Creates a new object of one class and hands out the interface asked for.
using Creator = HRESULT (*)(REFIID iid, void** out);

class ClassFactory : public IClassFactory {
public:
    explicit ClassFactory(Creator create) : create_(create) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    // The class objects are static: their reference count means nothing.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    // Once the server has begun to end, no object is made: CO_E_SERVER_STOPPING tells the
    // system to start a fresh server for the client (see refuseNewObjects).
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    STDMETHODIMP LockServer(BOOL lock) override;

    // From now on every class object refuses to make objects. The server calls it as it
    // begins to end: an activation that was already on its way (queued behind the last
    // client's release, or through a class object that a client obtained earlier) would
    // otherwise get an object of a process that ends moments later.
    static void refuseNewObjects() { refusing_ = true; }

private:
    Creator create_;
    static inline bool refusing_ = false; // the server's thread only
};

// Creator for a server class T (made with T::create()).
template <class T> HRESULT createObject(REFIID iid, void** out) {
    T* object = T::create();
    if (!object) return E_OUTOFMEMORY;
    HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
}

} // namespace ondrik
