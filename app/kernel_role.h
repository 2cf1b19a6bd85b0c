#pragma once
// The korvane executable in the kernel role ("/CALLER:<name>/ID:<n>"): a playback kernel with a
// hidden window of its own and none of the viewer's parts, so that it starts in the time its
// media graph takes.
#include "app/command_line.h"

namespace korvane {

// Starts the kernel of the command line and runs the event loop until it ends; the exit status.
int RunKernelRole(const ProcessRole& role);

} // namespace korvane
