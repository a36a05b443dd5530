// Key of an application record: EXEName, "|", hInstance, "|", ThreadID, as they are.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ondrik {

std::u16string applicationKey(std::u16string_view exeName, int32_t hInstance, int32_t threadId);

} // namespace ondrik
