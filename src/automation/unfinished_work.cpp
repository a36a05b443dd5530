#include "automation/unfinished_work.h"

#include <windows.h>

#include <atomic>

namespace ondrik::unfinishedWork {
namespace {
std::atomic<long> running{0};
} // namespace

Scope::Scope() {
    ++running;
}

Scope::~Scope() {
    --running;
}

void waitForAll() {
    while (running > 0) Sleep(5);
}

} // namespace ondrik::unfinishedWork
