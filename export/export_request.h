#pragma once
// What an export of a moment needs and what it gives back. The viewer's export dialog, the worker
// that runs the export and `korvane-cli export` all speak in these values; nothing here needs a
// display.
#include "core/expected.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>

namespace korvane {

// Another channel of the moments exported (rear, interior, ...): its recording beside each of
// the range's recordings. Its clip, clip_<letter>.MP4, shows the same camera-clock span as the
// main clip, as far as its recordings hold it.
struct ExportChannelSource {
    QString path;                       // absolute; empty when that moment has no such channel
    std::int64_t namedLeadSeconds = 0;  // how far its name's start lies after the main recording's
};
struct ExportChannel {
    QChar letter;                        // upper case: 'R', 'I', ...
    QList<ExportChannelSource> sources;  // index i beside ExportRange::recordings[i]
};

// The moment: consecutive recordings of one group and the range across them.
struct ExportRange {
    QStringList recordings;      // absolute paths, in time order, each following the one before
    std::int64_t inUs = 0;       // In, microseconds from the start of the first recording
    std::int64_t outUs = -1;     // Out, microseconds from the start of the first recording; -1: the end
    QList<ExportChannel> channels = {};  // the moments' other channels; empty for a card of one channel
};

// Records that recording `index` of `range` has channel `letter` at `path`, whose name starts
// `namedLeadSeconds` after the recording's; the channel is added in the order first met.
void AddChannelRecording(ExportRange& range, int index, QChar letter, const QString& path,
                         std::int64_t namedLeadSeconds);

struct ExportOptions {
    QString destination;     // the folder the export folder is made in
    QString cardFolder;      // the card's recording folder: a destination inside it is refused
    bool overlay = false;    // also write clip_overlay.MP4 with the read-out burned in
    bool mph = false;        // the burned-in speed in miles per hour
};

enum class ExportFailure {
    BadInput,           // recordings not consecutive, range outside them, a damaged recording
    Unreadable,         // a recording cannot be read
    Unwritable,         // the destination cannot be written (also a full disk)
    DestinationOnCard,  // the destination lies inside the card's folder
    Stopped,            // the user asked to stop
};

struct ExportError {
    ExportFailure kind = ExportFailure::BadInput;
    QString detail;  // for the log and the message box: the file and the reason
};

struct ExportResult {
    QString folder;  // the export folder, <destination>/<YYYYMMDD-hhmmss>_<seconds>s
};

// Shared with the thread that watches the export: progress in thousandths, and the stop request.
struct ExportProgress {
    std::atomic<int> permille{0};
    std::atomic<bool> stopRequested{false};
};

// Runs the whole export on the calling thread (the worker's): clip.MP4, clip_<letter>.MP4 for
// every other channel that holds part of the range, the overlay clip when asked, track.gpx,
// telemetry.csv, manifest.json and SHA256SUMS, under temporary names renamed only when
// everything is written; a stop or a failure leaves nothing behind.
Expected<ExportResult, ExportError> RunExport(const ExportRange& range, const ExportOptions& options,
                                              ExportProgress& progress);

// The overlay clip alone: In..Out re-encoded as H.264 with the clock, speed, position and G drawn
// in a band at the bottom, audio copied. Called by RunExport when the overlay is asked for.
Expected<void, ExportError> WriteOverlayClip(const ExportRange& range, bool mph, const QString& outPath,
                                             ExportProgress& progress);

} // namespace korvane
