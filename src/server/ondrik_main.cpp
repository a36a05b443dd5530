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

DWORD lastHandedOut = 0;
bool handedOutAny = false;

// Serves pending calls until the counter differs from value.
DWORD waitForTickOtherThan(DWORD value) {
    auto moved = [value] { return GetTickCount() != value; };
    // Once the server is ending nothing is served any more; the step is waited for alone.
    if (!serveUntil(moved, INFINITE))
        while (!moved()) Sleep(1);
    return GetTickCount();
}

} // namespace

int32_t getNuovoTick() {
    waitForTickOtherThan(GetTickCount());
    DWORD reading = GetTickCount();
    // A call served during the wait may have taken this very reading (a session made
    // inside another's wait): never hand out the same value twice in a row, or two
    // sessions would share one key and one of them could not be registered.
    if (handedOutAny && reading == lastHandedOut) reading = waitForTickOtherThan(reading);
    lastHandedOut = reading;
    handedOutAny = true;
    return int32_t(reading);
}

void releaseRegisters() {
    // Applications first: its records hold sessions.
    if (applicationRegister) std::exchange(applicationRegister, nullptr)->Release();
    if (sessionRegister) std::exchange(sessionRegister, nullptr)->Release();
}

} // namespace ondrik::ondrikMain
