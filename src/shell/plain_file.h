// File-system look-ups of the shortcut object, by wide name.
#pragma once

#include <string>

namespace ondrik {

// True when path names an existing ordinary file: not a folder, not hidden, not a system
// file. An invalid path (also "" and names holding a character of code 0) is no file.
bool isPlainFile(const std::u16string& path);

// True when both paths name the same existing file (through any spelling of the path).
bool isSameFile(const std::u16string& a, const std::u16string& b);

} // namespace ondrik
