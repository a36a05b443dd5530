// A shell shortcut file read and written through the shell's own shortcut object
// (IShellLinkW with IPersistFile), so that the files are the standard ones that every
// shell reads. The shell objects live for one call only.
#pragma once

#include <optional>
#include <string>

namespace ondrik {

struct ShortcutValues {
    std::u16string arguments;
    std::u16string description;
    std::u16string workingDirectory;
    std::u16string path;
};

// What a read found: loaded is false when the shell could not open the file as a
// shortcut; each value that could not be read is absent.
struct ShortcutReading {
    bool loaded = false;
    std::optional<std::u16string> arguments;
    std::optional<std::u16string> description;
    std::optional<std::u16string> workingDirectory;
    std::optional<std::u16string> path;
};

ShortcutReading readShortcut(const std::u16string& file);

// Writes a new shortcut with the four values (set in the order arguments, description,
// working directory, path) as file. The shortcut is written beside file, in its folder as
// the system takes it, as lnkXXXX.tmp (~XXX where that name would reach MAX_PATH
// characters), and then put in its place in one step, so a file that stood there is
// replaced whole or not at all: never left empty or half written, whatever fails. A file
// that stood there keeps its permissions and attributes (ReplaceFileW). False when
// anything failed (file unchanged then). A process ended between the two steps leaves
// the file beside the shortcut.
bool replaceWithShortcut(const std::u16string& file, const ShortcutValues& values);

// For tests: the shell's next save of a shortcut, on whichever thread, fails as a full
// disk or a lost share would make it fail.
void failNextShortcutSave();

} // namespace ondrik
