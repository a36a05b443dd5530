// libFuzzer target for the file-name rules (GetNomeFile, GetEstensioneFile) and the
// shortcut names that follow the same rules. The input is a path as UTF-16 text. The checks: neither result
// holds a backslash; the name is a prefix and the extension a suffix of the part after the last backslash,
// and with a dot between them they give that part back; a folder put in front changes
// nothing; the results are what one walk over the characters finds.
#include "files/path_names.h"
#include "fuzz_support.h"
#include "shell/shortcut_name.h"

using namespace ondrik;
using fuzzing::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string path = fuzzing::utf16(data, size);
    const std::u16string name = pathNames::fileName(path);
    const std::u16string extension = pathNames::fileExtension(path);

    // One walk: where the last backslash and the last dot after it stand.
    size_t tailStart = 0, dot = std::u16string::npos;
    for (size_t i = 0; i < path.size(); ++i) {
        if (path[i] == u'\\') {
            tailStart = i + 1;
            dot = std::u16string::npos;
        } else if (path[i] == u'.') {
            dot = i;
        }
    }
    const std::u16string_view tail = std::u16string_view(path).substr(tailStart);

    check(name.find(u'\\') == std::u16string::npos, "no backslash in the name");
    check(extension.find(u'\\') == std::u16string::npos, "no backslash in the extension");
    check(extension.find(u'.') == std::u16string::npos, "no dot in the extension");
    check(fuzzing::startsWith(tail, name), "the name begins the part after the last backslash");
    check(fuzzing::endsWith(tail, extension), "the extension ends the part after the last backslash");
    if (dot == std::u16string::npos) {
        check(name == tail, "without a dot the name is the whole last part");
        check(extension.empty(), "without a dot there is no extension");
    } else {
        check(name.size() == dot - tailStart, "the name stops at the last dot");
        check(name + u"." + extension == tail, "name, dot and extension give the last part back");
    }
    if (path.find(u'\\') == std::u16string::npos && path.find(u'.') != std::u16string::npos)
        check(name + u"." + extension == path, "a bare name with a dot comes back whole");
    if (path.empty()) check(name.empty() && extension.empty(), "nothing from nothing");

    // A folder in front is cut away again; the extension has no extension of its own.
    const std::u16string inFolder = u"C:\\Dir.old\\" + path;
    check(pathNames::fileName(inFolder) == name, "the folder does not change the name");
    check(pathNames::fileExtension(inFolder) == extension, "the folder does not change the extension");
    check(pathNames::fileExtension(extension).empty(), "an extension has no extension");
    check(pathNames::fileName(extension) == extension, "an extension is its own name");

    // Shortcut names: the same rule, and a split at the last backslash that joins back.
    check(shortcutName(path) == name, "a shortcut's Nome is the file name");
    std::optional<ShortcutPath> split = splitShortcutPath(path);
    check(split.has_value() == (path.find(u'\\') != std::u16string::npos),
          "a shortcut path splits exactly when it has a backslash");
    if (split) {
        check(split->fileName == tail, "the shortcut's file is the part after the last backslash");
        check(split->directory + u"\\" + split->fileName == path, "folder and file join back");
    }
    return 0;
}
