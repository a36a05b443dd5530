// Objects of a client's own making that the server is handed where it expects its own: a
// session and an application record. The server reaches them as it reaches a client's
// process: each call may let other calls run, and may never be answered (threaded_app.h).
#pragma once

#include "generated/Ondrik.h"

#include <functional>
#include <utility>

namespace testing_ondrik {

#define ONDRIK_NOT_HERE(name, ...)                                                                           \
    STDMETHODIMP name(__VA_ARGS__) override {                                                                \
        return E_NOTIMPL;                                                                                    \
    }

// A session (a record accepts any): when the last reference to it goes, which is the server
// letting go of it, goes runs. Made with new; its first reference is the maker's.
class ClientSession final : public _Sessione {
public:
    explicit ClientSession(std::function<void()> goes = {}) : goes_(std::move(goes)) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IDispatch || iid == IID__Sessione ? this : nullptr;
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG left = --refs_;
        if (left == 0) {
            if (goes_) goes_();
            delete this;
        }
        return left;
    }
    ONDRIK_NOT_HERE(GetTypeInfoCount, UINT*)
    ONDRIK_NOT_HERE(GetTypeInfo, UINT, LCID, ITypeInfo**)
    ONDRIK_NOT_HERE(GetIDsOfNames, REFIID, LPOLESTR*, UINT, LCID, DISPID*)
    ONDRIK_NOT_HERE(Invoke, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
    ONDRIK_NOT_HERE(get_Creazione, DATE*)
    ONDRIK_NOT_HERE(get_ID, long*)
    ONDRIK_NOT_HERE(get_UserID, BSTR*)
    ONDRIK_NOT_HERE(put_UserID, BSTR)
    ONDRIK_NOT_HERE(get_Password, BSTR*)
    ONDRIK_NOT_HERE(put_Password, BSTR)
    ONDRIK_NOT_HERE(get_CodiceAzienda, BSTR*)
    STDMETHODIMP get_Condivisa(VARIANT_BOOL* ret) override {
        *ret = VARIANT_TRUE;
        return S_OK;
    }

private:
    std::function<void()> goes_;
    ULONG refs_ = 1;
};

// An application record working in session: its first read of the session first lets
// meanwhile run (the calls that the server serves while it waits for the answer).
class ClientRecord : public _Applicazione {
public:
    ClientRecord(_Sessione* s, std::function<void()> meanwhile = {})
        : session_(s), meanwhile_(std::move(meanwhile)) {}
    STDMETHODIMP get_Sessione(_Sessione** ret) override {
        if (++reads_ == 1 && meanwhile_) meanwhile_();
        *ret = session_;
        if (session_) session_->AddRef();
        return S_OK;
    }
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IDispatch || iid == IID__Applicazione ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 1; }
    STDMETHODIMP_(ULONG) Release() override { return 1; } // lives on the test's stack
    int reads() const { return reads_; }
    ONDRIK_NOT_HERE(GetTypeInfoCount, UINT*)
    ONDRIK_NOT_HERE(GetTypeInfo, UINT, LCID, ITypeInfo**)
    ONDRIK_NOT_HERE(GetIDsOfNames, REFIID, LPOLESTR*, UINT, LCID, DISPID*)
    ONDRIK_NOT_HERE(Invoke, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
    ONDRIK_NOT_HERE(get_Comments, BSTR*)
    ONDRIK_NOT_HERE(get_CompanyName, BSTR*)
    ONDRIK_NOT_HERE(get_FileDescription, BSTR*)
    ONDRIK_NOT_HERE(get_LegalCopyright, BSTR*)
    ONDRIK_NOT_HERE(get_LegalTrademarks, BSTR*)
    ONDRIK_NOT_HERE(get_Major, short*)
    ONDRIK_NOT_HERE(get_Minor, short*)
    ONDRIK_NOT_HERE(get_Revision, short*)
    ONDRIK_NOT_HERE(get_ProductName, BSTR*)
    ONDRIK_NOT_HERE(get_Title, BSTR*)
    ONDRIK_NOT_HERE(get_Path, BSTR*)
    ONDRIK_NOT_HERE(get_EXEName, BSTR*)
    ONDRIK_NOT_HERE(get_ThreadID, long*)
    ONDRIK_NOT_HERE(put_ThreadID, long)
    ONDRIK_NOT_HERE(get_hInstance, long*)
    ONDRIK_NOT_HERE(putref_Sessione, _Sessione*)
    ONDRIK_NOT_HERE(get_LinkTopic, BSTR*)
    ONDRIK_NOT_HERE(put_LinkTopic, BSTR)

private:
    _Sessione* session_;
    std::function<void()> meanwhile_;
    int reads_ = 0;
};

#undef ONDRIK_NOT_HERE

} // namespace testing_ondrik
