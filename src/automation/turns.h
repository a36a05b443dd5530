// Turns for one object's work on worker threads: the work runs one piece at a time, in
// the order in which the server's thread handed the pieces out (calls that arrive during
// another call's wait come after it). Taking a turn never blocks the server's thread;
// waiting for it blocks only a worker. (What may change during a wait: docs/reentrancy.md.)
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>

namespace ondrik {

class Turns {
public:
    // The server's thread: the next turn (may throw bad_alloc; no turn is taken then).
    uint64_t take() {
        std::lock_guard<std::mutex> hold(lock_);
        uint64_t turn = next_++;
        pending_.insert(turn);
        return turn;
    }
    // A worker: waits until the turn has come, that is every earlier turn has ended.
    void await(uint64_t turn) {
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait(hold, [&] { return *pending_.begin() == turn; });
    }
    // The turn is over, or will never be used (its work never ran). Needs no memory.
    void end(uint64_t turn) noexcept {
        std::lock_guard<std::mutex> hold(lock_);
        pending_.erase(turn);
        changed_.notify_all();
    }

private:
    std::mutex lock_;
    std::condition_variable changed_;
    uint64_t next_ = 0;
    std::set<uint64_t> pending_; // taken and not yet ended, the next to be served first
};

// One turn, taken when the ticket is made and ended when the ticket goes: after the work
// it was taken for, and just as well when that work never ran (its hand-off to a worker
// failed or threw), so that no later turn waits for it for ever. The ticket keeps the
// turns alive; it is shared by the server's thread and the worker, and the last to let
// go ends the turn.
class TurnTicket {
public:
    explicit TurnTicket(std::shared_ptr<Turns> turns) : turns_(std::move(turns)), turn_(turns_->take()) {}
    ~TurnTicket() { turns_->end(turn_); }
    TurnTicket(const TurnTicket&) = delete;
    TurnTicket& operator=(const TurnTicket&) = delete;

    // A worker: waits until the turn has come.
    void await() { turns_->await(turn_); }

private:
    std::shared_ptr<Turns> turns_;
    uint64_t turn_;
};

} // namespace ondrik
