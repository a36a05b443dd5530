#include "automation/message_pump.h"

#include <windows.h>

namespace ondrik {
namespace {
thread_local bool quitting = false; // told to this thread (the server's, or a test's)
} // namespace

void pumpMessagesOnce() {
    MSG msg;
    while (!quitting && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quitting = true;
            PostQuitMessage(int(msg.wParam)); // leave it for the main loop
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool quitSeen() {
    return quitting;
}

HWND createMessageWindow(const wchar_t* className, WNDPROC proc, const wchar_t* caption) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    RegisterClassW(&wc); // fails harmlessly once the class exists
    return CreateWindowExW(0, className, caption, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

} // namespace ondrik
