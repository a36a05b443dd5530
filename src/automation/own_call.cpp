#include "automation/own_call.h"

#include "automation/com_ptr.h"
#include "automation/error_info.h"
#include "automation/return_if_failed.h"
#include "automation/variant.h"

#include <oleauto.h>
#include <vector>

namespace ondrik::dispatch {
namespace {

bool isMissing(const VARIANT& v) {
    return V_VT(&v) == VT_ERROR && V_ERROR(&v) == DISP_E_PARAMNOTFOUND;
}

// Target of a by-reference (VT_PTR) parameter, or VT_EMPTY for a by-value one.
VARTYPE pointee(const TYPEDESC& t) {
    return t.vt == VT_PTR ? t.lptdesc->vt : VARTYPE(VT_EMPTY);
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

// The member's parameters as the call sees them.
struct Shape {
    explicit Shape(const FUNCDESC& f)
        : declared(f.cParams), callable(SHORT(callableParams(f))), hasRetval(callable < declared),
          vararg(f.cParamsOpt == -1), fixed(SHORT(callable - (vararg ? 1 : 0))) {}

    SHORT declared;
    SHORT callable; // the declared parameters but the result
    bool hasRetval;
    bool vararg; // the last callable one is a param array
    SHORT fixed; // the callable ones but the param array
};

// One argument slot.
struct Slot {
    Variant value;                    // the coerced by-value argument, or the storage of a by-ref one
    VARIANT passed{};                 // what DispCallFunc receives (VT_EMPTY; it owns nothing)
    VARIANT* writeBack = nullptr;     // a client's by-reference Variant to update afterwards
    VARIANT* passedVariant = nullptr; // a by-value Variant parameter: passed whole
    Slot() = default;
    Slot(const Slot&) = delete;
    Slot& operator=(const Slot&) = delete;
};

// One call: a slot per callable parameter and one for the result, and the result's storage.
struct Call {
    explicit Call(const FUNCDESC& f) : shape(f), slots(size_t(shape.callable) + 1) {}
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;

    Shape shape;
    std::vector<Slot> slots;
    Variant ret;
    VARTYPE retType = VT_EMPTY;
};

// How DispCallFunc is handed a by-value Variant: the one place where the builds differ.
void passVariantByValue(Slot& s) {
#ifdef _WIN64
    // The x64 convention passes a by-value Variant as a pointer to the caller's copy;
    // Wine's DispCallFunc would spread it over the argument slots instead.
    V_VT(&s.passed) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&s.passed) = s.value.get();
#else
    V_VT(&s.passed) = VT_VARIANT; // DispCallFunc pushes the whole Variant it points at
    s.passedVariant = s.value.get();
#endif
}

// The client's argument for each fixed parameter, or nullptr (named ones by position), and
// the index of each in the client's array.
HRESULT matchArguments(const Shape& shape, DISPPARAMS* dp, std::vector<VARIANT*>& given,
                       std::vector<UINT>& givenIndex) {
    const UINT positional = dp->cArgs - dp->cNamedArgs;
    given.assign(size_t(shape.callable), nullptr);
    givenIndex.assign(size_t(shape.callable), 0);
    for (UINT i = 0; i < positional && SHORT(i) < shape.fixed; ++i) {
        given[i] = &dp->rgvarg[dp->cArgs - 1 - i];
        givenIndex[i] = dp->cArgs - 1 - i;
    }
    if (!shape.vararg && positional > UINT(shape.fixed)) return DISP_E_BADPARAMCOUNT;
    for (UINT n = 0; n < dp->cNamedArgs; ++n) {
        DISPID id = dp->rgdispidNamedArgs[n];
        if (id < 0 || id >= shape.fixed) return DISP_E_PARAMNOTFOUND;
        given[size_t(id)] = &dp->rgvarg[n];
        givenIndex[size_t(id)] = n;
    }
    return S_OK;
}

// One fixed parameter's slot from the client's argument (nullptr when left out). When the
// client's argument itself cannot be coerced, argumentAtFault is set too.
HRESULT bindParameter(const ELEMDESC& e, VARIANT* arg, Slot& s, bool& argumentAtFault) {
    VARTYPE target = pointee(e.tdesc);
    VARTYPE want = target != VT_EMPTY ? target : e.tdesc.vt;
    if (!arg || isMissing(*arg)) {
        if (e.paramdesc.wParamFlags & PARAMFLAG_FHASDEFAULT) {
            VariantCopy(s.value.get(), &e.paramdesc.pparamdescex->varDefaultValue);
        } else if (e.paramdesc.wParamFlags & PARAMFLAG_FOPT) {
            if (want == VT_VARIANT) {
                V_VT(s.value.get()) = VT_ERROR;
                V_ERROR(s.value.get()) = DISP_E_PARAMNOTFOUND;
            } else if (target != VT_EMPTY) {
                V_VT(&s.passed) = VT_BYREF | want; // an optional by-ref left out: a null pointer
                V_BYREF(&s.passed) = nullptr;
                return S_OK;
            }
        } else {
            return DISP_E_PARAMNOTOPTIONAL;
        }
    } else if (target != VT_EMPTY && V_VT(arg) == (VT_BYREF | target)) {
        s.passed = *arg; // the client's own storage, as it is
        return S_OK;
    } else {
        VARIANT* source = arg;
        if (V_VT(arg) == (VT_BYREF | VT_VARIANT)) {
            source = V_VARIANTREF(arg);
            if (target != VT_EMPTY) s.writeBack = source;
        }
        HRESULT hr = want == VT_VARIANT ? VariantCopyInd(s.value.get(), source)
                                        : VariantChangeType(s.value.get(), source, 0, want);
        if (FAILED(hr)) {
            argumentAtFault = true;
            return hr == DISP_E_OVERFLOW ? hr : DISP_E_TYPEMISMATCH;
        }
    }
    if (want != VT_VARIANT && V_VT(s.value.get()) != want &&
        FAILED(VariantChangeType(s.value.get(), s.value.get(), 0, want)))
        return DISP_E_TYPEMISMATCH;
    if (target != VT_EMPTY) {
        V_VT(&s.passed) = VT_BYREF | want;
        V_BYREF(&s.passed) = want == VT_VARIANT ? static_cast<void*>(s.value.get()) : &V_I4(s.value.get());
    } else if (want == VT_VARIANT) {
        passVariantByValue(s);
    } else {
        s.passed = *s.value.get();
    }
    return S_OK;
}

// The param array: the positional arguments after the fixed ones, copied into a new array.
HRESULT bindParamArray(DISPPARAMS* dp, SHORT fixed, Slot& s) {
    const UINT positional = dp->cArgs - dp->cNamedArgs;
    ULONG extra = positional > UINT(fixed) ? positional - UINT(fixed) : 0;
    SAFEARRAY* rest = SafeArrayCreateVector(VT_VARIANT, 0, extra);
    if (!rest) return E_OUTOFMEMORY;
    VARIANT* items = nullptr;
    SafeArrayAccessData(rest, reinterpret_cast<void**>(&items));
    for (ULONG k = 0; k < extra; ++k) VariantCopyInd(&items[k], &dp->rgvarg[dp->cArgs - 1 - fixed - k]);
    SafeArrayUnaccessData(rest);
    V_VT(s.value.get()) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(s.value.get()) = rest;
    s.passed = *s.value.get();
    return S_OK;
}

// Step one: every slot of the call, from the client's arguments.
HRESULT bind(ITypeInfo* info, const FUNCDESC& f, DISPPARAMS* dp, UINT* argErr, Call& call) {
    const Shape& shape = call.shape;
    std::vector<VARIANT*> given;
    std::vector<UINT> givenIndex;
    RETURN_IF_FAILED(matchArguments(shape, dp, given, givenIndex));
    for (SHORT i = 0; i < shape.fixed; ++i) {
        bool argumentAtFault = false;
        HRESULT hr = bindParameter(f.lprgelemdescParam[i], given[size_t(i)], call.slots[size_t(i)], argumentAtFault);
        if (FAILED(hr)) {
            if (argumentAtFault && argErr) *argErr = givenIndex[size_t(i)];
            return hr;
        }
    }
    if (shape.vararg) {
        RETURN_IF_FAILED(bindParamArray(dp, shape.fixed, call.slots[size_t(shape.fixed)]));
    }
    if (shape.hasRetval) {
        call.retType = resultType(info, f.lprgelemdescParam[shape.declared - 1].tdesc);
        if (call.retType == VT_EMPTY) return DISP_E_TYPEMISMATCH;
        Slot& s = call.slots[size_t(shape.callable)];
        V_VT(&s.passed) = VT_BYREF | call.retType;
        V_BYREF(&s.passed) =
            call.retType == VT_VARIANT ? static_cast<void*>(call.ret.get()) : &V_I4(call.ret.get());
    }
    return S_OK;
}

// Step two: the member itself, through the object's function table. Its HRESULT.
HRESULT invokeBound(void* self, const FUNCDESC& f, Call& call) {
    size_t count = size_t(call.shape.callable) + (call.shape.hasRetval ? 1 : 0);
    std::vector<VARTYPE> types(count);
    std::vector<VARIANTARG*> args(count);
    for (size_t i = 0; i < count; ++i) {
        Slot& s = call.slots[i];
        types[i] = V_VT(&s.passed);
        args[i] = s.passedVariant ? s.passedVariant : &s.passed;
    }
    VARIANT status{}; // VT_EMPTY; DispCallFunc stores an error code in it
    HRESULT hr =
        DispCallFunc(self, f.oVft, CC_STDCALL, VT_ERROR, UINT(count), types.data(), args.data(), &status);
    return SUCCEEDED(hr) ? V_ERROR(&status) : hr;
}

// Step three: the client's by-reference Variants take their new values, and the result
// goes to the caller.
void writeBack(Call& call, VARIANT* result) {
    for (Slot& s : call.slots) {
        if (!s.writeBack) continue;
        s.value.moveTo(s.writeBack); // the updated value into the client's Variant
    }
    if (call.shape.hasRetval && call.retType != VT_VARIANT) V_VT(call.ret.get()) = call.retType;
    if (result) {
        call.ret.moveTo(result);
    }
}

} // namespace

UINT callableParams(const FUNCDESC& f) {
    SHORT n = f.cParams;
    if (n > 0 && (f.lprgelemdescParam[n - 1].paramdesc.wParamFlags & PARAMFLAG_FRETVAL)) --n;
    return UINT(n);
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

HRESULT ownCall(ITypeInfo* info, void* self, const FUNCDESC& f, DISPPARAMS* dp, VARIANT* result,
                EXCEPINFO* ei, UINT* argErr) {
    Call call(f);
    RETURN_IF_FAILED(bind(info, f, dp, argErr, call));
    if (HRESULT hr = invokeBound(self, f, call); FAILED(hr)) {
        fillException(ei, hr);
        return ei ? DISP_E_EXCEPTION : hr;
    }
    writeBack(call, result);
    return S_OK;
}

} // namespace ondrik::dispatch
