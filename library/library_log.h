#pragma once
// The library's logging category, "korvane.library": folders that cannot be listed, reports and
// thumbnails that cannot be written, recordings that have gone.
#include <QLoggingCategory>

namespace korvane {
Q_DECLARE_LOGGING_CATEGORY(lcLibrary)
}
