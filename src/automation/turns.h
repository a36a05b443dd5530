// Turns for one object's work on worker threads: the work runs one piece at a time, in
// the order in which the server's thread handed the pieces out (calls that arrive during
// another call's wait come after it). Taking a turn never blocks the server's thread;
// waiting for it blocks only a worker. (What may change during a wait: docs/reentrancy.md.)
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <set>

namespace ondrik {

class Turns {
public:
    // The server's thread: the next turn.
    uint64_t take() {
        std::lock_guard<std::mutex> hold(lock_);
        return next_++;
    }
    // A worker: waits until the turn has come.
    void await(uint64_t turn) {
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait(hold, [&] { return serving_ == turn; });
    }
    // The turn is over, or will never be used (its work could not be started).
    void end(uint64_t turn) {
        std::lock_guard<std::mutex> hold(lock_);
        if (turn != serving_) {
            skipped_.insert(turn);
            return;
        }
        ++serving_;
        while (skipped_.erase(serving_)) ++serving_;
        changed_.notify_all();
    }

private:
    std::mutex lock_;
    std::condition_variable changed_;
    uint64_t next_ = 0, serving_ = 0;
    std::set<uint64_t> skipped_; // ended ahead of their turn
};

} // namespace ondrik
