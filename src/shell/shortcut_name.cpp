#include "shell/shortcut_name.h"

namespace ondrik {

std::optional<ShortcutPath> splitShortcutPath(std::u16string_view linkFile) {
    size_t slash = linkFile.rfind(u'\\');
    if (slash == std::u16string_view::npos) return std::nullopt;
    return ShortcutPath{std::u16string(linkFile.substr(0, slash)),
                        std::u16string(linkFile.substr(slash + 1))};
}

std::u16string shortcutName(std::u16string_view nomeFile) {
    size_t slash = nomeFile.rfind(u'\\');
    if (slash != std::u16string_view::npos) nomeFile.remove_prefix(slash + 1);
    size_t dot = nomeFile.rfind(u'.');
    if (dot != std::u16string_view::npos) nomeFile = nomeFile.substr(0, dot);
    return std::u16string(nomeFile);
}

} // namespace ondrik
