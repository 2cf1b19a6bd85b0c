#pragma once
// The thumbnail area of the main window: for each group a scroll box holding its grid and a
// skinned vertical bar beside it that scrolls by whole rows. Only one group is visible at a
// time. The pane lays out its children itself; the window places the pane (its preferred size
// is 3 cell widths + 10 by 2 cell heights + 5).
#include "library/skin_scroll_bar_widget.h"
#include "library/thumbnail_grid.h"

#include <QObject>
#include <QScrollArea>
#include <QTimer>
#include <QWidget>

namespace korvane {

// One group's scroll box, grid, bar and hold-to-repeat timer, with the bar's mouse handling
// and the wheel rule (one row per wheel message).
class FileGroupView : public QObject {
    Q_OBJECT
public:
    FileGroupView(int group, QWidget* pane, int& sharedRepeatCounter, double scale);

    int Group() const { return group_; }
    QScrollArea* ScrollBox() const { return scrollBox_; }
    ThumbnailGrid* Grid() const { return grid_; }
    SkinScrollBarWidget* BarWidget() const { return bar_; }
    SkinScrollBar& Bar() { return bar_->Bar(); }
    QTimer& TrackTimer() { return trackTimer_; }

    // Scrolls the scroll box to cellHeight x the bar's position.
    void ScrollToPosition();
    // SetPosition on the bar, then scroll the box there.
    void SetPositionAndScroll(int position);
    // After a step of the thumbnail pass: with three rows or more the track turns black, the
    // thumb shows and the range is rows - 1; else the range is 0.
    void UpdateForShownCount(int shownCount);
    // Empty bar as a new folder starts: white track, hidden thumb.
    void HideBar();
    // Handles one wheel message (what the wheel hook does for this grid).
    void Wheel(int delta);

    // The bar's mouse handlers.
    void tbFileThumbMouseDown(int y);
    void tbFileThumbMouseMove(int y);
    void tbFileThumbMouseUp();
    void tbFileBackMouseDown(int y);
    void tbFileBackMouseUp();
    void tmBmpTrackTimer();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int group_;
    int& repeatCounter_;
    QScrollArea* scrollBox_;
    ThumbnailGrid* grid_;
    SkinScrollBarWidget* bar_;
    QTimer trackTimer_;
};

class RecordingsPane : public QWidget {
    Q_OBJECT
public:
    explicit RecordingsPane(double scale, QWidget* parent = nullptr);

    FileGroupView& Normal() { return *normal_; }
    FileGroupView& Event() { return *event_; }
    FileGroupView& View(int group) { return group == 1 ? *normal_ : *event_; }
    double Scale() const { return scale_; }
    int CellHeight() const { return normal_->Grid()->Geometry().cellHeight; }
    QSize PreferredSize() const;
    // Makes one group's scroll box and bar visible (1 Normal, 0 Event).
    void ShowGroup(int group);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    double scale_;
    int repeatCounter_ = 0;
    FileGroupView* normal_;
    FileGroupView* event_;
};

} // namespace korvane
