#include "player/seek_bar.h"

#include "core/busy_state.h"
#include "player/play_time.h"
#include "player/partner_preparation.h"
#include "player/playback_controller.h"

namespace korvane {

SeekBar::SeekBar(SkinScrollBarWidget& bar, PlaybackController& player, const BusyState& busy, QObject* parent)
    : QObject(parent), bar_(bar), player_(player), busy_(busy)
{
    tmMouseMove.setInterval(1);
    tmMouseUp.setInterval(50);
    tmMouseUp.setSingleShot(true);
    connect(&tmMouseMove, &QTimer::timeout, this, &SeekBar::tmMouseMoveTimer);
    connect(&tmMouseUp, &QTimer::timeout, this, &SeekBar::tmMouseUpTimer);
    // The bar's parts report every mouse message; a press or move goes to the seek logic with
    // the surface it came from, a release or double click starts the release.
    auto surfaceOf = [](BarPart part) {
        return part == BarPart::Thumb ? SeekThumb : part == BarPart::Fill ? SeekFill : SeekTrack;
    };
    connect(&bar_, &SkinScrollBarWidget::partPressed, this,
            [this, surfaceOf](BarPart part, int at, Qt::MouseButtons buttons) { SeekPress(surfaceOf(part), buttons, at); });
    connect(&bar_, &SkinScrollBarWidget::partMoved, this,
            [this](BarPart, int at, Qt::MouseButtons buttons) { SeekMove(buttons, at); });
    connect(&bar_, &SkinScrollBarWidget::partReleased, this, &SeekBar::PartReleased);
    connect(&bar_, &SkinScrollBarWidget::partDoubleClicked, this, &SeekBar::PartReleased);
    bar_.Bar().maxValue = 10;
}

void SeekBar::SetMaxValue(int durationTenths)
{
    bar_.Bar().maxValue = durationTenths;
    bar_.Relayout();
}

void SeekBar::SetPartsEnabled(bool enabled)
{
    for (QWidget* part : {static_cast<QWidget*>(bar_.Thumb()), static_cast<QWidget*>(bar_.Fill()),
                          static_cast<QWidget*>(bar_.Track())})
        if (part)
            part->setEnabled(enabled);
}

int SeekBar::ChartPositionOf(int x) const
{
    return ChartPosition(x, chart_.width, chart_.samples, player_.DurationTenths());
}

bool SeekBar::ChartPress(Qt::MouseButtons buttons, int x, ChartSpan span)
{
    chart_ = span;
    return SeekPress(SeekChart, buttons, x);
}

bool SeekBar::ChartMove(Qt::MouseButtons buttons, int x, ChartSpan span)
{
    chart_ = span;
    return SeekMove(buttons, x);
}

bool SeekBar::PressStillCurrent() const
{
    return busy_.IsIdle() && player_.Current()->ref == pressedFor_;
}

void SeekBar::RequestSeekToBar()
{
    // The bar's position belongs to the recording of the press: once continuous play has moved
    // on, sending it would cut the new recording short.
    if (!PressStillCurrent())
        return;
    // A partner prepared for the end of the recording goes; the tick prepares it again.
    player_.Partner().Release();
    if (bar_.Bar().position >= 0)
        RequestSeek(*player_.Current(), SeekTarget(bar_.Bar().position));
}

bool SeekBar::SeekPress(SeekSurface surface, Qt::MouseButtons buttons, int x)
{
    if (!(buttons & Qt::LeftButton) || (buttons & Qt::RightButton) || !player_.Current()->ref.IsValid() ||
        !busy_.IsIdle() || tmMouseUp.isActive())
        return false;
    if (seekDragging)
        return true;
    player_.StopTick();
    seekDragging = true;
    emit draggingChanged(true);
    pressedFor_ = player_.Current()->ref;
    tmMouseUp.stop();
    SkinScrollBar& b = bar_.Bar();
    switch (surface) {
    case SeekThumb:
        b.dragging = true;
        b.backward = false;
        b.grabOffset = x;
        bar_.DragTo(x);
        break;
    case SeekFill:
    case SeekTrack:
        b.dragging = true;
        b.backward = false;
        b.grabOffset = b.thumb.left();
        bar_.DragTo(x);
        b.grabOffset = x;
        break;
    case SeekChart:
        bar_.SetPosition(ChartPositionOf(x) + 1);
        break;
    case SeekNone:
        break;
    }
    RequestPause(*player_.Current());
    player_.ShowTelemetryAt(b.position, true, true, true, true);
    seekMoveTicks = 0;
    tmMouseMove.start();
    seekSource = surface;
    return true;
}

void SeekBar::tmMouseMoveTimer()
{
    const int taken = seekMoveTicks++;
    if (taken <= 0)
        return;
    tmMouseMove.stop();
    if (!PressStillCurrent())
        return;
    RequestSeekToBar();
    RequestPause(*player_.Current());
}

bool SeekBar::SeekMove(Qt::MouseButtons buttons, int x)
{
    if (!seekDragging || !(buttons & Qt::LeftButton) || tmMouseUp.isActive())
        return false;
    tmMouseMove.stop();
    SkinScrollBar& b = bar_.Bar();
    switch (seekSource) {
    case SeekFill:
    case SeekTrack:
        b.grabOffset = b.thumb.left();
        bar_.DragTo(x);
        b.grabOffset = x;
        player_.ShowTelemetryAt(b.position, false, true, true, true);
        break;
    case SeekThumb:
        b.backward = true;
        bar_.DragTo(x);
        player_.ShowTelemetryAt(b.position, false, true, true, true);
        break;
    case SeekChart:
        bar_.SetPosition(ChartPositionOf(x));
        player_.ShowTelemetryAt(b.position, true, true, true, true);
        break;
    default:
        break;
    }
    RequestSeekToBar();
    return true;
}

void SeekBar::tmMouseUpTimer()
{
    tmMouseUp.stop();
    tmMouseMove.stop();
    const bool pressed = seekDragging;
    seekSource = SeekNone;
    seekDragging = false;
    bar_.Bar().dragging = false;
    emit draggingChanged(false);
    // During a switch to the next recording, or after one ended the press, the state belongs to
    // the incoming recording: its start sets it and restarts the tick.
    const bool switching = !busy_.IsIdle();
    if (switching || (pressed && player_.Current()->ref != pressedFor_))
        return;
    switch (player_.State()) {
    case PlayState::Playing:
        RequestPlay(*player_.Current());
        player_.StartTick();
        break;
    case PlayState::Paused:
        RequestPause(*player_.Current());
        break;
    default:
        break;
    }
}

void SeekBar::PartReleased(BarPart part)
{
    if (part == BarPart::Thumb)
        bar_.Bar().dragging = false;
    tmMouseUp.start();
}

} // namespace korvane
