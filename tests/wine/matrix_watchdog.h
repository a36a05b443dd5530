// Ends the test client with a message when a call has not come back for a minute: a hung
// server then shows as a named failure instead of a run that never ends.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

namespace matrix {

class Watchdog {
public:
    Watchdog() {
        InitializeCriticalSection(&lock_);
        stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        progress_ = GetTickCount();
        thread_ = CreateThread(nullptr, 0, &Watchdog::watch, this, 0, nullptr);
    }
    ~Watchdog() {
        SetEvent(stop_);
        if (thread_) {
            WaitForSingleObject(thread_, INFINITE);
            CloseHandle(thread_);
        }
        CloseHandle(stop_);
        DeleteCriticalSection(&lock_);
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    // The call about to be made.
    void now(const std::string& label) {
        EnterCriticalSection(&lock_);
        label_ = label;
        progress_ = GetTickCount();
        LeaveCriticalSection(&lock_);
    }

private:
    static constexpr DWORD kLimitMs = 60000;

    static DWORD WINAPI watch(void* p) {
        auto* self = static_cast<Watchdog*>(p);
        while (WaitForSingleObject(self->stop_, 1000) == WAIT_TIMEOUT) {
            EnterCriticalSection(&self->lock_);
            bool stuck = GetTickCount() - self->progress_ > kLimitMs;
            std::string label = self->label_;
            LeaveCriticalSection(&self->lock_);
            if (stuck) {
                std::fprintf(stderr, "bad-input matrix: no answer for a minute from %s\n", label.c_str());
                std::fflush(stderr);
                TerminateProcess(GetCurrentProcess(), 3);
            }
        }
        return 0;
    }

    CRITICAL_SECTION lock_;
    HANDLE stop_ = nullptr;
    HANDLE thread_ = nullptr;
    DWORD progress_ = 0;
    std::string label_;
};

} // namespace matrix
