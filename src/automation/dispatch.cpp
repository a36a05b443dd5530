#include "automation/dispatch.h"

#include "automation/error_info.h"
#include "automation/own_call.h"
#include "automation/return_if_failed.h"
#include "automation/type_library.h"
#include "automation/variant.h"

#include <oleauto.h>

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

// A get with more arguments than its member takes, as VB writes Global.Sessioni(1): the
// member's own arguments (the last in the array) go to it, the others to the default member
// of the object it answers. Wine's ITypeInfo::Invoke does the same, but calls through a
// null pointer when that object is Nothing, so the split is made here.
HRESULT invokeOnResult(REFIID itf, ITypeInfo* info, void* self, DISPID id, WORD flags, UINT own,
                       DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) {
    const UINT rest = params->cArgs - own;
    DISPPARAMS mine = {params->rgvarg + rest, nullptr, own, 0};
    Variant value;
    RETURN_IF_FAILED(info->Invoke(self, id, flags, &mine, value.get(), excepInfo, argErr));
    if (V_VT(value.get()) != VT_DISPATCH) return DISP_E_NOTACOLLECTION;
    IDispatch* object = V_DISPATCH(value.get());
    if (!object) {
        raise(kObjectNotSet, itf);
        fillException(excepInfo, kObjectNotSet);
        return excepInfo ? DISP_E_EXCEPTION : kObjectNotSet;
    }
    DISPPARAMS others = {params->rgvarg, nullptr, rest, 0};
    return object->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, flags, &others, result, excepInfo,
                          argErr);
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
            params->cArgs > callableParams(*f.desc))
            return invokeOnResult(itf, info, self, id, flags, callableParams(*f.desc), params, result, excepInfo,
                                  argErr);
    }
    HRESULT hr = info->Invoke(self, id, flags, params, result, excepInfo, argErr);
    // Wine's ITypeInfo::Invoke answers an object argument without the parameter's interface
    // with E_NOINTERFACE, which IDispatch callers do not expect; it is a type mismatch.
    return hr == E_NOINTERFACE ? DISP_E_TYPEMISMATCH : hr;
}

} // namespace ondrik::dispatch
