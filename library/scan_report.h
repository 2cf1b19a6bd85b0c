#pragma once
// FileReport.log: which recordings of the folder got a thumbnail and which did not.
#include "library/catalogue.h"

#include <QStringList>

namespace korvane {

// The report's lines, without line ends.
QStringList ScanReportLines(const RecordingCatalogue& catalogue);

// Writes "<workingFolder>/FileReport.log" (each line ended by CR LF, UTF-8), replacing any
// earlier report in one step. Returns false when there is no working folder or the file
// cannot be written; an earlier report is then left as it was.
bool WriteScanReport(const RecordingCatalogue& catalogue);

} // namespace korvane
