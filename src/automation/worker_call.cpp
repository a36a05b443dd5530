#include "automation/worker_call.h"

#include "automation/serving_wait.h"

#include <memory>
#include <new>
#include <utility>

namespace ondrik {
namespace {

HandOffFailure nextHandOff = HandOffFailure::none; // the server's thread only

} // namespace

void failNextHandOff(HandOffFailure how) {
    nextHandOff = how;
}

HRESULT runServing(std::function<void()> work, DWORD limitMs, Apartment apartment) {
    switch (std::exchange(nextHandOff, HandOffFailure::none)) {
    case HandOffFailure::refused: return E_OUTOFMEMORY;
    case HandOffFailure::outOfMemory: throw std::bad_alloc();
    case HandOffFailure::none: break;
    }
    // Shared with the worker: whichever lets go last closes it.
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!event) return HRESULT_FROM_WIN32(GetLastError());
    std::shared_ptr<void> done(event, &CloseHandle);
    bool started = runOnWorker(
        [work = std::move(work), done] {
            try {
                work();
            } catch (...) {
            }
            SetEvent(done.get());
        },
        apartment);
    if (!started) return E_OUTOFMEMORY;
    return serveUntil(nullptr, limitMs, event) ? S_OK : RPC_E_TIMEOUT;
}

} // namespace ondrik
