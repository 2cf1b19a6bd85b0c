// The library's logging category.
#include "library/library_log.h"

namespace korvane {
Q_LOGGING_CATEGORY(lcLibrary, "korvane.library")
}
