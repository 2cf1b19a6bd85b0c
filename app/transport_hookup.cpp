// The transport keys and snapshots wired into the viewer; see transport_hookup.h.
#include "app/transport_hookup.h"

#include "app/telemetry_hookup.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QStatusBar>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "app/viewer.h"
#include "library/catalogue.h"
#include "library/recording_library.h"
#include "library/thumbnail_tool.h"
#include "player/event_jump.h"
#include "player/frame_timing.h"
#include "player/moment_channels.h"
#include "player/play_time.h"
#include "player/playback_controller.h"
#include "player/player_log.h"
#include "player/snapshot.h"
#include "player/transport_keys.h"
#include "telemetry_view/readout_model.h"
#include "ui/main_window.h"
#include "ui/text_catalogue.h"

namespace korvane {
namespace {
// Left and Right move the position by this many tenths of a second.
constexpr int kSeekStepTenths = 50;
// A snapshot asked for while a frame step lands waits for it, at most this long.
constexpr int kStepWaitMs = 5000;
} // namespace

TransportHookup::TransportHookup(Viewer& viewer, TfrmMain& window, QObject* parent)
    : QObject(parent), viewer_(viewer), window_(window)
{
    keys_ = new TransportKeys(viewer.Player(), viewer, viewer.Seek(), this);
    snapshots_ = new SnapshotTaker(this);
    jumper_ = new EventJumper(viewer.Player(), viewer.Library(), *keys_, this);
    connect(snapshots_, &SnapshotTaker::saved, this, [this](const QString& path) {
        window_.stSystem->showMessage(CatalogueText(keys::kSnapshotSaved) + QLatin1Char(' ') + path);
    });
    connect(snapshots_, &SnapshotTaker::failed, this, [this](const QString& detail) {
        qCWarning(lcPlayer) << "snapshot failed:" << detail;
        window_.stSystem->showMessage(CatalogueText(keys::kSnapshotFailed) + QLatin1Char(' ') + detail);
    });
    if (window_.miSnapshot)
        connect(window_.miSnapshot, &QAction::triggered, this, [this] { TakeSnapshot(); });
}

bool TransportHookup::Run(HookAction action, QObject* receiver)
{
    if (!MainWindowHasKeys(window_, receiver))
        return false;
    switch (action) {
    case HookAction::PlayPause: return keys_->PlayPause();
    case HookAction::SeekBack: return keys_->SeekBy(-kSeekStepTenths);
    case HookAction::SeekForward: return keys_->SeekBy(kSeekStepTenths);
    case HookAction::FrameBack: return keys_->StepFrame(-1);
    case HookAction::FrameForward: return keys_->StepFrame(1);
    case HookAction::ToStart: return keys_->GoToStart();
    case HookAction::Snapshot: return TakeSnapshot();
    case HookAction::NextEvent: return JumpToEvent(1);
    case HookAction::PreviousEvent: return JumpToEvent(-1);
    default: return false;
    }
}

bool TransportHookup::JumpToEvent(int direction)
{
    return jumper_->Jump(direction, viewer_.Telemetry().Events(), viewer_.Thresholds());
}

bool TransportHookup::TakeSnapshot()
{
    if (!keys_->Loaded())
        return false;
    if (keys_->Stepper().Busy()) {
        // The frame to keep is the one the step lands on.
        auto waited = std::make_shared<int>(0);
        auto retry = std::make_shared<std::function<void()>>();
        *retry = [this, waited, retry] {
            if (keys_->Stepper().Busy() && (*waited += 10) < kStepWaitMs)
                QTimer::singleShot(10, this, *retry);
            else
                TakeSnapshot();
        };
        QTimer::singleShot(10, this, *retry);
        return true;
    }
    PlaybackController& player = viewer_.Player();
    PlaybackChannel& channel = *player.Current();
    RecordingLibrary& library = viewer_.Library();
    SnapshotRequest request;
    request.mp4Path = channel.mediaPath;
    request.recordingName = channel.ref.name;
    request.stem = RecordingStem(channel.ref.name.section(QLatin1Char('/'), -1));  // another camera's name is a path
    request.position100ns = ReadPosition(channel);
    request.frame100ns = keys_->Stepper().FrameDuration(channel);
    request.mph = window_.miSpeedMph && window_.miSpeedMph->isChecked();
    const std::optional<int> index = SampleIndexAt(PositionTenths(request.position100ns), channel.lines.size(),
                                                   player.DurationTenths(), channel.track);
    if (index && *index >= 0 && *index < static_cast<int>(channel.track.samples.size()) &&
        *index < channel.track.sampleCount)
        request.sample = channel.track.samples[static_cast<std::size_t>(*index)];
    request.toolPath = FindThumbnailTool(QCoreApplication::applicationDirPath());
    request.workingFolder = library.Catalogue().workingFolder;
    request.outputFolder = PicturesFolder();
    if (!request.outputFolder.isEmpty())
        request.outputFolder += QStringLiteral("/Korvane");
    request.cardFolders = {library.Catalogue().recordingFolder, QFileInfo(channel.mediaPath).absolutePath()};
    // A moment of several channels: every channel shown is saved, each named by its letter.
    const MomentChannels& others = viewer_.OtherChannels();
    if (others.Count() == 0) {
        snapshots_->Take(request);
        return true;
    }
    const QString stem = request.stem;
    request.stem = stem + QLatin1Char('_') + others.MainLetter();
    snapshots_->Take(request);
    for (int i = 0; i < others.Count(); ++i) {
        if (others.Lost(i) || !others.Inset(i) || !others.Inset(i)->isVisible())
            continue;
        SnapshotRequest other = request;
        other.mp4Path = others.Path(i);
        other.recordingName = QFileInfo(others.Path(i)).fileName();
        other.stem = stem + QLatin1Char('_') + others.Letter(i);
        other.position100ns = ReadPosition(others.Client(i));
        other.frame100ns = ReadFrameDuration(other.mp4Path);
        other.cardFolders << QFileInfo(other.mp4Path).absolutePath();
        snapshots_->Take(other);
    }
    return true;
}

} // namespace korvane
