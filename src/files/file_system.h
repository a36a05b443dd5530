// The file system as the suite's folder methods use it, through the wide-character
// calls: a name outside the ANSI code page reaches the disk unchanged.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace ondrik::fileSystem {

// The folder that holds this process's executable file, as the process reports it.
HRESULT executableFolder(std::u16string& out);

// The existence test: S_OK when an entry, folder or ordinary file, has exactly this
// path; S_FALSE when there is none; the look-up's own failure (an unavailable drive or
// share, a name the file system rejects) otherwise.
HRESULT lookUp(std::u16string_view path);

// CreaDirectory: tries to create every folder along path (see folderPlan) in order.
// Failures, including folders that exist already, are ignored.
void createFolders(std::u16string_view path);

} // namespace ondrik::fileSystem
