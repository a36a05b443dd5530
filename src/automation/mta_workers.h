// Threads that run jobs handed to them by the server's thread.
//
// Workers of the process's multithreaded apartment run one job at a time each; one that
// has finished its job waits a while for another before it ends, so that a run of jobs
// neither starts a thread nor sets the apartment up each time. A job that needs a
// single-threaded apartment (the shell's, for one) gets a thread of its own, which ends
// with it.
#pragma once

#include <functional>

namespace ondrik {

enum class Apartment { multithreaded, singleThreaded };

// Runs job on an idle worker of the apartment kind, or on a new thread. Returns false
// when no thread could be started (job has not run then).
bool runOnWorker(std::function<void()> job, Apartment apartment = Apartment::multithreaded);

} // namespace ondrik
