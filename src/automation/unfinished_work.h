// Work on worker threads that must not be cut off when the server ends, such as a file
// being replaced: the process ends only once such work is done (the server's end limit
// still bounds the wait).
#pragma once

namespace ondrik::unfinishedWork {

// Counts one piece of such work while it lives; made and ended on any thread.
class Scope {
public:
    Scope();
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
};

// Waits until no such work is left. The server calls it as it ends, when no client is
// served any more.
void waitForAll();

} // namespace ondrik::unfinishedWork
