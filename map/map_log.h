#pragma once
// The map view's logging category.
#include <QLoggingCategory>

namespace korvane {
Q_DECLARE_LOGGING_CATEGORY(lcMap)
} // namespace korvane
