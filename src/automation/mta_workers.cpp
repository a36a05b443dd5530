#include "automation/mta_workers.h"

#include <windows.h>

#include <objbase.h>
#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

namespace ondrik {
namespace {

// How long a worker without a job waits for one before it ends.
constexpr DWORD kIdleMs = 60000;

struct Worker {
    Worker() = default;
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;
    ~Worker() {
        if (wake) CloseHandle(wake);
    }

    HANDLE wake = nullptr; // set when a job is handed over
    std::function<void()> job;
};

// Starts a thread on routine, which takes over owned; false, with owned still here, when
// no thread starts.
template <class T> bool startThread(LPTHREAD_START_ROUTINE routine, std::unique_ptr<T>& owned) {
    HANDLE thread = CreateThread(nullptr, 0, routine, owned.get(), 0, nullptr);
    if (!thread) return false;
    owned.release();
    CloseHandle(thread);
    return true;
}

// Never destroyed: a worker may still reach them while the process ends.
std::mutex& idleLock = *new std::mutex;
std::vector<Worker*>& idle = *new std::vector<Worker*>; // guarded by idleLock

// Takes worker off the idle list; false when somebody has already taken it (and is
// handing it a job).
bool leaveIdle(Worker* worker) {
    std::lock_guard<std::mutex> hold(idleLock);
    auto it = std::find(idle.begin(), idle.end(), worker);
    if (it == idle.end()) return false;
    idle.erase(it);
    return true;
}

DWORD WINAPI work(void* param) {
    std::unique_ptr<Worker> owned(static_cast<Worker*>(param));
    Worker* worker = owned.get(); // on the idle list meanwhile, without owning it
    HRESULT init = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    for (;;) {
        std::function<void()> job = std::move(worker->job);
        try {
            job();
        } catch (...) {
        }
        job = nullptr;
        try {
            std::lock_guard<std::mutex> hold(idleLock);
            idle.push_back(worker);
        } catch (...) {
            break; // no room to wait for another job: end
        }
        if (WaitForSingleObject(worker->wake, kIdleMs) == WAIT_TIMEOUT) {
            if (leaveIdle(worker)) break;
            WaitForSingleObject(worker->wake, INFINITE); // taken at the last moment: the job is on its way
        }
    }
    if (SUCCEEDED(init)) CoUninitialize();
    return 0;
}

// A single-threaded apartment for one job. The thread serves its queue once more before
// it ends: the shell may have posted itself work there.
DWORD WINAPI workAlone(void* param) {
    std::unique_ptr<std::function<void()>> job(static_cast<std::function<void()>*>(param));
    HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    try {
        (*job)();
    } catch (...) {
    }
    job.reset();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    if (SUCCEEDED(init)) CoUninitialize();
    return 0;
}

bool runAlone(std::function<void()> job) {
    auto owned = std::make_unique<std::function<void()>>(std::move(job));
    return startThread(&workAlone, owned);
}

} // namespace

bool runOnWorker(std::function<void()> job, Apartment apartment) {
    if (apartment == Apartment::singleThreaded) return runAlone(std::move(job));
    Worker* worker = nullptr;
    {
        std::lock_guard<std::mutex> hold(idleLock);
        if (!idle.empty()) {
            worker = idle.back();
            idle.pop_back();
        }
    }
    if (worker) {
        worker->job = std::move(job);
        SetEvent(worker->wake); // auto-reset: one job per wake
        return true;
    }
    auto fresh = std::make_unique<Worker>();
    fresh->wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!fresh->wake) return false;
    fresh->job = std::move(job);
    return startThread(&work, fresh);
}

} // namespace ondrik
