#include "shell/desktop.h"

#include "automation/worker_call.h"

namespace ondrik::desktop {

HRESULT setTopMostWindow(long hwnd, VARIANT_BOOL topmost) {
    // A window handle travels as a 32-bit Long; handles are sign-extended to pointer width.
    HWND window = reinterpret_cast<HWND>(LONG_PTR(hwnd));
    HWND after = topmost == VARIANT_TRUE ? HWND_TOPMOST : HWND_NOTOPMOST;
    // A window of another thread is moved by that thread: the call waits for it to answer.
    return handOffResult(
        runServing([window, after] { SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE); }));
}

} // namespace ondrik::desktop
