#include "files/known_folders.h"

#include "automation/worker_call.h"

#include <windows.h>

#include <array>
#include <memory>
#include <shlobj.h>

namespace ondrik::specialFolders {

std::u16string specialFolder(int csidl) {
    // The buffer starts all zeros: a look-up that fails without writing leaves it empty.
    // The shell's status is not needed: the answer is whatever the buffer holds.
    // The shell verifies that the folder is there, which on a redirected folder is a
    // look-up on a share: it is asked from a worker thread.
    auto path = std::make_shared<std::array<wchar_t, MAX_PATH>>(); // value-initialized: zeros
    if (FAILED(runServing(
            [path, csidl] { SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path->data()); })))
        return {};
    return std::u16string(reinterpret_cast<const char16_t*>(path->data()), wcsnlen(path->data(), MAX_PATH));
}

std::u16string windowsDirectory() {
    return specialFolder(kSystem);
}

std::u16string temporaryDirectory() {
    std::wstring value(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetEnvironmentVariableW(L"TEMP", value.data(), DWORD(value.size()));
        if (n < value.size()) {
            value.resize(n); // 0: missing or empty
            break;
        }
        value.resize(n); // n counts the closing zero: room for the whole value
    }
    if (value.empty()) return windowsDirectory() + u"\\TEMP";
    return std::u16string(reinterpret_cast<const char16_t*>(value.data()), value.size());
}

} // namespace ondrik::specialFolders
