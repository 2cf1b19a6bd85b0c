#pragma once
// The arithmetic of the skinned scroll bar: four plain panels (container, track, optional fill,
// thumb) turned into a scroll bar. Used vertically beside the two thumbnail grids (one value per
// grid row) and horizontally as the player's seek bar. This record holds the geometry in
// container coordinates; SkinScrollBarWidget applies it to real panels.
#include <QRect>
#include <QSize>

namespace korvane {

struct SkinScrollBar {
    int orientation = 1;      // 1 = vertical, anything else = horizontal
    bool backward = false;    // the last track press was before (above or left of) the thumb
    bool dragging = false;    // the thumb is being dragged
    int grabOffset = 0;       // mouse coordinate inside the thumb at the press, or the track press point
    int maxValue = 10;
    int minValue = 0;
    int trackStart = 0;       // smallest thumb coordinate
    int trackEnd = 10;        // largest thumb coordinate
    int position = 0;

    // Geometry, container coordinates.
    QSize container;
    QRect track;
    QRect fill;               // only with hasFill
    bool hasFill = false;
    QRect thumb;
    double scale = 1.0;       // display scale, for the thumb's rounded corners
    int thumbCorner = 0;      // corner ellipse diameter of the thumb's rounded region; 0 = none

    bool Vertical() const { return orientation == 1; }

    void Init();
    void Relayout();
    void SetPosition(int value);
    void SetRange(int count);   // vertical bars
    void DragTo(int mouse);     // mouse coordinate inside the thumb, along the bar

    // A press on the track at coordinate `at` (container coordinates, along the bar).
    void PressTrack(int at);
    // One tick of the hold-to-repeat timer. `repeatCounter` is the counter shared by the
    // presses (reset to 0 by each press). Returns true when the bar moved (the view follows);
    // `restart` tells whether the press point is still beyond the thumb.
    bool TrackTick(int& repeatCounter, bool& restart);
    // One wheel message over the bar's grid: a positive delta moves one row up, a negative
    // one row down, zero moves nothing. The view then scrolls to the position in every case.
    void WheelStep(int delta);

private:
    void PlaceThumbForPosition();
    void PlaceFill();
};

} // namespace korvane
