#include "sessions/session_key.h"

namespace ondrik {

std::u16string decimal(int32_t value) {
    int64_t v = value; // widened so that INT32_MIN negates safely
    bool negative = v < 0;
    if (negative) v = -v;
    std::u16string digits;
    do {
        digits.insert(digits.begin(), char16_t(u'0' + v % 10));
        v /= 10;
    } while (v);
    if (negative) digits.insert(digits.begin(), u'-');
    return digits;
}

std::u16string sessionKey(int32_t id) { return u"K" + decimal(id); }

} // namespace ondrik
