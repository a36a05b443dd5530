#include "process/registers.h"

#include <vector>

namespace ondrik::ondrikMain {
namespace {

// The release of each object held, in the order the objects were made.
std::vector<void (*)()>& held() {
    static std::vector<void (*)()> releases;
    return releases;
}

} // namespace

void keepUntilEnd(void (*release)()) {
    held().push_back(release);
}

void releaseRegisters() {
    // The last made first: an object made later may hold objects made before it.
    while (!held().empty()) {
        void (*release)() = held().back();
        held().pop_back();
        release();
    }
}

} // namespace ondrik::ondrikMain
