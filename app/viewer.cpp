#include "app/viewer.h"

#include <QAction>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>

#include "app/map_area.h"
#include "app/recording_repair.h"
#include "app/telemetry_hookup.h"
#include "app/viewer_state.h"
#include "core/busy_state.h"
#include "kernel/control_block.h"
#include "library/group_selector.h"
#include "library/library_texts.h"
#include "library/recording_library.h"
#include "library/skin_scroll_bar_widget.h"
#include "platform/message_box.h"
#include "player/playback_channel.h"
#include "player/moment_channels.h"
#include "player/playback_controller.h"
#include "player/recording_opener.h"
#include "player/seek_bar.h"
#include "player/transport_bar.h"
#include "map/map_view.h"
#include "telemetry_view/readout_model.h"
#include "telemetry_view/telemetry_display.h"
#include "ui/dialog_family.h"
#include "ui/text_catalogue.h"
#include "ui/text_tables.h"
#include "ui/apply_layout.h"
#include "ui/device_pixels.h"
#include "ui/main_window.h"
#include "ui/native_overlay.h"

namespace korvane {

Viewer::Viewer(TfrmMain& window, BusyState& busy, double logicalScale, int scalePercent)
    : QObject(&window), window_(window), busy_(busy)
{
    library_ = new RecordingLibrary(*this, logicalScale, window_.plFile);
    buttons_ = new TransportBar(window_.tbVCR);
    player_ = new PlaybackController(*this, *buttons_, *library_, this);
    player_->SetVideoArea(window_.plVCRBackGround);
    seekWidget_ = new SkinScrollBarWidget(false, true, window_.plVCRControl);
    seekWidget_->setObjectName(QStringLiteral("tbVCR_Back"));
    seekWidget_->SetDisplayScale(logicalScale);
    seekWidget_->SetTrackColor(QColor(0, 0, 0));
    seekWidget_->SetFillColor(QColor(0, 160, 212));
    seekBar_ = new SeekBar(*seekWidget_, *player_, busy_, this);
    player_->SetSeekBar(seekBar_);
    others_ = new MomentChannels(*player_, *library_, this);

    plTime_ = new QLabel(window_.plVCRBackGround);
    plTime_->setObjectName(QStringLiteral("plTime"));
    // The clock comes from the card: shown as it stands, never as markup.
    plTime_->setTextFormat(Qt::PlainText);
    // The video panels are native windows; the overlay must be one too to stay above them.
    plTime_->setAttribute(Qt::WA_NativeWindow);
    plTime_->setAttribute(Qt::WA_DontCreateNativeAncestors);
    plTime_->setAutoFillBackground(true);
    QPalette pal = plTime_->palette();
    pal.setColor(QPalette::Window, QColor(160, 160, 164));
    pal.setColor(QPalette::WindowText, Qt::white);
    plTime_->setPalette(pal);
    plTime_->setFont(QFont(QStringLiteral("Arial"), 12));
    plTime_->hide();
    KeepOverlaySurfaceWithWindow(plTime_);
    player_->SetTimePanel(plTime_, window_.miTime);
    telemetry_ = new TelemetryHookup(window_, *player_, *seekBar_, *seekWidget_, plTime_, logicalScale, scalePercent);
    window_.miTime->setChecked(true);
    ApplyViewerState();

    selectors_ = new GroupSelectors(window_.plInformation);
    connect(selectors_, &GroupSelectors::pictureClicked, library_, &RecordingLibrary::GroupPictureClicked);
    connect(selectors_, &GroupSelectors::wordClicked, library_, &RecordingLibrary::GroupWordClicked);

    connect(window_.miContinue, &QAction::triggered, player_, &PlaybackController::SetContinuousPlay);
    connect(window_.miTime, &QAction::triggered, player_, &PlaybackController::miTimeClick);
    connect(window_.miOtherChannels, &QAction::toggled, others_, &MomentChannels::SetShown);
    connect(others_, &MomentChannels::channelLost, this, [this](QChar, const QString& path) {
        window_.stSystem->showMessage(CatalogueText(keys::kChannelLost) + QLatin1Char(' ') + path);
    });
    connect(window_.miOpen, &QAction::triggered, &player_->Opener(), &RecordingOpener::OpenFolderCommand);
    maps_ = CreateMapArea(window_, this);
    new RecordingRepair(*library_, player_->Opener(), *this, this);  // double clicks on cut recordings
    ConnectDisplays();

    // Until a recording plays the seek parts do not take presses.
    seekBar_->SetPartsEnabled(false);
    player_->SetControls(TransportSituation::NothingLoaded);
}

Viewer::~Viewer() = default;

void Viewer::OpenSlots()
{
    OpenViewerSlots(slotA_, slotB_);
}

void Viewer::SetUpChannels(const QString& programFolder)
{
    player_->SetUpChannels({window_.plVCR1, window_.imgVCR1, slotA_}, {window_.plVCR2, window_.imgVCR2, slotB_},
                           programFolder);
    window_.plVCR2->hide();
}

void Viewer::OpenStartFolder(const QString& folder, const QString& recordingFolder)
{
    const QString recordings = recordingFolder.isEmpty() ? folder : recordingFolder;
    library_->SetFolders(folder, recordings);
    // Without a working folder the viewer still shows the recordings, without thumbnails.
    if (!library_->PrepareWorkingFolder())
        ShowMessageBox(QStringLiteral("Korvane"), CannotMakeThumbnailsText(), BoxIcon::Error);
    library_->OpenRecordingFolder(recordings);
    KillStaleEngines(*player_->Current());
    maps_->Start();
}

void Viewer::Layout(const LayoutResult& layout, double devicePixelRatio)
{
    selectors_->Repaint();
    library_->Pane()->setGeometry(window_.plFile->rect());
    // The seek track fills plVCRControl; its thumb has the size the layout gives it.
    seekWidget_->setGeometry(window_.plVCRControl->rect());
    if (!seekInitialised_) {
        seekWidget_->Init();
        if (QFrame* thumb = seekWidget_->Thumb())
            thumb->setObjectName(QStringLiteral("tbVCRThumb"));
        seekInitialised_ = true;
    }
    const QSize thumb = ToLogical(layout.Rect(QStringLiteral("tbVCRThumb")).size(), devicePixelRatio);
    SkinScrollBar& bar = seekWidget_->Bar();
    bar.track.setHeight(thumb.height());
    bar.fill.setHeight(thumb.height());
    bar.thumb.setWidth(thumb.width());
    bar.thumb.setHeight(thumb.height());
    seekWidget_->Relayout();
    buttons_->setGeometry(window_.tbVCR->rect());
    others_->Relayout();
    plTime_->raise();
    maps_->SetGeometry(window_.plMapBackground->geometry());
    for (PlaybackChannel* c : {&player_->Channel(0), &player_->Channel(1)})
        if (c->slot && c->slot->ready.load())
            RequestFitVideo(*c);
}

void Viewer::RedrawChart() { telemetry_->Redraw(); }

void Viewer::ApplyViewerState()
{
    const ViewerState state = LoadViewerState(ViewerStatePath());
    thresholds_ = state.events;
    telemetry_->SetThresholds(thresholds_);
    window_.miSpeedMph->setChecked(state.speedInMph);
    telemetry_->Display().SetSpeedInMph(state.speedInMph);
    connect(window_.miSpeedMph, &QAction::toggled, this, [this](bool mph) {
        telemetry_->Display().SetSpeedInMph(mph);
        // A failure is logged; the choice still holds for this run.
        (void)SaveStateValue(ViewerStatePath(), QStringLiteral("Units"), QStringLiteral("SpeedInMph"),
                             mph ? QStringLiteral("true") : QStringLiteral("false"));
    });
}

qint64 Viewer::LoadedDuration() const
{
    return player_->Current() ? player_->Current()->duration : 0;
}

void Viewer::CloseChannels()
{
    quitConfirmed_ = true;
    CloseChannel(player_->Channel(0));
    CloseChannel(player_->Channel(1));
}

void Viewer::PauseIfPlaying()
{
    if (player_->State() == PlayState::Playing)
        player_->Pause();
}

void Viewer::Shutdown()
{
    library_->Shutdown();
    ReleaseChannel(player_->Channel(0));
    ReleaseChannel(player_->Channel(1));
    EndLaunchedKernels(1500);
}

void Viewer::ConnectDisplays()
{
    // What each display needs, and where it comes from:
    //   PlaybackController::recordingLoaded    the chart is drawn, the route map starts
    //   PlaybackController::telemetryPosition  clock overlay, chart cursor, read-outs; the maps
    //   PlaybackController::playStateChanged   a stop shows "no fix"
    //   PlaybackController::playerReset        empty chart, "no fix" (telemetry), maps follow
    //   PlaybackController::seekEnabledChanged the chart takes presses or not
    //   RecordingLibrary::folderOpening        the maps prepare for a new folder
    connect(player_, &PlaybackController::recordingLoaded, this, [this](const LoadedRecording&) {
        PlaybackChannel& c = *player_->Current();
        telemetry_->DrawChart(c);
        maps_->StartRouteMap(RouteSource{&c.track, c.mediaPath, !c.lines.empty(), &c.currentSample});
    });
    connect(player_, &PlaybackController::telemetryPosition, telemetry_, &TelemetryHookup::ShowAt);
    // The route marker follows the sample played, once any fix has been seen.
    connect(player_, &PlaybackController::telemetryPosition, maps_, [this](const PlayPosition& at) {
        if (at.followMap && at.gpsSeen && at.sampleIndex && at.track)
            maps_->FollowPlayback(*at.track, *at.sampleIndex, true);
    });
    connect(player_, &PlaybackController::playStateChanged, this, [this](PlayState state) {
        if (state == PlayState::Stopped)
            telemetry_->ShowNoFix();
    });
    connect(player_, &PlaybackController::playerReset, this, [this](bool telemetry, bool) {
        if (!telemetry)
            return;
        telemetry_->DrawChart(*player_->Current());
        telemetry_->ShowNoFix();
    });
    connect(player_, &PlaybackController::seekEnabledChanged, telemetry_, &TelemetryHookup::SetChartEnabled);
    connect(library_, &RecordingLibrary::folderOpening, this, &Viewer::PrepareMapsForNewFolder);
    // A folder without recordings (the home folder of a start from the desktop menu, say) says
    // how to open a card instead of showing empty grids alone.
    connect(library_, &RecordingLibrary::passFinished, this, [this] {
        const RecordingCatalogue& c = library_->Catalogue();
        if (c.normalFiles.isEmpty() && c.eventFiles.isEmpty())
            window_.stSystem->showMessage(CatalogueText(keys::kNoRecordingsHint));
    });
    connect(library_, &RecordingLibrary::thumbnailsUnavailable, this,
            [this] { window_.stSystem->showMessage(CatalogueText(keys::kThumbnailsUnavailable)); });
}

// LibraryHost and PlayerHost

QWidget* Viewer::MainWindow() { return &window_; }
bool Viewer::ViewerIdle() const { return busy_.IsIdle(); }

void Viewer::SetViewerIdle(bool idle)
{
    if (idle)
        busy_.Clear(BusyReason::OpeningRecording);
    else
        busy_.Set(BusyReason::OpeningRecording);
}

void Viewer::StartProcessFinish() { busy_.ClearAfterSettling(BusyReason::OpeningRecording); }
void Viewer::ShowGroupSelectors(int group) { selectors_->Show(group); }
void Viewer::PrepareMapsForNewFolder() { maps_->PrepareMapsForNewFolder(); }

void Viewer::SetDataMenusEnabled(bool enabled)
{
    window_.miClean->setEnabled(enabled);
    window_.miBackup->setEnabled(enabled);
}

void Viewer::ShowInformation2(const QString& first, const QString& second)
{
    korvane::ShowInformation2(first, second);
}

bool Viewer::QuitConfirmed() const { return quitConfirmed_; }

void Viewer::ReportPlaybackFailed(const PlaybackChannel& channel)
{
    ShowMessageBox(QStringLiteral("Korvane"),
                   CatalogueText(keys::kPlaybackFailed) + QLatin1Char('\n') + QFileInfo(channel.mediaPath).fileName(),
                   BoxIcon::Warning);
}

void Viewer::ReportOpenFailed(const QString& caption, const QString& text)
{
    ShowMessageBox(caption, text, BoxIcon::Warning);
}

void Viewer::ReportPlaybackLost(const PlaybackChannel& channel)
{
    ShowMessageBox(QStringLiteral("Korvane"),
                   CatalogueText(keys::kPlaybackLost) + QLatin1Char(' ') + QFileInfo(channel.mediaPath).fileName(),
                   BoxIcon::Warning);
}

} // namespace korvane
