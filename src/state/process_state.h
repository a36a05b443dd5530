// The state that every client of the process shares: the session register and the
// application register. The server makes one in serve() and hands it to the class
// factories, and every Global holds it; each register is made on first use and kept until
// the state lets go of it, as the server ends. Tests make a fresh one each.
#pragma once

#include "applications/applications.h"
#include "automation/com_ptr.h"
#include "sessions/sessions.h"

#include <memory>

namespace ondrik {

class ProcessState : public std::enable_shared_from_this<ProcessState> {
public:
    // A new state with no register made yet.
    static std::shared_ptr<ProcessState> make() { return std::shared_ptr<ProcessState>(new ProcessState); }
    ProcessState(const ProcessState&) = delete;
    ProcessState& operator=(const ProcessState&) = delete;
    ~ProcessState() { release(); }

    // The register, made on first use; nullptr when memory runs out (the next use tries
    // again). The caller borrows it.
    Sessions* sessions();
    Applications* applications();

    // Lets go of the registers, the application register first (its records hold
    // sessions). A later use makes fresh ones.
    void release();

private:
    ProcessState() = default;

    ComPtr<Sessions> sessions_;
    ComPtr<Applications> applications_;
};

} // namespace ondrik
