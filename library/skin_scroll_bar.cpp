#include "library/skin_scroll_bar.h"

#include <algorithm>
#include <cmath>

namespace korvane {
namespace {
int Ceil(double v) { return static_cast<int>(std::ceil(v)); }
int Trunc(double v) { return static_cast<int>(v); }
int Clamp(int v, int lo, int hi) { return std::max(lo, std::min(v, hi)); }
} // namespace

void SkinScrollBar::Init()
{
    if (Vertical()) {
        track = QRect(0, 1, container.width() - 20, container.height() + 2);
        thumb.moveLeft(track.left());
        thumb.setWidth(track.width());
    } else {
        track.moveTop(0);
        track = QRect(10, track.top(), container.width() - 20, track.height());
        fill.moveLeft(track.left());
    }
    thumb.moveTop(track.top());
    dragging = false;
    grabOffset = 0;
    trackStart = 0;
    trackEnd = 10;
    minValue = 0;
    maxValue = 10;
    position = 0;
}

void SkinScrollBar::Relayout()
{
    if (Vertical()) {
        track.setLeft(1);
        track.setWidth(container.width() - track.left());
        thumb.setWidth(track.width());
        trackStart = track.top();
        trackEnd = track.top() + track.height() - thumb.height();
    } else {
        track = QRect(10, track.top(), container.width() - 20, track.height());
        fill.moveLeft(10);
        trackStart = track.left();
        trackEnd = track.left() + track.width() - thumb.width();
        thumb.setHeight(track.height());
        thumb.moveTop(track.top());
    }
    SetPosition(position);
}

void SkinScrollBar::PlaceFill()
{
    if (hasFill)
        fill.setWidth(thumb.left() - track.left() + thumb.width() / 2);
}

void SkinScrollBar::PlaceThumbForPosition()
{
    const int span = trackEnd - trackStart;
    const int range = maxValue - minValue;
    if (Vertical()) {
        const int offset = range == 0 ? 0 : Ceil(double(position) * span / range);
        thumb.moveTop(track.top() + offset);
    } else {
        const int offset = range == 0 ? 0 : Trunc(double(position) * span / range);
        thumb.moveLeft(track.left() + offset);
        PlaceFill();
    }
}

void SkinScrollBar::SetPosition(int value)
{
    position = std::max(minValue, std::min(value, maxValue));
    PlaceThumbForPosition();
}

void SkinScrollBar::SetRange(int count)
{
    maxValue = count;
    if (count >= 1) {
        thumb.setHeight(std::max(container.height() / count, 25));
        thumbCorner = Trunc(scale * 12);
    } else {
        thumb.setHeight(container.height());
    }
    Relayout();
}

void SkinScrollBar::DragTo(int mouse)
{
    const int span = trackEnd - trackStart;
    const int range = maxValue - minValue;
    if (Vertical()) {
        if (maxValue <= 0)
            return;
        const int top = Clamp(thumb.top() + mouse - grabOffset, trackStart, trackEnd);
        thumb.moveTop(top);
        position = span <= 0 ? minValue : Trunc(Ceil(double(range) * (top - trackStart) / span));
    } else {
        const int left = Clamp(thumb.left() + mouse - grabOffset, trackStart, trackEnd);
        thumb.moveLeft(left);
        PlaceFill();
        position = span <= 0 ? minValue : Trunc(double(range) * (left - trackStart) / span);
    }
}

void SkinScrollBar::PressTrack(int at)
{
    const int thumbStart = Vertical() ? thumb.top() : thumb.left();
    backward = thumbStart > at;
    grabOffset = at;
}

bool SkinScrollBar::TrackTick(int& repeatCounter, bool& restart)
{
    position += backward ? -1 : 1;  // not clamped: held-back rows are taken over later
    const int taken = repeatCounter++;
    const bool moved = taken == 0 || taken >= 10;
    if (moved)
        SetPosition(position);
    const int thumbStart = Vertical() ? thumb.top() : thumb.left();
    const int thumbLength = Vertical() ? thumb.height() : thumb.width();
    restart = backward ? grabOffset <= thumbStart : grabOffset >= thumbStart + thumbLength;
    return moved;
}

void SkinScrollBar::WheelStep(int delta)
{
    const int range = maxValue - minValue;
    if (delta > 0 && position > 0) {
        position = std::max(minValue, std::min(position - 1, maxValue));
    } else if (delta < 0 && position < maxValue) {
        position = std::max(position + 1, minValue);
    } else {
        return;
    }
    const int offset = range == 0 ? 0 : Ceil(double(position) * (trackEnd - trackStart) / range);
    thumb.moveTop(track.top() + offset);
}

} // namespace korvane
