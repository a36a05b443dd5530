#include "server/class_factory.h"

#include "automation/module_lock.h"

namespace ondrik {

STDMETHODIMP ClassFactory::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
        *out = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (refusing_) return CO_E_SERVER_STOPPING;
    try {
        return create_(iid, out);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP ClassFactory::LockServer(BOOL lock) {
    if (lock)
        moduleLock::lock();
    else
        moduleLock::unlock();
    return S_OK;
}

} // namespace ondrik
