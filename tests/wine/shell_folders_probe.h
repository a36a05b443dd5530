#pragma once

#include <string>

namespace testing_ondrik {

// The shell's current path of a special folder by number; empty when it has none.
std::wstring shellFolder(int csidl);

} // namespace testing_ondrik
