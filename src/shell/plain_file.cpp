#include "shell/plain_file.h"

#include <windows.h>

namespace ondrik {
namespace {

// The platform's calls end a name at its first character of code 0; such a name would
// reach another file than the one the client gave, so it names none.
bool usableName(const std::u16string& path) {
    return !path.empty() && path.find(u'\0') == std::u16string::npos;
}

const wchar_t* wide(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

} // namespace

bool isPlainFile(const std::u16string& path) {
    if (!usableName(path)) return false;
    DWORD attributes = GetFileAttributesW(wide(path));
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0;
}

bool isSameFile(const std::u16string& a, const std::u16string& b) {
    if (!usableName(a) || !usableName(b)) return false;
    auto identify = [](const std::u16string& path, BY_HANDLE_FILE_INFORMATION& info) {
        HANDLE file = CreateFileW(wide(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        bool ok = GetFileInformationByHandle(file, &info) != 0;
        CloseHandle(file);
        return ok;
    };
    BY_HANDLE_FILE_INFORMATION first, second;
    return identify(a, first) && identify(b, second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

} // namespace ondrik
