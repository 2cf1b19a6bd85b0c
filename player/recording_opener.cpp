// Opening recordings: the double click, continuous play's next recording and the open-folder
// command, down to the kernel launch.
#include "player/recording_opener.h"

#include <QFile>
#include <QFileInfo>
#include <QWidget>

#include "library/library_texts.h"
#include "library/recording_library.h"
#include "mp4parse/load_telemetry.h"
#include "platform/file_name_bytes.h"
#include "player/partner_preparation.h"
#include "player/playback_controller.h"
#include "player/player_host.h"
#include "player/player_log.h"

namespace korvane {
namespace {
// A double click opens its recording after this many ticks of tmFileRun (100 ms each); a second
// double click within that time replaces the first.
constexpr int kFileRunTicks = 5;
} // namespace

RecordingOpener::RecordingOpener(PlaybackController& player, RecordingLibrary& library, PlayerHost& host,
                                 QObject* parent)
    : QObject(parent), player_(player), library_(library), host_(host)
{
    tmFileRun_.setSingleShot(true);
    tmFileRun_.setInterval(100);
    connect(&tmFileRun_, &QTimer::timeout, this, &RecordingOpener::tmFileRunTimer);
    connect(&library_, &RecordingLibrary::recordingActivated, this, &RecordingOpener::RecordingActivated);
    connect(&library_, &RecordingLibrary::passFinished, this, &RecordingOpener::PassFinished);
}

void RecordingOpener::RecordingActivated(const RecordingRef& ref)
{
    fileRunTicks_ = 0;
    // The tick stops and the seek parts refuse presses until the player enables them again.
    player_.StopTick();
    player_.SetSeekEnabled(false);
    if (!host_.ViewerIdle() || !ref.IsValid())
        return;
    player_.Select(ref);
    PlaybackChannel& channel = *player_.Current();
    if (ref == channel.ref) {  // its recording is loaded: just play it
        player_.Play();
        library_.HighlightRecording(ref, false);
        return;
    }
    pending_ = ref;
    library_.HighlightRecording(ref, false);
    if (tmFileRun_.isActive())
        return;
    KillStaleEngines(channel);
    player_.Stop();
    ResetViewer(true, false, true, true, false);
    tmFileRun_.start();
}

void RecordingOpener::tmFileRunTimer()
{
    if (++fileRunTicks_ < kFileRunTicks) {
        tmFileRun_.start();
        return;
    }
    host_.SetViewerIdle(false);
    library_.SetGridsReady(false);
    if (!OpenRecording(pending_)) {
        host_.SetViewerIdle(true);
        library_.SetGridsReady(true);
    }
}

bool RecordingOpener::OpenRecording(const RecordingRef& ref)
{
    host_.SetViewerIdle(false);
    player_.ShowTimePanelPerMenu();
    PlaybackChannel& channel = *player_.Current();
    channel.currentSample = TelemetrySample{};
    if (!library_.CellOf(ref)) {
        host_.StartProcessFinish();
        return false;
    }
    // A cut recording plays through its repaired copy in the working folder; without one no
    // kernel is started (it could not play the file).
    const QString mp4 = library_.PlayablePathOf(ref);
    const QString sidecar = library_.SidecarPathOf(ref);
    if (mp4.isEmpty()) {
        qCWarning(lcPlayer) << "a cut recording is not played before it is repaired:" << ref.name;
        host_.StartProcessFinish();
        return false;
    }
    if (!IsRegularFileName(mp4)) {
        qCWarning(lcPlayer) << "recording not found:" << mp4;
        host_.ReportOpenFailed(library_.WindowCaption(), FileNotFoundText());
        host_.StartProcessFinish();
        return false;
    }
    channel.mediaPath = mp4;
    channel.sidecarPath = sidecar;
    LoadChannelTelemetry(channel, gpsSeen_);
    channel.ref = RecordingRef{};
    if (!LaunchKernel(channel, mp4)) {
        // The kernel refuses a path it would have to cut (it would name another file); without
        // a slot (the block could not be opened) nothing can play at all.
        const QString key = channel.slot ? QStringLiteral("Library.PathTooLong.Caption")
                                         : QStringLiteral("Library.NoPlaybackChannel");
        qCWarning(lcPlayer) << "no kernel launched for" << mp4 << (channel.slot ? "(path too long)" : "(no slot)");
        host_.ReportOpenFailed(library_.WindowCaption(), LibraryText(key));
        host_.StartProcessFinish();
        return false;
    }
    channel.ref = ref;
    player_.StartWaitReady();
    return true;
}

void RecordingOpener::LoadChannelTelemetry(PlaybackChannel& channel, bool& gpsSeen)
{
    const QString& mp4 = channel.mediaPath;
    try {
        LoadTelemetry(EncodeFileNameBytes(mp4).toStdString(), EncodeFileNameBytes(channel.sidecarPath).toStdString(),
                      parser_, channel.lines, channel.track, gpsSeen);
    } catch (const std::exception& e) {
        // A recording whose telemetry cannot be read still plays, without telemetry.
        qCWarning(lcPlayer) << "telemetry of" << mp4 << "could not be read:" << e.what();
        channel.lines.clear();
        channel.track.Clear();
    } catch (...) {
        qCWarning(lcPlayer) << "telemetry of" << mp4 << "could not be read";
        channel.lines.clear();
        channel.track.Clear();
    }
}

void RecordingOpener::OpenFolderCommand()
{
    player_.Stop();
    QString folder = library_.Catalogue().recordingFolder;
    if (!RecordingLibrary::ChooseRecordingFolder(library_.Pane()->window(), folder))
        return;
    OpenChosenFolder(folder);
}

void RecordingOpener::OpenChosenFolder(const QString& folder)
{
    library_.BeginFolderChange();
    player_.Partner().Release();
    KillStaleEngines(*player_.Current());
    ResetViewer(true, true, true, true, false);
    ReleaseChannel(*player_.Current());
    library_.OpenChosenFolder(folder);
}

void RecordingOpener::ResetViewer(bool video, bool maps, bool telemetry, bool buttons, bool grids)
{
    if (video)
        player_.ResetVideo();
    if (telemetry) {
        parser_.Reset();
        player_.ResetTelemetry(maps);
    }
    if (buttons)
        player_.SetControls(TransportSituation::NothingLoaded);
    if (grids)
        library_.ResetGrids();
    emit player_.playerReset(telemetry, maps);
}

void RecordingOpener::PassFinished()
{
    ResetViewer(true, true, true, true, false);
}

} // namespace korvane
