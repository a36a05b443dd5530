// The shell's own answer for a special folder, asked directly: the reference the folder
// tests compare with. Apart from the other tests, since the shell's headers and the
// type library's both name a class ShellLink.
#include "shell_folders_probe.h"

#include <shlobj.h>

namespace testing_ondrik {

std::wstring shellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

} // namespace testing_ondrik
