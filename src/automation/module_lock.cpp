#include "automation/module_lock.h"

namespace ondrik::moduleLock {
namespace {
long locks = 0; // the server runs one thread: no atomics needed
void (*lastUnlock)() = nullptr;
} // namespace

void lock() {
    ++locks;
}

void unlock() {
    if (--locks == 0 && lastUnlock) lastUnlock();
}

void onLastUnlock(void (*callback)()) {
    lastUnlock = callback;
}

long count() {
    return locks;
}

} // namespace ondrik::moduleLock
