// The shell's own shortcut object (IShellLinkW), to write and check shortcut files
// independently of the server. Kept apart from the server's header, in which the name
// ShellLink is the server's class.
#pragma once

#include "file_helpers.h"

#include <string>

namespace testing_ondrik {

struct ShellShortcutValues {
    std::wstring path, arguments, description, workingDirectory, iconFile;
};

// Writes a shortcut with the values that are not empty; false when the shell failed.
bool shellWriteShortcut(const std::wstring& file, const ShellShortcutValues& values);

// Reads a shortcut file; false when the shell cannot load it.
bool shellReadShortcut(const std::wstring& file, ShellShortcutValues& values);


} // namespace testing_ondrik
