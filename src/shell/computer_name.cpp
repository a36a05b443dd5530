#include "shell/desktop.h"

namespace ondrik::desktop {

std::u16string computerName() {
    constexpr DWORD kLength = 32;
    wchar_t buffer[kLength];
    for (auto& c : buffer) c = L' ';
    DWORD size = kLength;
    GetComputerNameW(buffer, &size);
    // The platform sets size to the name's length; a failure that leaves it larger gives
    // the whole buffer.
    if (size > kLength) size = kLength;
    return std::u16string(reinterpret_cast<const char16_t*>(buffer), size);
}

} // namespace ondrik::desktop
