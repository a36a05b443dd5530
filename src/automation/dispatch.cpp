#include "automation/dispatch.h"

#include "automation/com_ptr.h"
#include "automation/error_info.h"
#include "automation/type_library.h"

#include <oleauto.h>
#include <vector>

namespace ondrik::dispatch {
namespace {

struct FuncDesc {
    ITypeInfo* info;
    FUNCDESC* desc = nullptr;
    ~FuncDesc() {
        if (desc) info->ReleaseFuncDesc(desc);
    }
};

// The first function with that identifier whose kind the predicate accepts.
template <class Accepts> bool findFunction(ITypeInfo* info, DISPID id, Accepts accepts, FuncDesc& out) {
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr))) return false;
    WORD count = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < count; ++i) {
        FUNCDESC* f = nullptr;
        if (FAILED(info->GetFuncDesc(i, &f))) continue;
        if (f->memid == id && accepts(f->invkind)) {
            out.desc = f;
            return true;
        }
        info->ReleaseFuncDesc(f);
    }
    return false;
}

// The method (not property) with that identifier.
bool findMethod(ITypeInfo* info, DISPID id, FuncDesc& out) {
    return findFunction(
        info, id, [](INVOKEKIND k) { return k == INVOKE_FUNC; }, out);
}

// The member that a get (a property get, or a method called for its value) reaches.
bool findGetter(ITypeInfo* info, DISPID id, WORD flags, FuncDesc& out) {
    return findFunction(
        info, id,
        [flags](INVOKEKIND k) {
            return k == INVOKE_PROPERTYGET || (k == INVOKE_FUNC && (flags & DISPATCH_METHOD));
        },
        out);
}

// The parameters a client passes: the declared ones without the result.
UINT ownParams(const FUNCDESC& f) {
    SHORT n = f.cParams;
    if (n > 0 && (f.lprgelemdescParam[n - 1].paramdesc.wParamFlags & PARAMFLAG_FRETVAL)) --n;
    return UINT(n);
}

bool isMissing(const VARIANT& v) {
    return V_VT(&v) == VT_ERROR && V_ERROR(&v) == DISP_E_PARAMNOTFOUND;
}

// Target of a by-reference (VT_PTR) parameter, or VT_EMPTY for a by-value one.
VARTYPE pointee(const TYPEDESC& t) {
    return t.vt == VT_PTR ? t.lptdesc->vt : VARTYPE(VT_EMPTY);
}

bool needsOwnCall(const FUNCDESC& f) {
    if (f.cParamsOpt == -1) return true;
    for (SHORT i = 0; i < f.cParams; ++i) {
        const ELEMDESC& e = f.lprgelemdescParam[i];
        if (e.paramdesc.wParamFlags & PARAMFLAG_FRETVAL) continue;
        if (e.tdesc.vt == VT_VARIANT) return true; // Wine passes by-value Variants wrongly on x64
        VARTYPE target = pointee(e.tdesc);
        if (target != VT_EMPTY && target != VT_VARIANT && target != VT_USERDEFINED && target != VT_PTR)
            return true;
    }
    return false;
}

// Variant type under which a retval of this description comes back.
VARTYPE resultType(ITypeInfo* info, const TYPEDESC& t) {
    if (t.vt != VT_PTR) return VT_EMPTY;
    const TYPEDESC& inner = *t.lptdesc;
    if (inner.vt != VT_PTR) return inner.vt;
    if (inner.lptdesc->vt != VT_USERDEFINED) return VT_EMPTY;
    ComPtr<ITypeInfo> ref;
    if (FAILED(info->GetRefTypeInfo(inner.lptdesc->hreftype, ref.put()))) return VT_EMPTY;
    TYPEATTR* attr = nullptr;
    if (FAILED(ref->GetTypeAttr(&attr))) return VT_EMPTY;
    VARTYPE vt = (attr->wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE)) ? VT_DISPATCH : VT_UNKNOWN;
    ref->ReleaseTypeAttr(attr);
    return vt;
}

void fillException(EXCEPINFO* ei, HRESULT hr) {
    if (!ei) return;
    *ei = EXCEPINFO{};
    ei->scode = hr;
    ComPtr<IErrorInfo> error;
    if (GetErrorInfo(0, error.put()) == S_OK) {
        error->GetSource(&ei->bstrSource);
        error->GetDescription(&ei->bstrDescription);
        error->GetHelpFile(&ei->bstrHelpFile);
        error->GetHelpContext(&ei->dwHelpContext);
    }
}

// One argument slot of the own call path.
struct Slot {
    VARIANT value;                    // the coerced by-value argument, or the storage of a by-ref one
    VARIANT passed;                   // what DispCallFunc receives
    VARIANT* writeBack = nullptr;     // a client's by-reference Variant to update afterwards
    VARIANT* passedVariant = nullptr; // a by-value Variant parameter: passed whole
    Slot() {
        VariantInit(&value);
        VariantInit(&passed);
    }
    ~Slot() { VariantClear(&value); }
};

HRESULT ownCall(ITypeInfo* info, void* self, const FUNCDESC& f, DISPPARAMS* dp, VARIANT* result,
                EXCEPINFO* ei, UINT* argErr) {
    const UINT positional = dp->cArgs - dp->cNamedArgs;
    SHORT declared = f.cParams;
    bool hasRetval =
        declared > 0 && (f.lprgelemdescParam[declared - 1].paramdesc.wParamFlags & PARAMFLAG_FRETVAL);
    SHORT callable = SHORT(declared - (hasRetval ? 1 : 0));
    bool vararg = f.cParamsOpt == -1;
    SHORT fixed = SHORT(callable - (vararg ? 1 : 0));

    // The client's argument for each declared parameter (named ones by position).
    std::vector<VARIANT*> given(size_t(callable), nullptr);
    std::vector<UINT> givenIndex(size_t(callable), 0);
    for (UINT i = 0; i < positional && SHORT(i) < fixed; ++i) {
        given[i] = &dp->rgvarg[dp->cArgs - 1 - i];
        givenIndex[i] = dp->cArgs - 1 - i;
    }
    if (!vararg && positional > UINT(fixed)) return DISP_E_BADPARAMCOUNT;
    for (UINT n = 0; n < dp->cNamedArgs; ++n) {
        DISPID id = dp->rgdispidNamedArgs[n];
        if (id < 0 || id >= fixed) return DISP_E_PARAMNOTFOUND;
        given[size_t(id)] = &dp->rgvarg[n];
        givenIndex[size_t(id)] = n;
    }

    std::vector<Slot> slots(size_t(callable) + 1);
    for (SHORT i = 0; i < fixed; ++i) {
        const ELEMDESC& e = f.lprgelemdescParam[i];
        Slot& s = slots[size_t(i)];
        VARIANT* arg = given[size_t(i)];
        bool missing = !arg || isMissing(*arg);
        VARTYPE target = pointee(e.tdesc);
        VARTYPE want = target != VT_EMPTY ? target : e.tdesc.vt;
        if (missing) {
            if (e.paramdesc.wParamFlags & PARAMFLAG_FHASDEFAULT) {
                VariantCopy(&s.value, &e.paramdesc.pparamdescex->varDefaultValue);
            } else if (e.paramdesc.wParamFlags & PARAMFLAG_FOPT) {
                if (want == VT_VARIANT) {
                    V_VT(&s.value) = VT_ERROR;
                    V_ERROR(&s.value) = DISP_E_PARAMNOTFOUND;
                } else if (target != VT_EMPTY) {
                    V_VT(&s.passed) = VT_BYREF | want; // an optional by-ref left out: a null pointer
                    V_BYREF(&s.passed) = nullptr;
                    continue;
                }
            } else {
                return DISP_E_PARAMNOTOPTIONAL;
            }
        } else if (target != VT_EMPTY && V_VT(arg) == (VT_BYREF | target)) {
            s.passed = *arg; // the client's own storage, as it is
            continue;
        } else {
            VARIANT* source = arg;
            if (V_VT(arg) == (VT_BYREF | VT_VARIANT)) {
                source = V_VARIANTREF(arg);
                if (target != VT_EMPTY) s.writeBack = source;
            }
            HRESULT hr = want == VT_VARIANT ? VariantCopyInd(&s.value, source)
                                            : VariantChangeType(&s.value, source, 0, want);
            if (FAILED(hr)) {
                if (argErr) *argErr = givenIndex[size_t(i)];
                return hr == DISP_E_OVERFLOW ? hr : DISP_E_TYPEMISMATCH;
            }
        }
        if (want != VT_VARIANT && V_VT(&s.value) != want &&
            FAILED(VariantChangeType(&s.value, &s.value, 0, want)))
            return DISP_E_TYPEMISMATCH;
        if (target != VT_EMPTY) {
            V_VT(&s.passed) = VT_BYREF | want;
            V_BYREF(&s.passed) = want == VT_VARIANT ? static_cast<void*>(&s.value) : &V_I4(&s.value);
        } else if (want == VT_VARIANT) {
#ifdef _WIN64
            // The x64 convention passes a by-value Variant as a pointer to the caller's copy;
            // Wine's DispCallFunc would spread it over the argument slots instead.
            V_VT(&s.passed) = VT_BYREF | VT_VARIANT;
            V_VARIANTREF(&s.passed) = &s.value;
#else
            V_VT(&s.passed) = VT_VARIANT; // DispCallFunc pushes the whole Variant it points at
            s.passedVariant = &s.value;
#endif
        } else {
            s.passed = s.value;
        }
    }

    SAFEARRAY* rest = nullptr;
    if (vararg) {
        ULONG extra = positional > UINT(fixed) ? positional - UINT(fixed) : 0;
        rest = SafeArrayCreateVector(VT_VARIANT, 0, extra);
        if (!rest) return E_OUTOFMEMORY;
        VARIANT* items = nullptr;
        SafeArrayAccessData(rest, reinterpret_cast<void**>(&items));
        for (ULONG k = 0; k < extra; ++k) VariantCopyInd(&items[k], &dp->rgvarg[dp->cArgs - 1 - fixed - k]);
        SafeArrayUnaccessData(rest);
        Slot& s = slots[size_t(fixed)];
        V_VT(&s.value) = VT_ARRAY | VT_VARIANT;
        V_ARRAY(&s.value) = rest;
        s.passed = s.value;
    }

    VARIANT ret;
    VariantInit(&ret);
    VARTYPE retType =
        hasRetval ? resultType(info, f.lprgelemdescParam[declared - 1].tdesc) : VARTYPE(VT_EMPTY);
    if (hasRetval) {
        if (retType == VT_EMPTY) return DISP_E_TYPEMISMATCH;
        Slot& s = slots[size_t(callable)];
        V_VT(&s.passed) = VT_BYREF | retType;
        V_BYREF(&s.passed) = retType == VT_VARIANT ? static_cast<void*>(&ret) : &V_I4(&ret);
    }

    size_t count = size_t(callable) + (hasRetval ? 1 : 0);
    std::vector<VARTYPE> types(count);
    std::vector<VARIANTARG*> args(count);
    for (size_t i = 0; i < count; ++i) {
        types[i] = V_VT(&slots[i].passed);
        args[i] = slots[i].passedVariant ? slots[i].passedVariant : &slots[i].passed;
    }
    VARIANT status;
    VariantInit(&status);
    HRESULT hr =
        DispCallFunc(self, f.oVft, CC_STDCALL, VT_ERROR, UINT(count), types.data(), args.data(), &status);
    if (SUCCEEDED(hr)) hr = V_ERROR(&status);
    if (FAILED(hr)) {
        VariantClear(&ret);
        fillException(ei, hr);
        return ei ? DISP_E_EXCEPTION : hr;
    }
    for (auto& s : slots) {
        if (!s.writeBack) continue;
        VariantClear(s.writeBack);
        *s.writeBack = s.value; // moves the updated value into the client's Variant
        VariantInit(&s.value);
    }
    if (hasRetval && retType != VT_VARIANT) V_VT(&ret) = retType;
    if (result) {
        VariantClear(result);
        *result = ret;
    } else {
        VariantClear(&ret);
    }
    return S_OK;
}

// A get with more arguments than its member takes, as VB writes Global.Sessioni(1): the
// member's own arguments (the last in the array) go to it, the others to the default member
// of the object it answers. Wine's ITypeInfo::Invoke does the same, but calls through a
// null pointer when that object is Nothing, so the split is made here.
HRESULT invokeOnResult(REFIID itf, ITypeInfo* info, void* self, DISPID id, WORD flags, UINT own,
                       DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) {
    const UINT rest = params->cArgs - own;
    DISPPARAMS mine = {params->rgvarg + rest, nullptr, own, 0};
    VARIANT value;
    VariantInit(&value);
    HRESULT hr = info->Invoke(self, id, flags, &mine, &value, excepInfo, argErr);
    if (FAILED(hr)) return hr;
    if (V_VT(&value) != VT_DISPATCH) {
        VariantClear(&value);
        return DISP_E_NOTACOLLECTION;
    }
    IDispatch* object = V_DISPATCH(&value);
    if (!object) {
        raise(kObjectNotSet, itf);
        fillException(excepInfo, kObjectNotSet);
        return excepInfo ? DISP_E_EXCEPTION : kObjectNotSet;
    }
    DISPPARAMS others = {params->rgvarg, nullptr, rest, 0};
    hr = object->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, flags, &others, result, excepInfo,
                        argErr);
    VariantClear(&value);
    return hr;
}

} // namespace

HRESULT getIDsOfNames(REFIID itf, LPOLESTR* names, UINT count, DISPID* ids) {
    ITypeInfo* info = typeLibrary::infoOf(itf);
    return info ? info->GetIDsOfNames(names, count, ids) : E_UNEXPECTED;
}

HRESULT invoke(REFIID itf, void* self, DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
               EXCEPINFO* excepInfo, UINT* argErr) {
    ITypeInfo* info = typeLibrary::infoOf(itf);
    if (!info) return E_UNEXPECTED;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    if (!params) params = &none;
    ITypeInfo* vtable = typeLibrary::vtableInfoOf(itf);
    if ((flags & DISPATCH_METHOD) && vtable) {
        FuncDesc f{vtable};
        if (findMethod(vtable, id, f) && needsOwnCall(*f.desc))
            return ownCall(vtable, self, *f.desc, params, result, excepInfo, argErr);
    }
    if ((flags & DISPATCH_PROPERTYGET) && params->cNamedArgs == 0 && vtable) {
        FuncDesc f{vtable};
        if (findGetter(vtable, id, flags, f) && f.desc->cParamsOpt != -1 &&
            params->cArgs > ownParams(*f.desc))
            return invokeOnResult(itf, info, self, id, flags, ownParams(*f.desc), params, result, excepInfo,
                                  argErr);
    }
    HRESULT hr = info->Invoke(self, id, flags, params, result, excepInfo, argErr);
    // Wine's ITypeInfo::Invoke answers an object argument without the parameter's interface
    // with E_NOINTERFACE, which IDispatch callers do not expect; it is a type mismatch.
    return hr == E_NOINTERFACE ? DISP_E_TYPEMISMATCH : hr;
}

} // namespace ondrik::dispatch
