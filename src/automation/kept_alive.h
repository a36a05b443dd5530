// What the server keeps alive of its own, counted as it is made and let go: the objects
// of its classes (the dispatch base and the enumerators) and the calls into a client's
// object handed over to worker threads (bounded_call.h) that have not let go of it yet. A sequence of
// calls that must leave nothing behind brings both back to where they were, which the
// tests check; the counts cost an atomic step each and change no behaviour.
#pragma once

#include <atomic>

namespace ondrik::keptAlive {

enum class Kind { object, handOver };

long count(Kind kind);

// One thing of the kind, counted while it lives: a member (or base) of what it counts.
template <Kind K> class Counted {
public:
    Counted() noexcept { add(1); }
    Counted(const Counted&) noexcept { add(1); }
    Counted& operator=(const Counted&) noexcept { return *this; }
    ~Counted() { add(-1); }

private:
    static void add(long n) noexcept;
};

namespace detail {
std::atomic<long>& counter(Kind kind);
}

template <Kind K> void Counted<K>::add(long n) noexcept {
    detail::counter(K).fetch_add(n, std::memory_order_relaxed);
}

} // namespace ondrik::keptAlive
