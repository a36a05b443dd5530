// Names of a shortcut file: where its folder ends, and the name a client sees (Nome).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ondrik {

struct ShortcutPath {
    std::u16string directory; // the text before the last backslash
    std::u16string fileName;  // the text after it
};

// Splits a shortcut file's path at its last backslash; no value when it has none (a
// bare name, whose folder the shell could not be asked for).
std::optional<ShortcutPath> splitShortcutPath(std::u16string_view linkFile);

// The file name without folder and extension: the text after the last backslash, cut
// before its last full stop ("C:\Dati\a.b.lnk" gives "a.b"); "" for "".
std::u16string shortcutName(std::u16string_view nomeFile);

} // namespace ondrik
