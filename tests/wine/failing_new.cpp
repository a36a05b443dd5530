// operator new of the test client, which fails when a test asks (failing_new.h); otherwise
// as the runtime's own, on malloc, which the runtime's operator delete frees.
#include "failing_new.h"

#include <cstdlib>
#include <new>

namespace {
thread_local bool failNext = false;
} // namespace

void testing_ondrik::failNextAllocation() {
    failNext = true;
}

void* operator new(std::size_t size) {
    if (failNext) {
        failNext = false;
        throw std::bad_alloc();
    }
    for (;;) {
        if (void* p = std::malloc(size ? size : 1)) return p;
        std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}
