// Key of a session in the session register: "K" followed by the decimal ID.
#pragma once

#include <cstdint>
#include <string>

namespace ondrik {

std::u16string sessionKey(int32_t id);

} // namespace ondrik
