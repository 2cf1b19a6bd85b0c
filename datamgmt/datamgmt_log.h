#pragma once
// Logging category of the backup and clean jobs: every failure they meet is logged here.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcDataMgmt)
