#include "files/path_names.h"

namespace ondrik::pathNames {
namespace {

// The part after the last backslash (all of path when there is none). Positions are
// size_t: a path of any length gets its answer, where 16-bit positions would overflow
// beyond character 32,767.
std::u16string_view lastComponent(std::u16string_view path) {
    size_t slash = path.rfind(u'\\');
    return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

} // namespace

std::u16string fileName(std::u16string_view path) {
    std::u16string_view name = lastComponent(path);
    size_t dot = name.rfind(u'.');
    return std::u16string(dot == std::u16string_view::npos ? name : name.substr(0, dot));
}

std::u16string fileExtension(std::u16string_view path) {
    std::u16string_view name = lastComponent(path);
    size_t dot = name.rfind(u'.');
    return dot == std::u16string_view::npos ? std::u16string() : std::u16string(name.substr(dot + 1));
}

} // namespace ondrik::pathNames
