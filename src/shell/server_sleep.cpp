#include "shell/desktop.h"

namespace ondrik::desktop {

void sleepFor(long milliseconds) {
    Sleep(milliseconds < 0 ? 0 : DWORD(milliseconds));
}

} // namespace ondrik::desktop
