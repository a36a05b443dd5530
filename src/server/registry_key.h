// A registry key owned by its holder and closed when the holder goes (as WIL's unique_hkey).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ondrik {

class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey() { reset(); }

    // Creates the key at path below root, or opens it when it exists, for writing.
    static HRESULT create(HKEY root, const std::wstring& path, RegistryKey& out);
    // Opens the key at path below root, for reading.
    static HRESULT open(HKEY root, const std::wstring& path, RegistryKey& out);

    // Sets the named value (nullptr: the default value) to a string or to bytes.
    HRESULT setString(const wchar_t* name, const std::wstring& value) const;
    HRESULT setBinary(const wchar_t* name, const std::vector<BYTE>& data) const;

private:
    void reset(HKEY key = nullptr);

    HKEY key_ = nullptr;
};

} // namespace ondrik
