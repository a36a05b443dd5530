// One-call desktop services of Global. Each hands its request to the platform with fixed
// arguments and does not examine what the platform answers.
#pragma once

#include <windows.h>

#include <string>

namespace ondrik::desktop {

// The longest document name handed to the shell (twice the longest path); a longer one
// opens nothing.
inline constexpr size_t kLongestDocumentName = 2 * MAX_PATH;

// Opens file with the program associated with it, using verb ("" for the default verb).
void openDocument(const wchar_t* file, const wchar_t* verb);

// Puts the window into the always-on-top band when topmost is exactly True (-1), and
// out of it for any other value.
void setTopMostWindow(long hwnd, VARIANT_BOOL topmost);

// The computer's name, without terminator or padding.
std::u16string computerName();

// Suspends the server's thread, and with it every client's calls. A negative count (which
// the platform would read as a wait of weeks, or forever for -1) waits not at all.
void sleepFor(long milliseconds);

} // namespace ondrik::desktop
