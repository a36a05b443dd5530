// Case-insensitive text comparison, as the automation runtime compares collection keys.
// Portable interface: the Windows build asks the platform (locale-aware), the native
// build uses a simple Unicode case fold so the portable logic can be tested on Linux.
#pragma once

#include <string>
#include <string_view>

namespace ondrik::text {

// Canonical form of a key: two keys are equal without regard to case exactly when
// their folded forms are equal.
std::u16string foldCase(std::u16string_view s);

// Whole-string comparison without regard to case.
bool equalIgnoreCase(std::u16string_view a, std::u16string_view b);

} // namespace ondrik::text
