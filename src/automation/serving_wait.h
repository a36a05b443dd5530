// Waits of the server's thread that go on serving the other clients.
//
// The server has one thread for all of its clients, so a call that waits must not hold
// that thread: every wait of the server is one of these. While it waits, the thread
// dispatches its messages, and with them the calls of other clients (also a first
// activation); such a call runs to its end in between, before the wait resumes. What a
// member may assume across its waits, and what it must look at again after one, is in
// docs/reentrancy.md.
#pragma once

#include <windows.h>

#include <functional>

namespace ondrik {

// Serves incoming calls until done() holds (checked before each wait and after each
// pass of the queue), event (when given) is set, limitMs have passed (INFINITE: no
// limit) or the server is ending. True when done() held or event was set.
bool serveUntil(const std::function<bool()>& done, DWORD limitMs, HANDLE event = nullptr);

// Serves incoming calls for ms milliseconds, or until the server is ending.
void serveFor(DWORD ms);

// For tests: call runs at the start of the next wait of this thread, before the wait first
// looks at its condition, as a call of another client that was already queued would. It
// runs once; waits inside it come after and find nothing set (unless call sets another).
void runInsideNextWait(std::function<void()> call);

} // namespace ondrik
