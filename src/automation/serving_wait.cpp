#include "automation/serving_wait.h"

#include "automation/message_pump.h"

#include <utility>

namespace ondrik {
namespace {

std::function<void()> insideNextWait; // the server's thread only

} // namespace

void runInsideNextWait(std::function<void()> call) {
    insideNextWait = std::move(call);
}

bool serveUntil(const std::function<bool()>& done, DWORD limitMs, HANDLE event) {
    const ULONGLONG start = GetTickCount64();
    if (insideNextWait) std::exchange(insideNextWait, nullptr)();
    for (;;) {
        if (done && done()) return true;
        if (event && WaitForSingleObject(event, 0) == WAIT_OBJECT_0) return true;
        if (quitSeen()) return false;
        // What counts is the state when the wait resumes: a call served meanwhile may keep
        // this thread past the limit, and what ended in that time is not lost for it.
        ULONGLONG elapsed = GetTickCount64() - start;
        if (limitMs != INFINITE && elapsed >= limitMs) return false;
        DWORD left = limitMs == INFINITE ? INFINITE : DWORD(limitMs - elapsed);
        // A condition that the queue's messages change is checked again after each pass
        // (and every millisecond, for one that nothing announces, such as the tick counter).
        if (done && left > 1) left = 1;
        DWORD r = MsgWaitForMultipleObjectsEx(event ? 1 : 0, &event, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (r == WAIT_OBJECT_0 + (event ? 1 : 0))
            pumpMessagesOnce();
        else if (r == WAIT_FAILED)
            Sleep(1); // an event that cannot be waited on is looked at again, without spinning
    }
}

void serveFor(DWORD ms) {
    serveUntil(nullptr, ms);
}

} // namespace ondrik
