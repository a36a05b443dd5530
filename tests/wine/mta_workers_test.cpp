// The worker threads behind the server's time-limited calls: jobs run in the
// multithreaded apartment, an idle worker takes the next job, and a busy one is never
// handed a second.
#include "automation/mta_workers.h"

#include <windows.h>

#include <objbase.h>
#include <atomic>
#include <gtest/gtest.h>

namespace {

struct Ran {
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD thread = 0;
    APTTYPE apartment = APTTYPE_CURRENT;
    ~Ran() { CloseHandle(done); }
};

void note(Ran& ran, HANDLE hold = nullptr) {
    ran.thread = GetCurrentThreadId();
    APTTYPEQUALIFIER qualifier;
    CoGetApartmentType(&ran.apartment, &qualifier);
    if (hold) WaitForSingleObject(hold, 10000);
    SetEvent(ran.done);
}

} // namespace

TEST(MtaWorkers, AnIdleWorkerTakesTheNextJobAndABusyOneNone) {
    Ran first, second, third;
    ASSERT_TRUE(ondrik::runOnWorker([&] { note(first); }));
    ASSERT_EQ(WaitForSingleObject(first.done, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(first.apartment, APTTYPE_MTA);
    EXPECT_NE(first.thread, GetCurrentThreadId());
    Sleep(100); // lets the worker go back to waiting

    HANDLE hold = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(ondrik::runOnWorker([&] { note(second, hold); }));
    ASSERT_TRUE(ondrik::runOnWorker([&] { note(third); }));
    // The third job does not wait for the second, which is held.
    ASSERT_EQ(WaitForSingleObject(third.done, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(second.done, 0), WAIT_TIMEOUT);
    SetEvent(hold);
    ASSERT_EQ(WaitForSingleObject(second.done, 10000), WAIT_OBJECT_0);
    CloseHandle(hold);
    EXPECT_EQ(second.thread, first.thread); // the idle worker was reused
    EXPECT_NE(third.thread, second.thread);
}

TEST(MtaWorkers, AJobThatThrowsLeavesItsWorkerServing) {
    Ran after;
    ASSERT_TRUE(ondrik::runOnWorker([] { throw 1; }));
    Sleep(100);
    ASSERT_TRUE(ondrik::runOnWorker([&] { note(after); }));
    EXPECT_EQ(WaitForSingleObject(after.done, 10000), WAIT_OBJECT_0);
}
