#include "platform/user_identity.h"

#include <unistd.h>

namespace korvane {

bool RunningAsRoot() { return geteuid() == 0; }

} // namespace korvane
