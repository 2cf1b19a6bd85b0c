#include "library/recordings_pane.h"

#include <QScrollBar>
#include <QWheelEvent>

namespace korvane {

FileGroupView::FileGroupView(int group, QWidget* pane, int& sharedRepeatCounter, double scale)
    : QObject(pane), group_(group), repeatCounter_(sharedRepeatCounter), scrollBox_(new QScrollArea(pane)),
      grid_(new ThumbnailGrid), bar_(new SkinScrollBarWidget(true, false, pane))
{
    // Named as the window layout names them, which places them and rounds the bar's track.
    const QString suffix = group == 1 ? QStringLiteral("_Normal") : QStringLiteral("_Event");
    scrollBox_->setObjectName(QStringLiteral("sbFile") + suffix);
    bar_->setObjectName(QStringLiteral("tbFile_Back") + suffix);
    scrollBox_->setFrameShape(QFrame::NoFrame);
    // Rows move only through the bar and the wheel; no key scrolls the box by pixels.
    scrollBox_->setFocusPolicy(Qt::NoFocus);
    scrollBox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollBox_->setWidgetResizable(true);
    scrollBox_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette pal = scrollBox_->palette();
    pal.setColor(QPalette::Window, Qt::black);
    scrollBox_->setPalette(pal);
    BuildThumbnailGrid(*grid_, group, kGridRows, scale);
    scrollBox_->setWidget(grid_);
    // The wheel hook: every wheel message over the grid (its cells included) moves one row.
    scrollBox_->viewport()->installEventFilter(this);
    scrollBox_->installEventFilter(this);

    bar_->SetDisplayScale(scale);
    bar_->Init();
    trackTimer_.setSingleShot(true);
    trackTimer_.setInterval(50);
    connect(&trackTimer_, &QTimer::timeout, this, &FileGroupView::tmBmpTrackTimer);
    connect(bar_, &SkinScrollBarWidget::thumbPressed, this, &FileGroupView::tbFileThumbMouseDown);
    connect(bar_, &SkinScrollBarWidget::thumbMoved, this, &FileGroupView::tbFileThumbMouseMove);
    connect(bar_, &SkinScrollBarWidget::thumbReleased, this, &FileGroupView::tbFileThumbMouseUp);
    connect(bar_, &SkinScrollBarWidget::trackPressed, this, &FileGroupView::tbFileBackMouseDown);
    connect(bar_, &SkinScrollBarWidget::trackReleased, this, &FileGroupView::tbFileBackMouseUp);
}

void FileGroupView::ScrollToPosition()
{
    scrollBox_->verticalScrollBar()->setValue(grid_->Geometry().cellHeight * Bar().position);
}

void FileGroupView::SetPositionAndScroll(int position)
{
    bar_->SetPosition(position);
    ScrollToPosition();
}

void FileGroupView::UpdateForShownCount(int shownCount)
{
    const int rows = (shownCount + kGridColumns - 1) / kGridColumns;
    if (rows >= 3) {
        bar_->SetTrackColor(Qt::black);
        bar_->SetThumbVisible(true);
        bar_->SetRange(rows - 1);
    } else {
        bar_->SetRange(0);
    }
}

void FileGroupView::HideBar()
{
    bar_->SetTrackColor(Qt::white);
    bar_->SetThumbVisible(false);
}

void FileGroupView::Wheel(int delta)
{
    Bar().WheelStep(delta);
    bar_->Apply();
    ScrollToPosition();
}

void FileGroupView::tbFileThumbMouseDown(int y)
{
    Bar().dragging = true;
    Bar().grabOffset = y;
}

void FileGroupView::tbFileThumbMouseMove(int y)
{
    if (!Bar().dragging)
        return;
    bar_->DragTo(y);
    ScrollToPosition();
}

void FileGroupView::tbFileThumbMouseUp() { Bar().dragging = false; }

void FileGroupView::tbFileBackMouseDown(int y)
{
    repeatCounter_ = 0;
    Bar().PressTrack(y);
    trackTimer_.start();
}

void FileGroupView::tbFileBackMouseUp() { trackTimer_.stop(); }

void FileGroupView::tmBmpTrackTimer()
{
    trackTimer_.stop();
    bool restart = false;
    if (Bar().TrackTick(repeatCounter_, restart)) {
        bar_->Apply();
        ScrollToPosition();
    }
    if (restart)
        trackTimer_.start();
}

bool FileGroupView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Wheel) {
        auto* we = static_cast<QWheelEvent*>(event);
        int delta = we->angleDelta().y();
        if (delta == 0)
            delta = we->pixelDelta().y();
        Wheel(delta);
        return true;  // consumed: the scroll box never scrolls by pixels
    }
    return QObject::eventFilter(watched, event);
}

RecordingsPane::RecordingsPane(double scale, QWidget* parent)
    : QWidget(parent), scale_(scale), normal_(new FileGroupView(1, this, repeatCounter_, scale)),
      event_(new FileGroupView(0, this, repeatCounter_, scale))
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);
    resize(PreferredSize());
    ShowGroup(1);
}

QSize RecordingsPane::PreferredSize() const
{
    const CellGeometry& g = normal_->Grid()->Geometry();
    return QSize(3 * g.cellWidth + 10, 2 * g.cellHeight + 5);
}

void RecordingsPane::ShowGroup(int group)
{
    if (group != 0 && group != 1)
        return;
    normal_->ScrollBox()->setVisible(group == 1);
    normal_->BarWidget()->setVisible(group == 1);
    event_->ScrollBox()->setVisible(group == 0);
    event_->BarWidget()->setVisible(group == 0);
}

void RecordingsPane::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int barWidth = int(18 * scale_);
    for (FileGroupView* v : {normal_, event_}) {
        v->ScrollBox()->setGeometry(0, 0, width(), height());
        v->BarWidget()->setGeometry(width() - barWidth, 0, barWidth, height());
        v->BarWidget()->raise();
        v->ScrollToPosition();
    }
}

} // namespace korvane
