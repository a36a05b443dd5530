#include "server/registration.h"

#include "automation/type_library.h"
#include "generated/Ondrik.h"
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

HRESULT setData(HKEY root, const std::wstring& key, const wchar_t* name, DWORD type, const BYTE* data,
                DWORD size) {
    HKEY h = nullptr;
    LONG rc = RegCreateKeyExW(root, (L"Software\\Classes\\" + key).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                              &h, nullptr);
    if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
    rc = RegSetValueExW(h, name, 0, type, data, size);
    RegCloseKey(h);
    return HRESULT_FROM_WIN32(rc);
}

HRESULT setValue(HKEY root, const std::wstring& key, const std::wstring& value,
                 const wchar_t* name = nullptr) {
    return setData(root, key, name, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   DWORD((value.size() + 1) * sizeof(wchar_t)));
}

// The server's AppID: who may start it and call it (local callers only).
HRESULT registerAppId(HKEY root) {
    std::wstring appId = L"AppID\\" + text(CLSID_Global);
    std::vector<BYTE> sd = security::localOnlyDescriptor();
    if (sd.empty()) return E_FAIL;
    HRESULT hr = setValue(root, appId, L"Ondrik");
    if (SUCCEEDED(hr))
        hr = setData(root, appId, L"LaunchPermission", REG_BINARY, sd.data(), DWORD(sd.size()));
    if (SUCCEEDED(hr))
        hr = setData(root, appId, L"AccessPermission", REG_BINARY, sd.data(), DWORD(sd.size()));
    if (SUCCEEDED(hr)) hr = setValue(root, L"AppID\\Ondrik.exe", text(CLSID_Global), L"AppID");
    return hr;
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

} // namespace

HRESULT registerServer(bool perUser) {
    HKEY root = rootOf(perUser);
    std::wstring path = modulePath();
    if (path.empty()) return E_FAIL;
    std::wstring libid = text(LIBID_Ondrik);
    for (const Creatable& c : creatable) {
        std::wstring clsid = L"CLSID\\" + text(c.clsid);
        HRESULT hr = setValue(root, clsid, c.progId);
        if (SUCCEEDED(hr)) hr = setValue(root, clsid + L"\\LocalServer32", L"\"" + path + L"\"");
        if (SUCCEEDED(hr)) hr = setValue(root, clsid + L"\\ProgID", c.progId);
        if (SUCCEEDED(hr)) hr = setValue(root, clsid + L"\\TypeLib", libid);
        if (SUCCEEDED(hr)) hr = setValue(root, clsid + L"\\Version", L"8.0");
        if (SUCCEEDED(hr)) hr = setValue(root, clsid + L"\\Programmable", L"");
        if (SUCCEEDED(hr)) hr = setValue(root, clsid, text(CLSID_Global), L"AppID");
        if (SUCCEEDED(hr)) hr = setValue(root, c.progId, c.progId);
        if (SUCCEEDED(hr)) hr = setValue(root, std::wstring(c.progId) + L"\\CLSID", text(c.clsid));
        if (FAILED(hr)) return hr;
    }
    if (HRESULT hr = registerAppId(root); FAILED(hr)) return hr;
    ITypeLib* lib = typeLibrary::get();
    if (!lib) return TYPE_E_CANTLOADLIBRARY;
    auto registrar = perUser ? perUserCall<TypeLibRegistrar>("RegisterTypeLibForUser") : &RegisterTypeLib;
    if (!registrar) return E_NOTIMPL;
    return registrar(lib, const_cast<LPOLESTR>(path.c_str()), nullptr);
}

HRESULT unregisterServer(bool perUser) {
    HKEY root = rootOf(perUser);
    RegDeleteTreeW(root, (L"Software\\Classes\\AppID\\" + text(CLSID_Global)).c_str());
    RegDeleteTreeW(root, L"Software\\Classes\\AppID\\Ondrik.exe");
    for (const Creatable& c : creatable) {
        RegDeleteTreeW(root, (L"Software\\Classes\\CLSID\\" + text(c.clsid)).c_str());
        RegDeleteTreeW(root, (std::wstring(L"Software\\Classes\\") + c.progId).c_str());
    }
    auto unregistrar =
        perUser ? perUserCall<TypeLibUnregistrar>("UnRegisterTypeLibForUser") : &UnRegisterTypeLib;
    if (!unregistrar) return E_NOTIMPL;
    HRESULT hr = unregistrar(LIBID_Ondrik, 8, 0, 0, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    return hr == TYPE_E_REGISTRYACCESS ? S_OK : hr; // already gone
}

} // namespace ondrik
