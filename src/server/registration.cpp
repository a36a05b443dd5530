#include "server/registration.h"

#include "automation/com_ptr.h"
#include "automation/return_if_failed.h"
#include "automation/type_library.h"
#include "generated/Ondrik.h"
#include "server/registry_key.h"
#include "server/security.h"

#include <oleauto.h>
#include <string>
#include <windows.h>

namespace ondrik {
namespace {

struct Creatable {
    const CLSID& clsid;
    const wchar_t* progId;
};
const Creatable creatable[] = {{CLSID_Global, L"Ondrik.Global"}, {CLSID_ShellLink, L"Ondrik.ShellLink"}};

HKEY rootOf(bool perUser) {
    return perUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

std::wstring text(const GUID& g) {
    wchar_t buf[64] = {};
    StringFromGUID2(g, buf, 64);
    return buf;
}

// A key below root's Software\Classes, made for writing.
HRESULT classesKey(HKEY root, const std::wstring& path, RegistryKey& out) {
    return RegistryKey::create(root, L"Software\\Classes\\" + path, out);
}

// One string value below Software\Classes: the key, the value's name (nullptr for the
// default value) and the text.
struct StringValue {
    std::wstring key;
    const wchar_t* name;
    std::wstring text;
};

HRESULT setValue(HKEY root, const StringValue& value) {
    RegistryKey key;
    RETURN_IF_FAILED(classesKey(root, value.key, key));
    return key.setString(value.name, value.text);
}

// The server's AppID: who may start it and who may call it (security.h).
HRESULT registerAppId(HKEY root) {
    std::wstring appId = L"AppID\\" + text(CLSID_Global);
    std::vector<BYTE> launch = security::descriptorOf(security::Permission::launch);
    std::vector<BYTE> access = security::descriptorOf(security::Permission::access);
    if (launch.empty() || access.empty()) return E_FAIL;
    RegistryKey key;
    RETURN_IF_FAILED(classesKey(root, appId, key));
    RETURN_IF_FAILED(key.setString(nullptr, L"Ondrik"));
    RETURN_IF_FAILED(key.setBinary(L"LaunchPermission", launch));
    RETURN_IF_FAILED(key.setBinary(L"AccessPermission", access));
    return setValue(root, {L"AppID\\Ondrik.exe", L"AppID", text(CLSID_Global)});
}

// A creatable class: its CLSID key, its ProgID and how each finds the other.
HRESULT registerClass(HKEY root, const Creatable& c, const std::wstring& path, const std::wstring& libid) {
    const std::wstring clsid = L"CLSID\\" + text(c.clsid);
    const StringValue values[] = {
        {clsid, nullptr, c.progId},
        {clsid + L"\\LocalServer32", nullptr, L"\"" + path + L"\""},
        {clsid + L"\\ProgID", nullptr, c.progId},
        {clsid + L"\\TypeLib", nullptr, libid},
        {clsid + L"\\Version", nullptr, L"8.0"},
        {clsid + L"\\Programmable", nullptr, L""},
        {clsid, L"AppID", text(CLSID_Global)},
        {c.progId, nullptr, c.progId},
        {std::wstring(c.progId) + L"\\CLSID", nullptr, text(c.clsid)},
    };
    for (const StringValue& value : values) RETURN_IF_FAILED(setValue(root, value));
    return S_OK;
}

std::wstring modulePath() {
    wchar_t path[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, n < MAX_PATH ? n : 0);
}

using TypeLibRegistrar = HRESULT(WINAPI*)(ITypeLib*, LPOLESTR, LPOLESTR);
using TypeLibUnregistrar = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);

// The per-user calls exist from Windows Vista on; mingw's headers lack them.
template <class Fn> Fn perUserCall(const char* name) {
    return reinterpret_cast<Fn>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"oleaut32.dll"), name)));
}

// Whether the key below root's Software\Classes may still be there: only its absence
// (ERROR_FILE_NOT_FOUND) says it is gone; a key that may not be read is still there.
bool classesKeyExists(HKEY root, const std::wstring& path) {
    RegistryKey key;
    return RegistryKey::open(root, L"Software\\Classes\\" + path, key) != HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
}

// Whether the interface's key, when it is there, is version 8.0's of the library (its
// TypeLib key's Version): another version of the library may register the same
// interface. A Version that cannot be read counts as ours.
bool interfaceKeyOfThisVersion(HKEY root, const std::wstring& path) {
    if (!classesKeyExists(root, path)) return false;
    wchar_t version[16] = {};
    DWORD size = sizeof(version);
    LSTATUS status = RegGetValueW(root, (L"Software\\Classes\\" + path + L"\\TypeLib").c_str(), L"Version",
                                  RRF_RT_REG_SZ, nullptr, version, &size);
    return status != ERROR_SUCCESS || lstrcmpW(version, L"8.0") == 0;
}

// Takes the key below root's Software\Classes out with everything in it. S_OK when it is
// gone afterwards, also when it was never there; what is left is a failure.
HRESULT deleteClassesKey(HKEY root, const std::wstring& path) {
    LSTATUS status = RegDeleteTreeW(root, (L"Software\\Classes\\" + path).c_str());
    if (!classesKeyExists(root, path)) return S_OK;
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? E_ACCESSDENIED : HRESULT_FROM_WIN32(status);
}

// Whether anything of version 8.0's registration of the type library is left: its key, or
// the key of one of its interfaces. Other versions' keys are theirs.
bool typeLibraryLeft(HKEY root) {
    if (classesKeyExists(root, L"TypeLib\\" + text(LIBID_Ondrik) + L"\\8.0")) return true;
    ITypeLib* lib = typeLibrary::get();
    for (UINT i = 0, n = lib ? lib->GetTypeInfoCount() : 0; i < n; ++i) {
        TYPEKIND kind;
        ComPtr<ITypeInfo> info;
        if (FAILED(lib->GetTypeInfoType(i, &kind)) || (kind != TKIND_DISPATCH && kind != TKIND_INTERFACE) ||
            FAILED(lib->GetTypeInfo(i, info.put())))
            continue;
        TYPEATTR* attr = nullptr;
        if (FAILED(info->GetTypeAttr(&attr))) continue;
        bool left = interfaceKeyOfThisVersion(root, L"Interface\\" + text(attr->guid));
        info->ReleaseTypeAttr(attr);
        if (left) return true;
    }
    return false;
}

} // namespace

HRESULT registerServer(bool perUser) {
    HKEY root = rootOf(perUser);
    std::wstring path = modulePath();
    if (path.empty()) return E_FAIL;
    std::wstring libid = text(LIBID_Ondrik);
    for (const Creatable& c : creatable) RETURN_IF_FAILED(registerClass(root, c, path, libid));
    RETURN_IF_FAILED(registerAppId(root));
    ITypeLib* lib = typeLibrary::get();
    if (!lib) return TYPE_E_CANTLOADLIBRARY;
    auto registrar = perUser ? perUserCall<TypeLibRegistrar>("RegisterTypeLibForUser") : &RegisterTypeLib;
    if (!registrar) return E_NOTIMPL;
    return registrar(lib, const_cast<LPOLESTR>(path.c_str()), nullptr);
}

// Every key is tried, also after a failure; the answer is success only when each one is
// gone or was never there (a key that may not be deleted, such as a machine-wide one for
// a user without elevation, makes it a failure).
HRESULT unregisterServer(bool perUser) {
    HKEY root = rootOf(perUser);
    HRESULT result = S_OK;
    auto remove = [&](const std::wstring& path) {
        HRESULT hr = deleteClassesKey(root, path);
        if (SUCCEEDED(result)) result = hr;
    };
    remove(L"AppID\\" + text(CLSID_Global));
    remove(L"AppID\\Ondrik.exe");
    for (const Creatable& c : creatable) {
        remove(L"CLSID\\" + text(c.clsid));
        remove(c.progId);
    }
    auto unregistrar =
        perUser ? perUserCall<TypeLibUnregistrar>("UnRegisterTypeLibForUser") : &UnRegisterTypeLib;
    if (!unregistrar) return E_NOTIMPL;
    HRESULT hr = unregistrar(LIBID_Ondrik, 8, 0, 0, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    // The runtime answers alike for a library that was never registered and for keys it
    // may not delete: what is left tells them apart.
    if (FAILED(hr) && typeLibraryLeft(root) && SUCCEEDED(result)) result = hr;
    return result;
}

} // namespace ondrik
