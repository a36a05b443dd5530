// One pass of the thread's message queue: dispatches every pending window message,
// and with them the incoming calls of other clients.
#pragma once

namespace ondrik {

void pumpMessagesOnce();

} // namespace ondrik
