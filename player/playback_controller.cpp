#include "player/playback_controller.h"

#include <QAction>
#include <QDateTime>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <memory>

#include "library/recording_library.h"
#include "mp4parse/sample_index.h"
#include "player/cover_wait.h"
#include "player/partner_preparation.h"
#include "player/play_time.h"
#include "player/player_host.h"
#include "player/player_log.h"
#include "player/recording_opener.h"
#include "player/seek_bar.h"
#include "player/transport_bar.h"

namespace korvane {
namespace {
// How long a new panel keeps the previous recording's last frame over its own first pictures.
constexpr int kFrozenFrameHoldMs = 100;
} // namespace

PlaybackController::PlaybackController(PlayerHost& host, TransportBar& buttons, RecordingLibrary& library,
                                       QObject* parent)
    : QObject(parent), host_(host), buttons_(buttons), library_(library),
      opener_(new RecordingOpener(*this, library, host, this))
{
    partner_ = new PartnerPreparation(*this, library, *opener_, this);
    qRegisterMetaType<PlayState>();
    qRegisterMetaType<LoadedRecording>();
    qRegisterMetaType<PlayPosition>();
    channelA_.partner = &channelB_;
    channelB_.partner = &channelA_;
    channelB_.id = 1;
    linkA_ = std::make_unique<KernelLink>(channelA_);
    linkB_ = std::make_unique<KernelLink>(channelB_);
    for (PlaybackChannel* channel : {&channelA_, &channelB_}) {
        connect(channel->link, &KernelLink::answered, this, [this, channel] { KernelEvent(*channel); });
        connect(channel->link, &KernelLink::gone, this, [this, channel] { KernelEvent(*channel); });
    }
    tmWaitReady_.setSingleShot(true);
    tmSystem_.setInterval(50);
    tmSystem_.setSingleShot(true);
    connect(&tmWaitReady_, &QTimer::timeout, this, &PlaybackController::tmWaitReadyTimer);
    connect(&tmSystem_, &QTimer::timeout, this, &PlaybackController::tmSystemTimer);
    connect(buttons_.tbPlay, &TransportButton::clicked, this, &PlaybackController::Play);
    connect(buttons_.tbPause, &TransportButton::clicked, this, &PlaybackController::Pause);
    connect(buttons_.tbStop, &TransportButton::clicked, this, &PlaybackController::Stop);
}

void PlaybackController::SetUpChannels(const ChannelSetUp& a, const ChannelSetUp& b, const QString& launchFolder)
{
    SetUpChannel(channelA_, 0, a.panel, a.image, a.slot);
    SetUpChannel(channelB_, 1, b.panel, b.image, b.slot);
    for (PlaybackChannel* c : {&channelA_, &channelB_}) {
        c->launchFolder = launchFolder;
        c->callerName = QStringLiteral("Korvane");
    }
    channelA_.partner = &channelB_;
    channelB_.partner = &channelA_;
    currentChannel_ = &channelA_;
}

void PlaybackController::SetControls(TransportSituation situation)
{
    buttons_.Apply(ControlsFor(situation));
}

void PlaybackController::SetSeekEnabled(bool enabled)
{
    if (seekBar_)
        seekBar_->SetPartsEnabled(enabled);
    emit seekEnabledChanged(enabled);
}

void PlaybackController::StartWaitReady()
{
    waitStartedMs_ = QDateTime::currentMSecsSinceEpoch();
    stopWhenReady_ = false;
    ++openCount_;
    tmWaitReady_.start(waitReadyLimitMs_);
}

void PlaybackController::KernelEvent(PlaybackChannel& channel)
{
    if (tmWaitReady_.isActive() && &channel == currentChannel_)
        tmWaitReadyTimer();
}

void PlaybackController::tmWaitReadyTimer()
{
    // Called when the kernel answers, when it ends, and when the whole wait has passed.
    const bool limitReached = !tmWaitReady_.isActive();
    if (ReadDuration(*currentChannel_)) {
        tmWaitReady_.stop();
        StartPlayback();
        SetSeekEnabled(true);
        SetGridsReady(true);
        host_.SetViewerIdle(true);
        // A stop pressed while it was being opened applies to this recording.
        if (stopWhenReady_) {
            stopWhenReady_ = false;
            Stop();
        }
        return;
    }
    // A kernel that never becomes ready (a file it cannot play, a kernel that died) or a
    // channel released meanwhile: give up instead of polling for ever. A kernel whose build
    // failed says so in its slot, and one that died is gone: both are given up at once.
    const bool released = currentChannel_->slot && !currentChannel_->ref.IsValid();
    const bool failed = BuildError(*currentChannel_) != 0 || KernelGone(*currentChannel_);
    if (released || failed || limitReached ||
        QDateTime::currentMSecsSinceEpoch() - waitStartedMs_ > waitReadyLimitMs_) {
        tmWaitReady_.stop();
        GiveUpWaiting();
    }
}

void PlaybackController::GiveUpWaiting()
{
    const bool released = !currentChannel_->ref.IsValid();
    switchingToPrepared_ = false;
    const int32_t error = BuildError(*currentChannel_);
    if (released) {
        ReleaseChannel(*currentChannel_);
    } else {
        // Nothing of the previous recording stays: no frozen frame, no telemetry.
        opener_->ResetViewer(true, false, true, true, false);
        if (error)
            qCWarning(lcPlayer, "the kernel for %s could not build its graph: error 0x%04X",
                      qUtf8Printable(currentChannel_->mediaPath), error);
        else
            qCWarning(lcPlayer) << "the kernel for" << currentChannel_->mediaPath << "never became ready";
        host_.ReportPlaybackFailed(*currentChannel_);
    }
    selected_ = RecordingRef{};
    SetPlayState(PlayState::Stopped);
    SetControls(TransportSituation::NothingLoaded);
    SetGridsReady(true);
    host_.SetViewerIdle(true);
}

void PlaybackController::PlaybackLost()
{
    tmSystem_.stop();
    PlaybackChannel& lost = *currentChannel_;
    qCWarning(lcPlayer) << "the kernel playing" << lost.mediaPath << "has gone";
    // The same reset as before a new recording is opened: both channels released, pictures and
    // displays back to empty, nothing loaded.
    opener_->ResetViewer(true, false, true, true, false);
    // The panel would keep the dead kernel's last picture: the empty video area shows instead.
    if (lost.panel)
        lost.panel->hide();
    selected_ = RecordingRef{};
    SetPlayState(PlayState::Stopped);
    SetSeekEnabled(false);
    SetGridsReady(true);
    host_.SetViewerIdle(true);
    host_.ReportPlaybackLost(lost);
}

void PlaybackController::StartPlayback()
{
    PlaybackChannel& current = *currentChannel_;
    // The new panel goes up over the old one, which still shows the frozen last frame; the
    // new panel keeps those pixels until its kernel draws. A kernel launched at the switch also
    // gets the frozen frame in the new panel's own image, over its drawing, until it has drawn
    // its first pictures.
    QLabel* frozen = current.partner->image;
    const bool switching = frozen && frozen->isVisibleTo(frozen->parentWidget()) && current.image;
    if (switching) {
        // At a switch the kernel starts at once, and the request is confirmed once the new panel
        // is up, so that the main thread does not wait on it before showing the panel.
        PostRequest(current, RequestedState::Run);
        QTimer::singleShot(kFrozenFrameHoldMs, this, [this, channel = &current] {
            // Asked again only when the graph does not report running by then.
            if (currentChannel_ == channel && playState_ == PlayState::Playing && channel->slot &&
                channel->slot->graphState.load() != ToSlot(GraphState::Running))
                RequestPlay(*channel);
        });
    } else {
        RequestPlay(current);
    }
    // A prepared partner needs no cover: its kernel has built its graph and holds its first
    // frame, which it draws again as soon as its panel is up. Until then the panel, which has no
    // background of its own, keeps the frozen frame that was on screen.
    const bool prepared = switchingToPrepared_;
    switchingToPrepared_ = false;
    if (current.image) {
        if (switching && !prepared) {
            current.image->setPixmap(frozen->pixmap());
            current.image->setGeometry(frozen->geometry());
            current.image->show();
            HideCoverWhenDrawn(current, kFrozenFrameHoldMs);
        } else {
            current.image->hide();
        }
    }
    if (current.panel) {
        current.panel->show();
        current.panel->raise();
    }
    if (current.partner->panel)
        current.partner->panel->hide();
    if (plTime_)
        plTime_->raise();
    SetGridsReady(true);
    durationTenths_ = korvane::DurationTenths(current.durationSeconds);
    if (seekBar_)
        seekBar_->SetMaxValue(durationTenths_);
    LoadedRecording loaded;
    loaded.ref = current.ref;
    loaded.channelId = current.id;
    loaded.track = &current.track;
    loaded.lines.reserve(static_cast<qsizetype>(current.lines.size()));
    for (const std::string& line : current.lines)
        loaded.lines << QString::fromStdString(line);
    loaded.durationTenths = durationTenths_;
    loaded.mp4Path = current.mediaPath;
    emit recordingLoaded(loaded);
    ReleaseChannel(*current.partner);
    if (plTime_)
        plTime_->setVisible(miTime_ && miTime_->isChecked());
    SetControls(TransportSituation::Playing);
    tmSystem_.start();
    SetPlayState(PlayState::Playing);
    emit playbackStarted(current.id);
}

void PlaybackController::HideCoverWhenDrawn(PlaybackChannel& channel, int holdMs)
{
    // The cover goes once it has stood `holdMs` and the kernel has been running for a frame's
    // time, so that its own picture is on screen; a timer alone is too short on a busy machine.
    // A player that no longer plays this channel (paused, stopped, switched on) has the kernel's
    // still frame drawn on expose, and the cover goes at the hold time.
    CoverWait::Start(channel.image, channel.link, channel.slot, holdMs, [this, channel = &channel] {
        return currentChannel_ == channel && playState_ == PlayState::Playing;
    });
}

void PlaybackController::Play()
{
    // The player shows the new state at once; the kernel's answer comes on the event loop. A
    // kernel that has gone is reported; one that does not confirm within the request's budget
    // leaves the player as it was before the click.
    const PlayState before = playState_;
    PlaybackChannel* channel = currentChannel_;
    ShowPlaying();
    RequestPlay(*channel, [this, channel, before](bool confirmed) { RequestEnded(*channel, confirmed, before); });
}

void PlaybackController::Pause()
{
    const PlayState before = playState_;
    PlaybackChannel* channel = currentChannel_;
    ShowPaused();
    RequestPause(*channel, [this, channel, before](bool confirmed) { RequestEnded(*channel, confirmed, before); });
}

void PlaybackController::ShowPlaying()
{
    if (!selected_.IsValid() && currentChannel_->ref.IsValid()) {
        library_.HighlightRecording(currentChannel_->ref, true);
        selected_ = currentChannel_->ref;
    }
    SetControls(TransportSituation::Playing);
    SetSeekEnabled(true);
    SetPlayState(PlayState::Playing);
    tmSystem_.start();
}

void PlaybackController::ShowPaused()
{
    tmSystem_.stop();
    SetControls(TransportSituation::Paused);
    SetSeekEnabled(true);
    SetPlayState(PlayState::Paused);
}

void PlaybackController::RequestEnded(PlaybackChannel& channel, bool confirmed, PlayState before)
{
    if (confirmed || &channel != currentChannel_ || !channel.ref.IsValid())
        return;
    if (KernelGone(channel)) {
        PlaybackLost();
        return;
    }
    qCWarning(lcPlayer) << "the kernel playing" << channel.mediaPath << "did not take the request";
    if (before == PlayState::Playing)
        ShowPlaying();
    else if (before == PlayState::Paused)
        ShowPaused();
    else {
        tmSystem_.stop();
        SetControls(TransportSituation::Stopped);
        SetPlayState(PlayState::Stopped);
    }
}

void PlaybackController::Stop()
{
    partner_->Release();
    buttons_.tbStop_On->show();
    buttons_.tbPause_On->hide();
    buttons_.tbPlay_On->hide();
    // While a recording is being opened (a continuous-play switch) its kernel cannot take the
    // request yet: the stop is carried out once it is ready.
    if (tmWaitReady_.isActive())
        stopWhenReady_ = true;
    RequestStop(*currentChannel_);
    tmSystem_.stop();
    buttons_.tbPlay->setEnabled(true);
    buttons_.tbStop->setEnabled(false);
    buttons_.tbPause->setEnabled(false);
    if (currentChannel_->ref.IsValid()) {
        playState_ = PlayState::Stopped;
        SetSeekEnabled(true);
        ShowTelemetryAt(0, true, !host_.QuitConfirmed(), true, true);
    }
    // The displays show "no fix" on every stop.
    emit playStateChanged(playState_);
}

void PlaybackController::SetPlayState(PlayState state)
{
    playState_ = state;
    emit playStateChanged(state);
}

void PlaybackController::ShowTelemetryAt(std::int64_t tenths, bool seek, bool cursor, bool g, bool map)
{
    if (seek && seekBar_)
        seekBar_->SetPosition(static_cast<int>(tenths));
    const PlaybackChannel& c = *currentChannel_;
    PlayPosition at;
    at.tenths = tenths;
    at.track = &c.track;
    at.lines = &c.lines;
    at.sampleIndex = SampleIndexAt(tenths, c.lines.size(), durationTenths_, c.track);
    if (at.sampleIndex && static_cast<std::size_t>(*at.sampleIndex) < c.track.samples.size())
        at.sample = c.track.samples[static_cast<std::size_t>(*at.sampleIndex)];
    at.gpsSeen = opener_->GpsSeen();
    at.moveSeekThumb = seek;
    at.moveCursor = cursor;
    at.showG = g;
    at.followMap = map;
    emit telemetryPosition(at);
}

void PlaybackController::ResetTelemetry(bool followMap)
{
    PlaybackChannel& c = *currentChannel_;
    ClearChannelTelemetry(c);
    c.duration = 0;
    c.durationSeconds = 0;
    ShowTelemetryAt(0, true, true, true, followMap);
}

void PlaybackController::ClearChannelTelemetry(PlaybackChannel& channel)
{
    channel.track.Clear();
    channel.lines.clear();
    channel.currentSample = TelemetrySample{};
}

void PlaybackController::tmSystemTimer()
{
    // The tick does nothing while a seek is being released.
    if (seekBar_ && seekBar_->tmMouseUp.isActive()) {
        tmSystem_.start();
        return;
    }
    tmSystem_.stop();
    PlaybackChannel& current = *currentChannel_;
    if (KernelGone(current)) {
        PlaybackLost();
        return;
    }
    const std::int64_t tenths = PositionTenths(ReadPosition(current));
    ShowTelemetryAt(tenths, true, true, true, true);
    if (!ReachedEnd(current.durationSeconds, tenths) || !host_.ViewerIdle()) {
        if (host_.ViewerIdle())
            partner_->Tick(tenths);
        tmSystem_.start();
        return;
    }
    SetSeekEnabled(false);
    SetGridsReady(false);
    const RecordingRef next = library_.NextRecording(current.ref);
    const bool prepared = continuousPlay_ && partner_->PreparedFor(next);
    if (!prepared) {
        partner_->Release();
        current.partner->ref = next;
    }
    if (!next.IsValid() || !continuousPlay_) {
        EndOfPlayback();
        SetGridsReady(true);
        SetSeekEnabled(true);
        emit recordingEnded();
        return;
    }
    FreezeFrame(current.panel, current.image);
    ReleaseChannel(current);
    currentChannel_ = current.partner;
    PlaybackChannel& incoming = *currentChannel_;
    if (!prepared)
        ClearChannelTelemetry(incoming);
    library_.HighlightRecording(next, true);
    SetSeekEnabled(false);
    host_.SetViewerIdle(false);
    emit recordingEnded();
    if (prepared) {
        // The partner holds the next recording with its telemetry loaded and its kernel
        // launched: it only has to be shown and started once its kernel is ready.
        partner_->Taken();
        switchingToPrepared_ = true;
        ShowTimePanelPerMenu();
        incoming.currentSample = TelemetrySample{};
        StartWaitReady();
        // A partner that is ready already starts in this same pass, before anything is drawn.
        tmWaitReadyTimer();
        return;
    }
    if (!opener_->OpenRecording(next))
        host_.SetViewerIdle(true);
}

void PlaybackController::EndOfPlayback()
{
    if (continuousPlay_) {
        library_.ClearHighlight();
        library_.SetFileBarsToTop();
    }
    SetControls(TransportSituation::Stopped);
    selected_ = RecordingRef{};
    Stop();
}

void PlaybackController::SetGridsReady(bool ready)
{
    library_.SetGridsReady(ready);
}

void PlaybackController::FreezeFrame(QWidget* panel, QLabel* image)
{
    if (!panel || !image)
        return;
    // The panel shows another process's video: read its pixels off the screen and keep them in
    // the image that fills the panel, so the last frame stays while the next kernel starts.
    QScreen* screen = panel->screen() ? panel->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QPixmap frame = screen->grabWindow(panel->winId(), 0, 0, panel->width(), panel->height());
    if (frame.isNull())
        return;
    CoverWait::StopAll(image);
    image->setPixmap(frame);
    image->setGeometry(0, 0, panel->width(), panel->height());
    image->show();
    image->raise();
}

void PlaybackController::SetContinuousPlay(bool checked)
{
    continuousPlay_ = checked;
    if (!checked)
        partner_->Release();
}

void PlaybackController::miTimeClick(bool checked)
{
    if (plTime_)
        plTime_->setVisible(checked);
}

void PlaybackController::ShowTimePanelPerMenu()
{
    if (plTime_)
        plTime_->setVisible(miTime_ && miTime_->isChecked());
}

void PlaybackController::ResetVideo()
{
    // Both channels go: a partner prepared ahead goes with them, its kernel ended if it lingers.
    partner_->Release();
    for (PlaybackChannel* c : {&channelA_, &channelB_})
        if (c->image)
            c->image->hide();
    if (videoArea_)
        videoArea_->show();
    ReleaseChannel(channelA_);
    ReleaseChannel(channelB_);
    // The panels have no background of their own: with no kernel drawing, they would keep the
    // last frame (and whatever a menu or dialog left over it). Hidden, the black video area
    // shows and repaints itself; the next playback shows its panel again.
    for (PlaybackChannel* c : {&channelA_, &channelB_})
        if (c->panel)
            c->panel->hide();
    if (plTime_)
        plTime_->hide();
}

} // namespace korvane
