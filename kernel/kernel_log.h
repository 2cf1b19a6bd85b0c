#pragma once
// The kernel library's logging category, "korvane.kernel": every failure of the slot, the
// launch and the media graph is logged here (QT_LOGGING_RULES="korvane.kernel.debug=true").
#include <QLoggingCategory>

namespace korvane {
Q_DECLARE_LOGGING_CATEGORY(lcKernel)
}
