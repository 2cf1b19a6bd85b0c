// The kernel library's logging category.
#include "kernel/kernel_log.h"

namespace korvane {
Q_LOGGING_CATEGORY(lcKernel, "korvane.kernel")
}
