// Native stand-in for the platform's case-insensitive comparison: a simple fold of the
// cased letters of Latin-1, Latin Extended-A, Greek and Cyrillic.
#include "automation/text_fold.h"

namespace ondrik::text {
namespace {

char16_t lower(char16_t c) {
    if (c >= u'A' && c <= u'Z') return char16_t(c + 32);
    if (c < 0xC0) return c;
    if (c <= 0xDE && c != 0xD7) return char16_t(c + 32); // Latin-1 capitals
    if (c == 0x178) return 0xFF; // Y with diaeresis: its small letter stands in Latin-1
    // Latin Extended-A pairs; the dotted and dotless i and the kra (a small letter with no
    // capital) stand alone.
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138) {
        bool oddPairs = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (oddPairs) return (c % 2 == 1) ? char16_t(c + 1) : c;
        return (c % 2 == 0) ? char16_t(c + 1) : c;
    }
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return char16_t(c + 32); // Greek
    if (c >= 0x410 && c <= 0x42F) return char16_t(c + 32);               // Cyrillic
    if (c >= 0x400 && c <= 0x40F) return char16_t(c + 80);
    return c;
}

} // namespace

std::u16string foldCase(std::u16string_view s) {
    std::u16string out(s);
    for (auto& c : out) c = lower(c);
    return out;
}

bool equalIgnoreCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

} // namespace ondrik::text
