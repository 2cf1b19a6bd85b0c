// Stands in for the export engine until it is built into this library: every export is
// refused as bad input, so the viewer's dialog and its worker can be built and tried.
#include "export/export_request.h"

namespace korvane {

Expected<ExportResult, ExportError> RunExport(const ExportRange&, const ExportOptions&, ExportProgress&)
{
    return Unexpected(ExportError{ExportFailure::BadInput, QStringLiteral("export not built")});
}

} // namespace korvane
