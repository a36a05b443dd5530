// Base of every class the server exposes: reference counting, the dual interface's
// IDispatch over the type library, IDispatchEx (so that a VBScript member access costs
// one round trip instead of four), ISupportErrorInfo, the client-reference count that
// decides the server's lifetime (IExternalConnection), and the private identity check
// behind server-internal members.
#pragma once

#include "automation/bstr.h"
#include "automation/com_ptr.h"
#include "automation/dispatch.h"
#include "automation/error_info.h"
#include "automation/kept_alive.h"
#include "automation/module_lock.h"
#include "automation/server_object.h"
#include "automation/type_library.h"

#include <atomic>
#include <dispex.h>
#include <new>
#include <utility>

namespace ondrik {

template <class Derived, class Itf>
class DispatchObject : public Itf,
                       public IDispatchEx,
                       public ISupportErrorInfo,
                       public IExternalConnection,
                       public IServerObject {
public:
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    // A new object, owned by the result; empty when memory runs out.
    template <class... Args> static ComPtr<Derived> create(Args&&... args) {
        return ComPtr<Derived>::adopt(new (std::nothrow) Derived(std::forward<Args>(args)...));
    }

    Itf* itf() { return static_cast<Itf*>(this); }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(Itf))
            *out = static_cast<Itf*>(this);
        else if (iid == IID_IDispatchEx)
            *out = static_cast<IDispatchEx*>(this);
        else if (iid == IID_ISupportErrorInfo)
            *out = static_cast<ISupportErrorInfo*>(this);
        else if (iid == IID_IExternalConnection)
            *out = static_cast<IExternalConnection*>(this);
        else if (iid == IID_IServerObject)
            *out = static_cast<IServerObject*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    // The count is atomic: a reference may be taken or dropped on a worker thread too.
    STDMETHODIMP_(ULONG) AddRef() override { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0) delete static_cast<Derived*>(this);
        return left;
    }

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        ITypeInfo* info = typeLibrary::infoOf(__uuidof(Itf));
        if (!info) return E_UNEXPECTED;
        info->AddRef();
        *out = info;
        return S_OK;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return dispatch::getIDsOfNames(__uuidof(Itf), names, count, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excepInfo, UINT* argErr) override {
        return dispatch::invoke(__uuidof(Itf), static_cast<Itf*>(this), id, flags, params, result, excepInfo,
                                argErr);
    }

    // IDispatchEx: names resolve without regard to case, as through GetIDsOfNames.
    STDMETHODIMP GetDispID(BSTR name, DWORD, DISPID* id) override {
        return dispatch::getIDsOfNames(__uuidof(Itf), &name, 1, id);
    }
    STDMETHODIMP InvokeEx(DISPID id, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                          EXCEPINFO* excepInfo, IServiceProvider*) override {
        return Invoke(id, IID_NULL, lcid, flags, params, result, excepInfo, nullptr);
    }
    STDMETHODIMP DeleteMemberByName(BSTR, DWORD) override { return S_FALSE; }
    STDMETHODIMP DeleteMemberByDispID(DISPID) override { return S_FALSE; }
    STDMETHODIMP GetMemberProperties(DISPID, DWORD, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMemberName(DISPID, BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP GetNextDispID(DWORD, DISPID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetNameSpaceParent(IUnknown** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override {
        return iid == __uuidof(Itf) ? S_OK : S_FALSE;
    }

    // IExternalConnection
    STDMETHODIMP_(DWORD) AddConnection(DWORD type, DWORD) override { return connections_.add(type); }
    STDMETHODIMP_(DWORD) ReleaseConnection(DWORD type, DWORD, BOOL) override {
        return connections_.release(type);
    }

    // IServerObject
    void* STDMETHODCALLTYPE objectOfClass(REFCLSID cls) override {
        return cls == Derived::classId() ? static_cast<Derived*>(this) : nullptr;
    }

protected:
    DispatchObject() = default;
    virtual ~DispatchObject() = default;

    // The error convention, for this object's interface.
    HRESULT fail(HRESULT hr) { return raise(hr, __uuidof(Itf)); }

    // Hands a copy of a value to an out-parameter.
    HRESULT copyOut(std::u16string_view value, BSTR* ret) {
        if (!ret) return E_POINTER;
        *ret = allocBstr(value);
        return *ret ? S_OK : fail(E_OUTOFMEMORY);
    }
    template <class N> HRESULT copyOut(N value, N* ret) {
        if (!ret) return E_POINTER;
        *ret = value;
        return S_OK;
    }

    // An unguarded member: body returns its HRESULT; a failure is described through
    // IErrorInfo, and no C++ exception leaves the member.
    template <class Body> HRESULT unguarded(Body&& body) {
        HRESULT hr;
        try {
            hr = body();
        } catch (const std::bad_alloc&) {
            hr = E_OUTOFMEMORY;
        } catch (...) {
            hr = E_UNEXPECTED;
        }
        return FAILED(hr) ? fail(hr) : hr;
    }

    // A guarded member: whatever fails inside body is swallowed, and the call succeeds.
    template <class Body> HRESULT guarded(Body&& body) {
        try {
            body();
        } catch (...) {
        }
        clearError();
        return S_OK;
    }

private:
    std::atomic<ULONG> refs_{1};
    ClientConnections connections_;
    keptAlive::Counted<keptAlive::Kind::object> counted_;
};

} // namespace ondrik
