// Case-insensitive comparison through the platform, under the user's locale.
#include "automation/text_fold.h"

#include <windows.h>

namespace ondrik::text {

std::u16string foldCase(std::u16string_view s) {
    if (s.empty()) return {};
    auto src = reinterpret_cast<const wchar_t*>(s.data());
    int n = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_LOWERCASE, src, int(s.size()), nullptr, 0);
    if (n <= 0) return std::u16string(s);
    std::u16string out(size_t(n), u'\0');
    LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_LOWERCASE, src, int(s.size()),
                 reinterpret_cast<wchar_t*>(out.data()), n);
    return out;
}

bool equalIgnoreCase(std::u16string_view a, std::u16string_view b) {
    if (a.empty() || b.empty()) return a.size() == b.size();
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, reinterpret_cast<const wchar_t*>(a.data()),
                          int(a.size()), reinterpret_cast<const wchar_t*>(b.data()),
                          int(b.size())) == CSTR_EQUAL;
}

} // namespace ondrik::text
