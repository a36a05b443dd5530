#include "files/suite_layout.h"

#include "files/path_names.h"

namespace ondrik::suiteLayout {
namespace {

// parent + folder, then "\" + child when the caller gave a name, even one whose file
// name turns out empty ("C:\Prog\" gives a closing backslash).
std::u16string below(std::u16string_view parent, std::u16string_view folder, std::u16string_view given,
                     std::u16string_view child) {
    std::u16string path;
    path.reserve(parent.size() + folder.size() + 1 + child.size());
    path.append(parent).append(folder);
    if (!given.empty()) path.append(u"\\").append(child);
    return path;
}

} // namespace

std::u16string baseDirectory(std::u16string_view serverFolder) {
    std::u16string_view s = serverFolder;
    if (!s.empty() && s.back() == u'\\') s.remove_suffix(1);
    // Joining every component but the last two, each followed by a backslash, and
    // dropping the final backslash gives the text before the second-to-last separator.
    // Empty components (a UNC prefix, a doubled separator) are components like any other.
    // The count of components has no limit of its own.
    size_t last = s.rfind(u'\\');
    if (last == std::u16string_view::npos || last == 0) return {};
    size_t secondLast = s.rfind(u'\\', last - 1);
    if (secondLast == std::u16string_view::npos) return {};
    return std::u16string(s.substr(0, secondLast));
}

std::u16string executablesFolder(std::u16string_view base, std::u16string_view programma) {
    return below(base, u"\\Eseguibili", programma, pathNames::fileName(programma));
}

std::u16string dataFolder(std::u16string_view base, std::u16string_view programma) {
    return below(base, u"\\Dati", programma, pathNames::fileName(programma));
}

std::u16string usersFolder(std::u16string_view dataRoot, std::u16string_view utente) {
    return below(dataRoot, u"\\Utenti", utente, utente);
}

} // namespace ondrik::suiteLayout
