#include "server/ondrik_main.h"

#include "applications/applications.h"
#include "server/message_pump.h"
#include "sessions/sessions.h"

#include <utility>
#include <windows.h>

namespace ondrik::ondrikMain {
namespace {

Sessions* sessionRegister = nullptr;
Applications* applicationRegister = nullptr;

} // namespace

Sessions* sessioni() {
    if (!sessionRegister) sessionRegister = Sessions::create();
    return sessionRegister;
}

Applications* applicazioni() {
    if (!applicationRegister) applicationRegister = Applications::create();
    return applicationRegister;
}

int32_t getNuovoTick() {
    DWORD a = GetTickCount();
    DWORD b = GetTickCount();
    while (b == a) {
        pumpMessagesOnce();
        // Sleeps until a message arrives or a millisecond has passed, rather than spin.
        MsgWaitForMultipleObjectsEx(0, nullptr, 1, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        b = GetTickCount();
    }
    return int32_t(GetTickCount());
}

void releaseRegisters() {
    // Applications first: its records hold sessions.
    if (applicationRegister) std::exchange(applicationRegister, nullptr)->Release();
    if (sessionRegister) std::exchange(sessionRegister, nullptr)->Release();
}

} // namespace ondrik::ondrikMain
