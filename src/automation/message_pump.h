// The message pump of the server's thread inside a wait: one pass of the queue
// dispatches every pending window message, and with them the incoming calls of other
// clients.
#pragma once

#include <windows.h>

namespace ondrik {

// One pass of the thread's message queue. A quit message is left for the main loop and
// remembered: from then on the server is ending.
void pumpMessagesOnce();

// Whether the thread has been told to quit (the server is ending): a wait that serves
// other calls stops then, so that the main loop can end the process.
bool quitSeen();

// A message-only window of the calling thread whose messages go to proc (its class is
// registered under className on first use): hidden, and no display is needed to make it.
// Null when it cannot be made.
HWND createMessageWindow(const wchar_t* className, WNDPROC proc, const wchar_t* caption = L"");

} // namespace ondrik
