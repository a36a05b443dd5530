#include "automation/type_library.h"

#include <map>
#include <string>
#include <windows.h>

namespace ondrik::typeLibrary {
namespace {

ITypeLib* library = nullptr;

struct IidLess {
    bool operator()(const IID& a, const IID& b) const { return memcmp(&a, &b, sizeof(IID)) < 0; }
};
std::map<IID, ITypeInfo*, IidLess> infos, vtableInfos;
std::wstring libraryName;

} // namespace

ITypeLib* get() {
    if (!library) {
        wchar_t path[MAX_PATH + 1] = {};
        DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
        if (n > 0 && n < MAX_PATH) LoadTypeLibEx(path, REGKIND_NONE, &library);
    }
    return library;
}

ITypeInfo* infoOf(REFIID iid) {
    auto it = infos.find(iid);
    if (it != infos.end()) return it->second;
    ITypeInfo* info = nullptr;
    if (ITypeLib* lib = get()) lib->GetTypeInfoOfGuid(iid, &info);
    if (info) infos.emplace(iid, info);
    return info;
}

const wchar_t* name() {
    ITypeLib* lib = get();
    if (libraryName.empty() && lib) {
        BSTR text = nullptr;
        if (SUCCEEDED(lib->GetDocumentation(-1, &text, nullptr, nullptr, nullptr)) && text)
            libraryName.assign(text, SysStringLen(text));
        SysFreeString(text);
    }
    return libraryName.c_str();
}

ITypeInfo* vtableInfoOf(REFIID iid) {
    auto it = vtableInfos.find(iid);
    if (it != vtableInfos.end()) return it->second;
    ITypeInfo* info = infoOf(iid);
    ITypeInfo* vtable = nullptr;
    HREFTYPE ref = 0;
    if (info && SUCCEEDED(info->GetRefTypeOfImplType(UINT(-1), &ref))) info->GetRefTypeInfo(ref, &vtable);
    if (vtable) vtableInfos.emplace(iid, vtable);
    return vtable;
}

void release() {
    for (auto* map : {&infos, &vtableInfos}) {
        for (auto& entry : *map) entry.second->Release();
        map->clear();
    }
    if (library) library->Release();
    library = nullptr;
    libraryName.clear();
}

} // namespace ondrik::typeLibrary
