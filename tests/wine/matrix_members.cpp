#include "matrix_members.h"

#include "automation/com_ptr.h"
#include "automation/type_library.h"

#include <oleauto.h>

namespace matrix {
namespace {

// The interface that a VT_USERDEFINED type stands for, and how it travels in a Variant.
VARTYPE objectType(ITypeInfo* info, HREFTYPE ref, IID& iid) {
    ondrik::ComPtr<ITypeInfo> target;
    if (FAILED(info->GetRefTypeInfo(ref, target.put()))) return VT_UNKNOWN;
    TYPEATTR* attr = nullptr;
    if (FAILED(target->GetTypeAttr(&attr))) return VT_UNKNOWN;
    iid = attr->guid;
    VARTYPE vt = (attr->wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE)) ? VT_DISPATCH : VT_UNKNOWN;
    target->ReleaseTypeAttr(attr);
    return vt;
}

Param paramOf(ITypeInfo* info, const ELEMDESC& e) {
    Param p;
    const TYPEDESC* t = &e.tdesc;
    if (t->vt == VT_PTR && t->lptdesc->vt != VT_USERDEFINED) {
        p.byRef = true;
        t = t->lptdesc;
    }
    if (t->vt == VT_PTR && t->lptdesc->vt == VT_USERDEFINED)
        p.type = objectType(info, t->lptdesc->hreftype, p.objectIid);
    else if (t->vt == VT_SAFEARRAY)
        p.type = VT_ARRAY | VT_VARIANT;
    else
        p.type = t->vt;
    p.optional = (e.paramdesc.wParamFlags & (PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT)) != 0;
    return p;
}

// The Variant type of a retval described by t (a pointer to the result).
VARTYPE resultOf(ITypeInfo* info, const TYPEDESC& t) {
    if (t.vt != VT_PTR) return VT_EMPTY;
    const TYPEDESC& inner = *t.lptdesc;
    if (inner.vt == VT_PTR && inner.lptdesc->vt == VT_USERDEFINED) {
        IID ignored;
        return objectType(info, inner.lptdesc->hreftype, ignored);
    }
    if (inner.vt == VT_PTR && inner.lptdesc->vt == VT_UNKNOWN) return VT_UNKNOWN;
    return inner.vt;
}

} // namespace

std::vector<Member> membersOf(REFIID iid) {
    std::vector<Member> out;
    ITypeInfo* info = ondrik::typeLibrary::vtableInfoOf(iid);
    if (!info) return out;
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr))) return out;
    WORD count = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < count; ++i) {
        FUNCDESC* f = nullptr;
        if (FAILED(info->GetFuncDesc(i, &f))) continue;
        Member m;
        m.id = f->memid;
        m.kind = f->invkind;
        BSTR names[16] = {};
        UINT named = 0;
        info->GetNames(f->memid, names, 16, &named);
        if (named > 0) m.name = names[0];
        for (SHORT k = 0; k < f->cParams; ++k) {
            const ELEMDESC& e = f->lprgelemdescParam[k];
            if (e.paramdesc.wParamFlags & PARAMFLAG_FRETVAL) {
                m.hasResult = true;
                m.resultType = resultOf(info, e.tdesc);
                continue;
            }
            Param p = paramOf(info, e);
            // The names of a property belong to its get: a put's value is always RHS.
            if (m.isPut())
                p.name = L"RHS";
            else if (UINT(k) + 1 < named)
                p.name = names[k + 1];
            m.params.push_back(p);
        }
        if (f->cParamsOpt == -1 && !m.params.empty()) m.params.back().paramArray = true;
        for (UINT k = 0; k < named; ++k) SysFreeString(names[k]);
        info->ReleaseFuncDesc(f);
        out.push_back(std::move(m));
    }
    // A property get that no put or putref follows is read-only for clients.
    for (Member& m : out) {
        if (m.kind != INVOKE_PROPERTYGET) continue;
        m.readOnly = true;
        for (const Member& other : out)
            if (other.id == m.id && other.isPut()) m.readOnly = false;
    }
    return out;
}

} // namespace matrix
