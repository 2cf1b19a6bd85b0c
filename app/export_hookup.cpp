// Export in the viewer; see export_hookup.h.
#include "app/export_hookup.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QStatusBar>

#include "app/telemetry_hookup.h"
#include "app/viewer.h"
#include "library/catalogue.h"
#include "library/recording_library.h"
#include "library/skin_scroll_bar_widget.h"
#include "map/route_builder.h"
#include "platform/message_box.h"
#include "kernel/control_block.h"
#include "player/playback_channel.h"
#include "player/playback_controller.h"
#include "player/seek_bar.h"
#include "telemetry_view/chart_strip.h"
#include "ui/main_window.h"
#include "ui/range_marks_overlay.h"
#include "ui/text_catalogue.h"
#include "ui/text_tables.h"

namespace korvane {

namespace {

// The other channels (rear, interior, ...) of the moments of another camera's card whose main
// recordings `range` exports; nothing for a recording of one channel.
void AddMomentChannels(const RecordingCatalogue& catalogue, ExportRange& range)
{
    if (catalogue.moments.isEmpty())
        return;
    const QDir folder(catalogue.recordingFolder);
    for (int i = 0; i < range.recordings.size(); ++i) {
        const QString name = folder.relativeFilePath(range.recordings[i]);
        const auto moment = catalogue.moments.constFind(name);
        if (moment == catalogue.moments.cend())
            continue;
        for (const OtherChannel& other : OtherChannelsOf(*moment, name))
            AddChannelRecording(range, i, other.letter, RecordingPath(catalogue.recordingFolder, other.path),
                                other.startAfterSeconds);
    }
}

} // namespace

ExportHookup::ExportHookup(Viewer& viewer, TfrmMain& window, JobWorker& worker, BusyState& busy, QObject* parent)
    : QObject(parent), viewer_(viewer), window_(window)
{
    command_ = new ExportCommand(worker, busy, &window, this);
    seekMarks_ = new RangeMarksOverlay(&viewer_.Seek().Widget());
    chartMarks_ = new RangeMarksOverlay(viewer_.Telemetry().Display().Chart().plImage);

    // The chart is drawn on recordingLoaded first (Viewer::ConnectDisplays); the marks follow.
    connect(&viewer_.Player(), &PlaybackController::recordingLoaded, this, &ExportHookup::Opened);
    connect(&viewer_.Library(), &RecordingLibrary::folderOpening, this, [this] {
        marks_.Clear();
        ShowMarks();
    });
    connect(window_.miMarkIn, &QAction::triggered, this, [this] { Mark(true); });
    connect(window_.miMarkOut, &QAction::triggered, this, [this] { Mark(false); });
    connect(window_.miExport, &QAction::triggered, this, &ExportHookup::Export);
}

void ExportHookup::Opened(const LoadedRecording& rec)
{
    const PlaybackChannel* c = viewer_.Player().Current();
    currentGroup_ = rec.ref.group;
    marks_.Opened(rec.mp4Path, rec.ref.group, c ? c->duration / 10 : rec.durationTenths * 100000);
    ShowMarks();
}

bool ExportHookup::Mark(bool in)
{
    PlaybackChannel* c = viewer_.Player().Current();
    if (!c || c->mediaPath.isEmpty() || marks_.Current() < 0 || !marks_.Run().contains(c->mediaPath))
        return false;
    // The position shown: a seek on its way shows its target already, and right after a seek
    // the kernel may report no position until its picture is ready; the seek bar holds it then.
    std::int64_t position = ReadPosition(*c);
    const std::int64_t seeking = c->slot ? c->slot->seekRequest.load() : -1;
    if (seeking > 0)
        position = seeking;
    else if (position <= 0)
        position = std::int64_t(viewer_.Seek().Position()) * 1'000'000;
    const std::int64_t us = position / 10;
    if (in)
        marks_.SetIn(us);
    else
        marks_.SetOut(us);
    ShowMarks();
    window_.stSystem->showMessage(CatalogueText(in ? keys::kMarkInSet : keys::kMarkOutSet) + QLatin1Char(' ') +
                                  ExportClock(us));
    return true;
}

void ExportHookup::ShowMarks()
{
    const auto in = marks_.FractionOnCurrent(marks_.In());
    const auto out = marks_.FractionOnCurrent(marks_.Out());
    if (seekMarks_) {
        const QFrame* thumb = viewer_.Seek().Widget().Thumb();
        seekMarks_->SetGeometryRule(thumb ? thumb->width() / 2 : 0, 1.0);
        seekMarks_->SetMarks(in, out);
    }
    // The chart's plot spans whole ten-second columns, the recording only part of the last.
    const ChartStrip& chart = viewer_.Telemetry().Display().Chart();
    const int samples = chart.drawing().chartSamples;
    const qint64 tenths = viewer_.Player().DurationTenths();
    chartMarks_->SetGeometryRule(0, samples > 0 && tenths > 0 ? std::min(1.0, double(tenths) / samples) : 1.0);
    chartMarks_->SetMarks(in, out);
}

QStringList ExportHookup::Neighbours(const QString& path) const
{
    const RecordingCatalogue& catalogue = viewer_.Library().Catalogue();
    QString before, after;
    for (const QString& name : catalogue.eventFiles) {
        const QString other = RecordingPath(catalogue.recordingFolder, name);
        if (IsNextMinuteRecording(path, other))
            before = other;
        else if (IsNextMinuteRecording(other, path))
            after = other;
    }
    QStringList result;
    if (!before.isEmpty())
        result << before;
    if (!after.isEmpty())
        result << after;
    return result;
}

std::optional<ExportStart> ExportHookup::StartNow() const
{
    const std::optional<ExportRange> range = marks_.Range();
    if (!range)
        return std::nullopt;
    ExportStart start;
    start.range = *range;
    AddMomentChannels(viewer_.Library().Catalogue(), start.range);
    start.cardFolder = viewer_.Library().Catalogue().recordingFolder;
    start.mph = window_.miSpeedMph && window_.miSpeedMph->isChecked();
    if (!marks_.HasMarks() && currentGroup_ == kGroupEvent && range->recordings.size() == 1) {
        const QString shown = range->recordings.first();
        start.neighbours = Neighbours(shown);
        for (const QString& n : start.neighbours)
            if (IsNextMinuteRecording(shown, n))
                start.withNeighbours << n;
        start.withNeighbours << shown;
        for (const QString& n : start.neighbours)
            if (IsNextMinuteRecording(n, shown))
                start.withNeighbours << n;
        ExportRange withNeighbours{start.withNeighbours, 0, -1, {}};
        AddMomentChannels(viewer_.Library().Catalogue(), withNeighbours);
        start.withNeighboursChannels = withNeighbours.channels;
    }
    return start;
}

void ExportHookup::Export()
{
    const std::optional<ExportStart> start = StartNow();
    if (!start) {
        ShowMessageBox(QStringLiteral("Korvane"), CatalogueText(keys::kExportNothingShown), BoxIcon::Information);
        return;
    }
    viewer_.PauseIfPlaying();
    command_->Run(*start);
}

} // namespace korvane
