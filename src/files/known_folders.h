// Where Windows keeps some of its folders, by the shell's special-folder numbers, and
// the temporary folder from the server's own environment.
#pragma once

#include <string>

namespace ondrik::specialFolders {

inline constexpr int kDesktopDirectory = 0x10;       // CSIDL_DESKTOPDIRECTORY
inline constexpr int kCommonDesktopDirectory = 0x19; // CSIDL_COMMON_DESKTOPDIRECTORY
inline constexpr int kSystem = 0x25;                 // CSIDL_SYSTEM
inline constexpr int kProgramFiles = 0x26;           // CSIDL_PROGRAM_FILES

// The folder's current path for the server's user, as the shell gives it (at most 260
// characters, no backslash added or removed); empty when the shell cannot answer.
std::u16string specialFolder(int csidl);

// GetWindowsDirectory: the system folder (0x25), the same answer as GetSystemDirectory;
// the temporary folder's fallback lies in it.
std::u16string windowsDirectory();

// GetTemporaryDirectory: TEMP of the server process as it stands, or, when that is
// missing or empty, windowsDirectory() + "\TEMP". Nothing is tested or created.
std::u16string temporaryDirectory();

} // namespace ondrik::specialFolders
