// The waits of the server's thread: a blocking call made on a worker while the waiting
// thread goes on dispatching (what serves other clients in the server), in the apartment
// each kind of call needs; and every wait stopping once the thread is told to quit.
#include "automation/message_pump.h"
#include "automation/serving_wait.h"
#include "automation/worker_call.h"

#include <windows.h>

#include <objbase.h>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace {

// A window of the waiting thread; a message sent to it from another thread is answered
// only while this thread dispatches.
struct Listener {
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_APP) return LRESULT(GetCurrentThreadId());
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    Listener() {
        hwnd = ondrik::createMessageWindow(L"OndrikServingWaitTest", &proc);
    }
    ~Listener() { DestroyWindow(hwnd); }
    HWND hwnd;
};

} // namespace

TEST(ServingWait, TheWaitingThreadDispatchesWhileTheWorkRunsInTheApartmentItNeeds) {
    Listener listener;
    ASSERT_TRUE(listener.hwnd);
    for (auto apartment : {ondrik::Apartment::multithreaded, ondrik::Apartment::singleThreaded}) {
        auto answeredBy = std::make_shared<std::atomic<DWORD>>(0);
        auto kind = std::make_shared<std::atomic<int>>(-1);
        HWND hwnd = listener.hwnd;
        EXPECT_EQ(ondrik::runServing(
                      [=] {
                          APTTYPE type;
                          APTTYPEQUALIFIER qualifier;
                          if (SUCCEEDED(CoGetApartmentType(&type, &qualifier))) *kind = int(type);
                          // Answered only by the waiting thread's dispatching.
                          *answeredBy = DWORD(SendMessageW(hwnd, WM_APP, 0, 0));
                      },
                      INFINITE, apartment),
                  S_OK);
        EXPECT_EQ(*answeredBy, GetCurrentThreadId());
        EXPECT_EQ(*kind, apartment == ondrik::Apartment::multithreaded ? APTTYPE_MTA : APTTYPE_STA);
    }
}

TEST(ServingWait, AConditionOrALimitEndsTheWait) {
    int passes = 0;
    EXPECT_TRUE(ondrik::serveUntil([&] { return ++passes == 3; }, INFINITE));
    EXPECT_EQ(passes, 3);
    EXPECT_FALSE(ondrik::serveUntil([] { return false; }, 20));
    HANDLE set = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    EXPECT_TRUE(ondrik::serveUntil(nullptr, INFINITE, set));
    CloseHandle(set);
}

// In a thread of its own: being told to quit stays with the thread.
TEST(ServingWait, EveryWaitStopsOnceTheThreadIsToldToQuit) {
    std::thread([] {
        HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        auto ended = std::make_shared<std::atomic<bool>>(false);
        PostQuitMessage(0);
        // The work is held until after the wait: a wait that did not stop would never end.
        EXPECT_EQ(ondrik::runServing([release, ended] {
                      WaitForSingleObject(release, 30000);
                      *ended = true;
                  }),
                  RPC_E_TIMEOUT);
        EXPECT_TRUE(ondrik::quitSeen());
        EXPECT_FALSE(*ended);
        ondrik::serveFor(30000); // returns at once
        EXPECT_FALSE(ondrik::serveUntil([] { return false; }, INFINITE));
        SetEvent(release);
        // The quit is left for the thread's main loop.
        MSG msg;
        EXPECT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(msg.message, UINT(WM_QUIT));
    }).join();
    EXPECT_FALSE(ondrik::quitSeen());
}
