#include "datamgmt/datamgmt_log.h"

Q_LOGGING_CATEGORY(lcDataMgmt, "korvane.datamgmt")
