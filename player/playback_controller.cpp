#include "player/playback_controller.h"

#include <QAction>
#include <QDateTime>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include "player/play_time.h"
#include "player/player_host.h"
#include "player/seek_bar.h"
#include "player/transport_bar.h"

namespace korvane {
namespace {
// How long a new panel keeps the previous recording's last frame over its own first pictures.
constexpr int kFrozenFrameHoldMs = 100;
} // namespace

PlaybackController::PlaybackController(PlayerHost& host, TransportBar& buttons, QObject* parent)
    : QObject(parent), host_(host), buttons_(buttons)
{
    channelA.partner = &channelB;
    channelB.partner = &channelA;
    channelB.id = 1;
    tmWaitReady.setInterval(1);
    tmWaitReady.setSingleShot(true);
    tmSystem.setInterval(50);
    tmSystem.setSingleShot(true);
    connect(&tmWaitReady, &QTimer::timeout, this, &PlaybackController::tmWaitReadyTimer);
    connect(&tmSystem, &QTimer::timeout, this, &PlaybackController::tmSystemTimer);
    connect(buttons_.tbPlay, &TransportButton::clicked, this, &PlaybackController::tbPlayClick);
    connect(buttons_.tbPause, &TransportButton::clicked, this, &PlaybackController::tbPauseClick);
    connect(buttons_.tbStop, &TransportButton::clicked, this, &PlaybackController::tbStopClick);
}

void PlaybackController::SetControls(TransportSituation situation)
{
    buttons_.Apply(ControlsFor(situation));
}

void PlaybackController::SetSeekEnabled(bool enabled)
{
    if (seekBar_)
        seekBar_->SetPartsEnabled(enabled);
    host_.SetChartEnabled(enabled);
}

void PlaybackController::StartWaitReady()
{
    waitStartedMs_ = QDateTime::currentMSecsSinceEpoch();
    ++openCount;
    tmWaitReady.start();
}

void PlaybackController::tmWaitReadyTimer()
{
    tmWaitReady.stop();
    if (ReadDuration(*currentChannel)) {
        StartPlayback();
        SetSeekEnabled(true);
        SetGridsReady(true);
        host_.SetViewerIdle(true);
        return;
    }
    // A kernel that never becomes ready (a file it cannot play, a kernel that died) or a
    // channel released meanwhile: give up instead of polling for ever.
    const bool released = currentChannel->slot && currentChannel->cell == nullptr;
    if (released || QDateTime::currentMSecsSinceEpoch() - waitStartedMs_ > waitReadyLimitMs) {
        GiveUpWaiting();
        return;
    }
    tmWaitReady.start();
}

void PlaybackController::GiveUpWaiting()
{
    const bool released = currentChannel->cell == nullptr;
    ReleaseChannel(*currentChannel);
    if (!released)
        host_.ReportPlaybackFailed(*currentChannel);
    selectedCell = nullptr;
    playState = 0;
    SetControls(TransportSituation::NothingLoaded);
    SetGridsReady(true);
    host_.SetViewerIdle(true);
}

void PlaybackController::StartPlayback()
{
    PlaybackChannel& current = *currentChannel;
    RequestPlay(current);
    // The new panel goes up over the old one, which still shows the frozen last frame; the
    // new panel keeps those pixels until its kernel draws.
    // During a switch the new panel first shows the frozen frame too, in its own image over the
    // kernel's drawing, until the kernel has drawn its first pictures.
    QLabel* frozen = current.partner->image;
    const bool switching = frozen && frozen->isVisibleTo(frozen->parentWidget()) && current.image;
    if (current.image) {
        if (switching) {
            current.image->setPixmap(frozen->pixmap());
            current.image->setGeometry(frozen->geometry());
            current.image->show();
            QTimer::singleShot(kFrozenFrameHoldMs, current.image, [image = current.image] { image->hide(); });
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
    durationTenths = DurationTenths(current.durationSeconds);
    if (seekBar_)
        seekBar_->SetMaxValue(durationTenths);
    host_.DrawChart(current);
    ReleaseChannel(*current.partner);
    if (plTime_)
        plTime_->setVisible(miTime_ && miTime_->isChecked());
    host_.StartRouteMap();
    SetControls(TransportSituation::Playing);
    tmSystem.start();
    playState = 2;
    emit playbackStarted(current.id);
}

void PlaybackController::tbPlayClick()
{
    if (!RequestPlay(*currentChannel))
        return;
    if (!selectedCell && currentChannel->cell) {
        host_.HighlightCell(currentChannel->cell, true);
        selectedCell = currentChannel->cell;
    }
    SetControls(TransportSituation::Playing);
    SetSeekEnabled(true);
    playState = 2;
    tmSystem.start();
}

void PlaybackController::tbPauseClick()
{
    tmSystem.stop();
    if (!RequestPause(*currentChannel))
        return;
    SetControls(TransportSituation::Paused);
    SetSeekEnabled(true);
    playState = 1;
}

void PlaybackController::tbStopClick()
{
    buttons_.tbStop_On->show();
    buttons_.tbPause_On->hide();
    buttons_.tbPlay_On->hide();
    RequestStop(*currentChannel);
    tmSystem.stop();
    buttons_.tbPlay->setEnabled(true);
    buttons_.tbStop->setEnabled(false);
    buttons_.tbPause->setEnabled(false);
    if (currentChannel->cell) {
        playState = 0;
        SetSeekEnabled(true);
        ShowTelemetryAt(0, true, !host_.QuitConfirmed(), true, true);
    }
    host_.ShowNoFix();
}

void PlaybackController::ShowTelemetryAt(std::int64_t tenths, bool seek, bool cursor, bool g, bool map)
{
    if (seek && seekBar_)
        seekBar_->SetPosition(static_cast<int>(tenths));
    host_.ShowReadoutsAt(tenths, cursor, g, map);
}

void PlaybackController::tmSystemTimer()
{
    if (seekReleasing && seekReleasing()) {
        tmSystem.start();
        return;
    }
    tmSystem.stop();
    PlaybackChannel& current = *currentChannel;
    const std::int64_t tenths = PositionTenths(ReadPosition(current));
    ShowTelemetryAt(tenths, true, true, true, true);
    if (!ReachedEnd(current.durationSeconds, tenths) || !host_.ViewerIdle()) {
        tmSystem.start();
        return;
    }
    SetSeekEnabled(false);
    SetGridsReady(false);
    ThumbnailCell* next = host_.NextCell(current.cell);
    current.partner->cell = next;
    if (!next || !continuousPlay) {
        EndOfPlayback();
        SetGridsReady(true);
        SetSeekEnabled(true);
        emit recordingEnded();
        return;
    }
    FreezeFrame(current.panel, current.image);
    ReleaseChannel(current);
    currentChannel = current.partner;
    PlaybackChannel& incoming = *currentChannel;
    host_.ClearChannelTelemetry(incoming);
    host_.HighlightCell(next, true);
    SetSeekEnabled(false);
    pendingCell = next;
    host_.SetViewerIdle(false);
    emit recordingEnded();
    if (!host_.OpenRecordingFromCell(pendingCell))
        host_.SetViewerIdle(true);
}

void PlaybackController::EndOfPlayback()
{
    if (continuousPlay) {
        host_.ClearHighlight();
        host_.SetFileBarsToTop();
    }
    SetControls(TransportSituation::Stopped);
    selectedCell = nullptr;
    tbStopClick();
}

void PlaybackController::SetGridsReady(bool ready)
{
    host_.SetCellsReady(ready);
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
    image->setPixmap(frame);
    image->setGeometry(0, 0, panel->width(), panel->height());
    image->show();
    image->raise();
}

void PlaybackController::miContinueClick(bool checked)
{
    continuousPlay = checked;
}

void PlaybackController::miTimeClick(bool checked)
{
    if (plTime_)
        plTime_->setVisible(checked);
}

} // namespace korvane
