// Class objects of the creatable classes, registered for multiple use.
#pragma once

#include "automation/com_ptr.h"

#include <objbase.h>

#include <functional>
#include <utility>

namespace ondrik {

// Creates a new object of one class and hands out the interface asked for.
using Creator = std::function<HRESULT(REFIID iid, void** out)>;

class ClassFactory : public IClassFactory {
public:
    explicit ClassFactory(Creator create) : create_(std::move(create)) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    // The class objects live as long as the server serves: their reference count means nothing.
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

// A new object of the server class T, made with T::create(args...), handed out as the
// interface asked for.
template <class T, class... Args> HRESULT createObject(REFIID iid, void** out, Args&&... args) {
    ComPtr<T> object = T::create(std::forward<Args>(args)...);
    return object ? object->QueryInterface(iid, out) : E_OUTOFMEMORY;
}

} // namespace ondrik
