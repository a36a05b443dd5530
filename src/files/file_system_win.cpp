#include "files/file_system.h"

#include "files/folder_plan.h"

#include <algorithm>

namespace ondrik::fileSystem {
namespace {

// No path the file system can name is longer than this: its paths are counted strings
// of at most 32,767 characters. A longer attempt can only fail, so it is not made.
constexpr size_t kLongestPath = 32767;

std::wstring wide(std::u16string_view s) {
    return std::wstring(reinterpret_cast<const wchar_t*>(s.data()), s.size());
}

} // namespace

HRESULT executableFolder(std::u16string& out) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (n == 0) return HRESULT_FROM_WIN32(GetLastError());
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        if (path.size() >= 0x10000) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
        path.resize(path.size() * 2);
    }
    // The executable's folder: everything before the file name. At a drive root this is
    // "C:" rather than "C:\"; the base directory comes out the same either way.
    size_t slash = path.rfind(L'\\');
    path.resize(slash == std::wstring::npos ? 0 : slash);
    out.assign(reinterpret_cast<const char16_t*>(path.data()), path.size());
    return S_OK;
}

HRESULT lookUp(std::u16string_view path) {
    // A character of code 0 would end the path early for the file system, which would
    // then answer for another path than the one asked about: no entry has such a name.
    if (path.find(u'\0') != std::u16string_view::npos) return HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
    std::wstring p = wide(path);
    if (GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES) return S_OK;
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return S_FALSE;
    return HRESULT_FROM_WIN32(error);
}

void createFolders(std::u16string_view path) {
    // One copy of the path; each attempt ends it for a moment at the folder's length.
    std::wstring p = wide(path);
    // Past a character of code 0 no folder can be named (the file system would create
    // a shorter path than the one given), nor beyond the longest path.
    size_t limit = std::min(path.find(u'\0'), kLongestPath);
    for (size_t length : folderPlan::prefixLengths(path)) {
        if (length > limit) break;
        wchar_t kept = p[length];
        p[length] = L'\0';
        CreateDirectoryW(p.c_str(), nullptr);
        p[length] = kept;
    }
}

} // namespace ondrik::fileSystem
