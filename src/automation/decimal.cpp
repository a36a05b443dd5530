#include "automation/decimal.h"

namespace ondrik {

std::u16string decimal(int32_t value) {
    int64_t v = value; // widened so that INT32_MIN negates safely
    bool negative = v < 0;
    if (negative) v = -v;
    char16_t buffer[12];
    char16_t* p = buffer + 12;
    do {
        *--p = char16_t(u'0' + v % 10);
        v /= 10;
    } while (v);
    if (negative) *--p = u'-';
    return std::u16string(p, buffer + 12);
}

} // namespace ondrik
