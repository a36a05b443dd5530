// Process-wide state: the two registers every client shares, made on first read and
// kept until the process ends, and the tick source behind session identifiers.
#pragma once

#include <cstdint>

namespace ondrik {
class Sessions;
class Applications;
} // namespace ondrik

namespace ondrik::ondrikMain {

// The session register (made on first read). The caller borrows the pointer.
Sessions* sessioni();

// The application register (made on first read). The caller borrows the pointer.
Applications* applicazioni();

// A reading of the tick counter taken after it has moved on from its value at entry;
// while it waits, pending window messages and incoming calls are served.
int32_t getNuovoTick();

// Releases both registers; the server calls it as it ends.
void releaseRegisters();

} // namespace ondrik::ondrikMain
