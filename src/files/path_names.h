// File-name text: the name without its folder and last extension, and the extension.
// Only the backslash separates folders; the slash and the drive colon are ordinary
// characters. Pure string work: the file system is never asked.
#pragma once

#include <string>
#include <string_view>

namespace ondrik::pathNames {

// GetNomeFile: what follows the last backslash, cut before its last dot.
std::u16string fileName(std::u16string_view path);

// GetEstensioneFile: what follows the last dot of that name; empty when it has none.
std::u16string fileExtension(std::u16string_view path);

} // namespace ondrik::pathNames
