#include "state/process_state.h"

namespace ondrik {

Sessions* ProcessState::sessions() {
    if (!sessions_) sessions_ = Sessions::create();
    return sessions_.get();
}

Applications* ProcessState::applications() {
    // Its closings settle sessions in this state's session register, made when first
    // needed; a register that outlives its state finds none.
    if (!applications_)
        applications_ = Applications::create([state = weak_from_this()]() -> Sessions* {
            auto held = state.lock();
            return held ? held->sessions() : nullptr;
        });
    return applications_.get();
}

void ProcessState::release() {
    applications_.reset();
    sessions_.reset();
}

} // namespace ondrik
