#include "automation/worker_call.h"

#include "automation/serving_wait.h"

#include <memory>
#include <utility>

namespace ondrik {

HRESULT runServing(std::function<void()> work, DWORD limitMs, Apartment apartment) {
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
