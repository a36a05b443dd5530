// Placing a call inside a member's wait, as another client's call that arrives while the
// server waits: deterministically, through the server's own seam.
#pragma once

#include "automation/serving_wait.h"

#include <functional>
#include <gtest/gtest.h>

namespace testing_ondrik {

// Runs outer, with inner made at the start of outer's first wait; fails the test when
// outer never waited.
inline void insideWaitOf(const std::function<void()>& outer, std::function<void()> inner) {
    bool ran = false;
    ondrik::runInsideNextWait([&] {
        ran = true;
        inner();
    });
    outer();
    ondrik::runInsideNextWait(nullptr);
    EXPECT_TRUE(ran) << "the member did not wait";
}

} // namespace testing_ondrik
