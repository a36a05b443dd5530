#include "server/ondrik_main.h"

#include "applications/applications.h"
#include "automation/serving_wait.h"
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

namespace {

// The last reading handed out. Readings never go back (until the counter wraps), so one
// that differs from the last handed out differs from every one handed out before.
DWORD lastHandedOut = 0;
bool handedOutAny = false;

// Serves pending calls until the counter differs from value.
void waitForTickOtherThan(DWORD value) {
    auto moved = [value] { return GetTickCount() != value; };
    // Once the server is ending nothing is served any more; the step is waited for alone.
    if (!serveUntil(moved, INFINITE))
        while (!moved()) Sleep(1);
}

} // namespace

int32_t getNuovoTick() {
    waitForTickOtherThan(GetTickCount());
    // A call served during a wait may have taken the very reading this one would take (a
    // session made inside another's wait): then wait for the next step, serving again, and
    // look again. The last look and the hand-out are one step, with nothing served between
    // them, so no reading is ever handed out twice (docs/reentrancy.md).
    for (;;) {
        DWORD reading = GetTickCount();
        if (!handedOutAny || reading != lastHandedOut) {
            lastHandedOut = reading;
            handedOutAny = true;
            return int32_t(reading);
        }
        waitForTickOtherThan(reading);
    }
}

void releaseRegisters() {
    // Applications first: its records hold sessions.
    if (applicationRegister) std::exchange(applicationRegister, nullptr)->Release();
    if (sessionRegister) std::exchange(sessionRegister, nullptr)->Release();
}

} // namespace ondrik::ondrikMain
