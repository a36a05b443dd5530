// Every member of an interface as the type library declares it: what the bad-input matrix
// calls, so that no member and no parameter can be forgotten.
#pragma once

#include <windows.h>

#include <oaidl.h>
#include <string>
#include <vector>

namespace matrix {

struct Param {
    std::wstring name;
    VARTYPE type = VT_EMPTY; // VT_BSTR, VT_I4, VT_BOOL, VT_VARIANT, VT_DISPATCH (an interface)...
    bool byRef = false;
    bool optional = false; // optional or with a default
    bool paramArray = false;
    IID objectIid = GUID_NULL; // the interface of an object parameter
};

struct Member {
    std::wstring name;
    DISPID id = 0;
    INVOKEKIND kind = INVOKE_FUNC;
    std::vector<Param> params; // the parameters a client passes (the result excluded)
    bool hasResult = false;
    VARTYPE resultType = VT_EMPTY; // as a successful call hands it back; VT_VARIANT: any
    bool readOnly = false;         // a property get without a put or putref

    bool isPut() const { return kind == INVOKE_PROPERTYPUT || kind == INVOKE_PROPERTYPUTREF; }
};

// The members of the dual interface iid, in function-table order (from the type library
// embedded in this executable); empty when the library has no such interface.
std::vector<Member> membersOf(REFIID iid);

} // namespace matrix
