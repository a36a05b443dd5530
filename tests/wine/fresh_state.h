// Tests of the registers in this process: each test has a process state of its own, so
// its registers start empty and no test sees another's entries.
#pragma once

#include "state/process_state.h"

#include <gtest/gtest.h>
#include <memory>

namespace testing_ondrik {

class FreshState : public ::testing::Test {
protected:
    std::shared_ptr<ondrik::ProcessState> state = ondrik::ProcessState::make();
    ondrik::Sessions* sessions() { return state->sessions(); }
    ondrik::Applications* applications() { return state->applications(); }
};

} // namespace testing_ondrik
