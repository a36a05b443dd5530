#include "server/registry_key.h"

namespace ondrik {

HRESULT RegistryKey::create(HKEY root, const std::wstring& path, RegistryKey& out) {
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
    out.reset(key);
    return S_OK;
}

HRESULT RegistryKey::open(HKEY root, const std::wstring& path, RegistryKey& out) {
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key);
    if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
    out.reset(key);
    return S_OK;
}

void RegistryKey::reset(HKEY key) {
    if (key_) RegCloseKey(key_);
    key_ = key;
}

HRESULT RegistryKey::setString(const wchar_t* name, const std::wstring& value) const {
    return HRESULT_FROM_WIN32(RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                             DWORD((value.size() + 1) * sizeof(wchar_t))));
}

HRESULT RegistryKey::setBinary(const wchar_t* name, const std::vector<BYTE>& data) const {
    return HRESULT_FROM_WIN32(RegSetValueExW(key_, name, 0, REG_BINARY, data.data(), DWORD(data.size())));
}

} // namespace ondrik
