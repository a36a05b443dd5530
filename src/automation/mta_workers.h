// Threads of the process's multithreaded apartment that run jobs handed to them, one job
// at a time each. A thread that has finished its job waits a while for another before it
// ends, so that a run of jobs neither starts a thread nor sets the apartment up each time.
#pragma once

#include <functional>

namespace ondrik {

// Runs job on an idle worker, or on a new one when none is idle. Returns false when no
// thread could be started (job has not run then).
bool runOnWorker(std::function<void()> job);

} // namespace ondrik
