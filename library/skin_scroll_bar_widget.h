#pragma once
// The skinned scroll bar on real panels: this widget is the container; it owns the track, the
// optional fill and the thumb, applies the geometry of its SkinScrollBar record after every
// operation and reports presses, moves and releases on the thumb and the track. What a press
// does (scroll a grid, seek) is up to the owner.
//
// Vertical bars (the grids' bars) keep their track filling the container; for a horizontal bar
// (the seek bar) the owner sets the track height and calls Relayout.
#include "library/skin_scroll_bar.h"

#include <QFrame>

namespace korvane {

enum class BarPart { Thumb, Fill, Track };

class SkinScrollBarWidget : public QFrame {
    Q_OBJECT
public:
    SkinScrollBarWidget(bool vertical, bool withFill, QWidget* parent = nullptr);

    SkinScrollBar& Bar() { return bar_; }
    const SkinScrollBar& Bar() const { return bar_; }
    QFrame* Track() const { return track_; }
    QFrame* Fill() const { return fill_; }
    QFrame* Thumb() const { return thumb_; }

    void SetDisplayScale(double scale) { bar_.scale = scale; }
    void SetTrackColor(const QColor& color);
    void SetFillColor(const QColor& color);
    void SetThumbVisible(bool visible);

    // The record's operations, each followed by moving the panels.
    void Init();
    void Relayout();
    void SetPosition(int value);
    void SetRange(int count);
    void DragTo(int mouse);
    // Moves the panels to the record's geometry (after direct changes to the record).
    void Apply();

signals:
    // Coordinates along the bar: inside the thumb for the thumb signals, in the container for
    // the track press.
    void thumbPressed(int at);
    void thumbMoved(int at);
    void thumbReleased();
    void trackPressed(int at);
    void trackReleased();
    // Every mouse message of a part, whatever its buttons (`buttons` held after the message);
    // `at` as above (the fill reports like the track). A double click is reported as such.
    void partPressed(korvane::BarPart part, int at, Qt::MouseButtons buttons);
    void partMoved(korvane::BarPart part, int at, Qt::MouseButtons buttons);
    void partReleased(korvane::BarPart part);
    void partDoubleClicked(korvane::BarPart part);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    SkinScrollBar bar_;
    QFrame* track_;
    QFrame* fill_ = nullptr;
    QFrame* thumb_;
    int maskedCorner_ = -1;
    QSize maskedSize_;
};

} // namespace korvane

Q_DECLARE_METATYPE(korvane::BarPart)
