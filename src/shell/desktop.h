// One-call desktop services of Global. Each hands its request to the platform with fixed
// arguments and does not examine what the platform answers; the two that hand it to a
// worker answer the server's own failure to do so (the work never ran) as an error.
#pragma once

#include <windows.h>

#include <string>

namespace ondrik::desktop {

// The longest document name handed to the shell (twice the longest path); a longer one
// opens nothing.
inline constexpr size_t kLongestDocumentName = 2 * MAX_PATH;

// Opens file with the program associated with it, using verb ("" for the default verb).
// The shell works on a thread of its own meanwhile; the other clients are served.
HRESULT openDocument(const wchar_t* file, const wchar_t* verb);

// Puts the window into the always-on-top band when topmost is exactly True (-1), and
// out of it for any other value. The window's own thread is asked from a worker: one that
// does not answer holds only this call.
HRESULT setTopMostWindow(long hwnd, VARIANT_BOOL topmost);

// The computer's name, without terminator or padding (kept by the system: no wait).
std::u16string computerName();

// Returns after the given milliseconds, serving the other clients meanwhile (or earlier,
// when the server is ending). A negative count (which the platform would read as a wait
// of weeks, or forever for -1) waits not at all.
void sleepFor(long milliseconds);

} // namespace ondrik::desktop
