// A client's application object for the application register's tests: answers each
// name as told (a value, an error, a value only to a method call, a demand for
// arguments, or nothing), optionally slowly, and records every call's flags.
#pragma once

#include "automation/variant.h"

#include <atomic>
#include <functional>
#include <map>
#include <oleauto.h>
#include <string>
#include <vector>

class FakeApp : public IDispatch {
public:
    enum class Kind { Value, Error, MethodOnly, NeedsArguments };
    struct Answer {
        Kind kind = Kind::Value;
        ondrik::Variant value;
    };

    FakeApp() = default;

    FakeApp& text(const std::wstring& name, const wchar_t* v) {
        VARIANT x;
        VariantInit(&x);
        V_VT(&x) = VT_BSTR;
        V_BSTR(&x) = SysAllocString(v);
        return set(name, x);
    }
    FakeApp& number(const std::wstring& name, double v) {
        VARIANT x;
        VariantInit(&x);
        V_VT(&x) = VT_R8;
        V_R8(&x) = v;
        return set(name, x);
    }
    FakeApp& null(const std::wstring& name) {
        VARIANT x;
        VariantInit(&x);
        V_VT(&x) = VT_NULL;
        return set(name, x);
    }
    // An object as the member's value (the Variant takes a reference).
    FakeApp& object(const std::wstring& name, IDispatch* d) {
        VARIANT x;
        VariantInit(&x);
        V_VT(&x) = VT_DISPATCH;
        V_DISPATCH(&x) = d;
        d->AddRef();
        return set(name, x);
    }
    FakeApp& error(const std::wstring& name) { return kind(name, Kind::Error); }
    // Answers its value to DISPATCH_METHOD alone, DISP_E_MEMBERNOTFOUND to anything else.
    FakeApp& methodOnly(const std::wstring& name) { return kind(name, Kind::MethodOnly); }
    FakeApp& needsArguments(const std::wstring& name) { return kind(name, Kind::NeedsArguments); }
    // The text answered for DISPID_VALUE, the default member, when set.
    const wchar_t* defaultText = nullptr;
    // Called inside every read, before it answers (to be slow, or to act meanwhile).
    std::function<void(const std::wstring&)> onRead;
    int reads = 0;
    // The references held on the object: each proxy of it, in any apartment or process,
    // holds some through its stub.
    ULONG refs() const { return refs_; }
    std::map<std::wstring, std::vector<WORD>> flagsOf; // each call's flags, by name

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; } // lives on the test's stack
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* id) override {
        int k = 1;
        for (auto& [name, a] : answers_) {
            if (lstrcmpiW(name.c_str(), names[0]) == 0) {
                *id = k;
                return S_OK;
            }
            ++k;
        }
        *id = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO* ei,
                        UINT*) override {
        ++reads;
        if (id == DISPID_VALUE && defaultText && result) {
            VariantInit(result);
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = SysAllocString(defaultText);
            return S_OK;
        }
        int k = 1;
        for (auto& [name, a] : answers_) {
            if (k++ != id) continue;
            flagsOf[name].push_back(flags);
            if (onRead) onRead(name);
            if (a.kind == Kind::MethodOnly && flags != DISPATCH_METHOD) return DISP_E_MEMBERNOTFOUND;
            if (a.kind == Kind::NeedsArguments) return DISP_E_BADPARAMCOUNT;
            if (a.kind == Kind::Error) {
                if (ei) {
                    *ei = EXCEPINFO{};
                    ei->scode = 0x800A0005;
                    ei->bstrDescription = SysAllocString(L"Invalid procedure call or argument");
                }
                return DISP_E_EXCEPTION;
            }
            return result ? VariantCopy(result, a.value.get()) : S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    FakeApp& kind(const std::wstring& name, Kind k) {
        answers_[name].kind = k;
        return *this;
    }
    FakeApp& set(const std::wstring& name, VARIANT v) {
        Answer& a = answers_[name];
        a.value = ondrik::Variant::adopt(v);
        return *this;
    }
    std::map<std::wstring, Answer> answers_;
    std::atomic<ULONG> refs_{1}; // proxies take and drop references on other threads
};
