// Key of a session in the session register: "K" followed by the decimal ID.
#pragma once

#include <cstdint>
#include <string>

namespace ondrik {

std::u16string sessionKey(int32_t id);

// Decimal form of a signed 32-bit value: no leading zeros, no grouping, "-" when negative.
std::u16string decimal(int32_t value);

} // namespace ondrik
