#pragma once
// Logging category of the export: every failure it meets is logged here.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcExport)
