#include "platform/stop_signals.h"

#include <signal.h>

namespace korvane::platform {

void InstallStopSignalHandler(void (*onStop)(int))
{
    struct sigaction sa {};
    sa.sa_handler = onStop;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

} // namespace korvane::platform
