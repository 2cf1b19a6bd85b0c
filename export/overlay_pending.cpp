// Stand-in for the overlay clip until its drawing and encoding are built: asking for it fails
// cleanly, so the export leaves nothing behind.
#include "export/export_request.h"

namespace korvane {

Expected<void, ExportError> WriteOverlayClip(const ExportRange&, bool, const QString&, ExportProgress&)
{
    return Unexpected(ExportError{ExportFailure::BadInput, QStringLiteral("overlay not built")});
}

} // namespace korvane
