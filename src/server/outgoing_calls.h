// Bounds the server's calls into client processes. A client that never answers (hung, or
// stopped in a debugger) must not hold a call of the server for ever: while a Deadline is
// in force, an outgoing call still waiting when it passes is cancelled (it fails with
// RPC_E_CALL_CANCELED), through the message filter of the server's thread.
#pragma once

#include <windows.h>

namespace ondrik::outgoingCalls {

// Registers the server thread's message filter.
void install();
void uninstall();

class Deadline {
public:
    explicit Deadline(DWORD milliseconds);
    ~Deadline();
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;

private:
    DWORD previous_;
    bool hadPrevious_;
    HANDLE timer_ = nullptr;
};

} // namespace ondrik::outgoingCalls
