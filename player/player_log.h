#pragma once
// The player library's logging category, "korvane.player": recordings that cannot be opened or
// played, kernels that never become ready.
#include <QLoggingCategory>

namespace korvane {
Q_DECLARE_LOGGING_CATEGORY(lcPlayer)
}
