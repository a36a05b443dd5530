// Decimal text of a Long, as the automation runtime writes one.
#pragma once

#include <cstdint>
#include <string>

namespace ondrik {

// Decimal form of a signed 32-bit value: no leading zeros, no grouping, "-" when negative.
std::u16string decimal(int32_t value);

} // namespace ondrik
