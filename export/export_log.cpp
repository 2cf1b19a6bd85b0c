#include "export/export_log.h"

Q_LOGGING_CATEGORY(lcExport, "korvane.export")
