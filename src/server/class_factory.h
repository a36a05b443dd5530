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
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    Creator create_;
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
