// For tests: the next allocation by operator new on this thread fails (std::bad_alloc), as
// it fails when memory runs out. The test client replaces operator new for this.
#pragma once

namespace testing_ondrik {

void failNextAllocation();

} // namespace testing_ondrik
