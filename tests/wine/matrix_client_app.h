// A client's application object for the bad-input matrix: answers a few version fields
// by name, has no default value (so no conversion can turn it into text or a number),
// and lives on the heap with a true reference count, so the server may keep it as long
// as it likes.
#pragma once

#include "automation/com_ptr.h"

#include <windows.h>

#include <oleauto.h>

class MatrixClientApp : public IDispatch {
public:
    static ondrik::ComPtr<IDispatch> create() {
        return ondrik::ComPtr<IDispatch>::adopt(new MatrixClientApp);
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return left;
    }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        if (n) *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!names || !ids || count == 0) return E_INVALIDARG;
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        for (DISPID k = 0; k < DISPID(kFields); ++k)
            if (lstrcmpiW(kNames[k], names[0]) == 0) {
                ids[0] = k + 1;
                return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
            }
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        if (id < 1 || id > DISPID(kFields)) return DISP_E_MEMBERNOTFOUND; // DISPID_VALUE included
        if (!result) return S_OK;
        VariantInit(result);
        if (id <= 2) {
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = SysAllocString(id == 1 ? L"MatriceCliente" : L"Matrice");
        } else {
            V_VT(result) = VT_I4;
            V_I4(result) = id == 3 ? 4242 : 77;
        }
        return S_OK;
    }

private:
    MatrixClientApp() = default;
    virtual ~MatrixClientApp() = default;
    static constexpr int kFields = 4;
    static constexpr const wchar_t* kNames[kFields] = {L"EXEName", L"Title", L"hInstance", L"ThreadID"};
    LONG refs_ = 1;
};
