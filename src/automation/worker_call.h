// A blocking platform call made off the server's thread.
//
// Name resolution, connecting and reading over the network, the file system on a share
// that answers slowly, the shell: a platform call that can take long runs on a worker
// thread (mta_workers.h) while the server's thread waits for it serving the other
// clients (serving_wait.h). The caller waits as long as the call takes.
#pragma once

#include "automation/mta_workers.h"

#include <windows.h>

#include <functional>

namespace ondrik {

// Runs work on a worker of the apartment kind and serves incoming calls until it ends,
// limitMs pass (INFINITE: no limit) or the server is ending. Returns S_OK when work
// ended; RPC_E_TIMEOUT when the wait stopped first (work runs on, so it must own
// everything it touches: copies, or shared pointers); E_OUTOFMEMORY when no thread could
// be started (work has not run). An exception leaving work ends it.
HRESULT runServing(std::function<void()> work, DWORD limitMs = INFINITE,
                   Apartment apartment = Apartment::multithreaded);

// What runServing's answer means to a member that does not wait for the work's result:
// S_OK once the work was handed over (done, or running on as the server ends), the
// error when it never ran.
inline HRESULT handOffResult(HRESULT hr) {
    return hr == RPC_E_TIMEOUT ? S_OK : hr;
}

// For tests: the next hand-off of work by runServing on this thread fails as a hand-off
// can fail, before work runs: no thread to be had (refused: E_OUTOFMEMORY is returned) or
// no memory for the hand-off itself (outOfMemory: std::bad_alloc is thrown).
enum class HandOffFailure { none, refused, outOfMemory };
void failNextHandOff(HandOffFailure how);

} // namespace ondrik
