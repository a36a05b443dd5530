#include "automation/kept_alive.h"

namespace ondrik::keptAlive {

namespace detail {
std::atomic<long>& counter(Kind kind) {
    static std::atomic<long> counts[2];
    return counts[kind == Kind::object ? 0 : 1];
}
} // namespace detail

long count(Kind kind) {
    return detail::counter(kind).load(std::memory_order_relaxed);
}

} // namespace ondrik::keptAlive
