#include "shell/desktop.h"

#include "automation/serving_wait.h"

namespace ondrik::desktop {

void sleepFor(long milliseconds) {
    // The caller waits the time it asked for; the other clients are served meanwhile.
    if (milliseconds > 0) serveFor(DWORD(milliseconds));
}

} // namespace ondrik::desktop
