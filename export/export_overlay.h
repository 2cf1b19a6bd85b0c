#pragma once
// The overlay clip: the range re-encoded as H.264 with the read-out band burned into its bottom
// rows (telemetry_band/readout_band.h), the audio copied as it is. Decoded and encoded with
// libavcodec, muxed with libavformat, the index at the front. WriteOverlayClip itself is
// declared with the other export values in export_request.h.
#include <cstdint>

#include "export/export_request.h"

namespace korvane {

// The settings the overlay clip is encoded with (libx264).
struct OverlayEncoding {
    const char* preset = "veryfast";
    int crf = 20;
};

Expected<void, ExportError> WriteOverlayClipWith(const ExportRange& range, bool mph, const QString& outPath,
                                                 ExportProgress& progress, const OverlayEncoding& encoding);

} // namespace korvane
