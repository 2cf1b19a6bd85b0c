#include "library/skin_scroll_bar_widget.h"

#include <QMouseEvent>
#include <QPainterPath>
#include <QRegion>

namespace korvane {
namespace {
void Paint(QWidget* w, const QColor& c)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, c);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}
} // namespace

SkinScrollBarWidget::SkinScrollBarWidget(bool vertical, bool withFill, QWidget* parent)
    : QFrame(parent), track_(new QFrame(this)), thumb_(new QFrame(this))
{
    bar_.orientation = vertical ? 1 : 0;
    bar_.hasFill = withFill;
    if (withFill) {
        fill_ = new QFrame(this);
        fill_->stackUnder(thumb_);
        fill_->installEventFilter(this);
    }
    Paint(this, Qt::black);
    Paint(track_, QColor(74, 74, 74));
    Paint(thumb_, Qt::white);
    track_->installEventFilter(this);
    thumb_->installEventFilter(this);
    bar_.container = size();
}

void SkinScrollBarWidget::SetTrackColor(const QColor& color) { Paint(track_, color); }
void SkinScrollBarWidget::SetFillColor(const QColor& color)
{
    if (fill_)
        Paint(fill_, color);
}
void SkinScrollBarWidget::SetThumbVisible(bool visible) { thumb_->setVisible(visible); }

void SkinScrollBarWidget::Apply()
{
    track_->setGeometry(bar_.track);
    if (fill_)
        fill_->setGeometry(QRect(bar_.fill.left(), bar_.track.top(), qMax(0, bar_.fill.width()), bar_.track.height()));
    thumb_->setGeometry(bar_.thumb);
    if (bar_.thumbCorner > 0 && (bar_.thumbCorner != maskedCorner_ || bar_.thumb.size() != maskedSize_)) {
        QPainterPath path;
        const qreal r = bar_.thumbCorner / 2.0;
        path.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(bar_.thumb.size())), r, r);
        thumb_->setMask(QRegion(path.toFillPolygon().toPolygon()));
        maskedCorner_ = bar_.thumbCorner;
        maskedSize_ = bar_.thumb.size();
    }
}

void SkinScrollBarWidget::Init()
{
    bar_.container = size();
    bar_.Init();
    if (bar_.Vertical())
        bar_.track = QRect(0, 0, width(), height());
    Paint(thumb_, Qt::white);
    Apply();
}

void SkinScrollBarWidget::Relayout()
{
    bar_.container = size();
    bar_.Relayout();
    Apply();
}

void SkinScrollBarWidget::SetPosition(int value)
{
    bar_.SetPosition(value);
    Apply();
}

void SkinScrollBarWidget::SetRange(int count)
{
    bar_.container = size();
    bar_.SetRange(count);
    Apply();
}

void SkinScrollBarWidget::DragTo(int mouse)
{
    bar_.DragTo(mouse);
    Apply();
}

void SkinScrollBarWidget::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    bar_.container = size();
    if (bar_.Vertical())
        bar_.track = QRect(0, 0, width(), height());
    bar_.Relayout();
    Apply();
}

bool SkinScrollBarWidget::eventFilter(QObject* watched, QEvent* event)
{
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick)
        return QFrame::eventFilter(watched, event);
    auto* me = static_cast<QMouseEvent*>(event);
    const QPoint local = me->position().toPoint();
    const int along = bar_.Vertical() ? local.y() : local.x();
    if (watched == thumb_ || watched == track_ || (fill_ && watched == fill_)) {
        const BarPart part = watched == thumb_ ? BarPart::Thumb : watched == fill_ ? BarPart::Fill : BarPart::Track;
        const QPoint inContainer = static_cast<QWidget*>(watched)->mapToParent(local);
        const int at = part == BarPart::Thumb ? along : bar_.Vertical() ? inContainer.y() : inContainer.x();
        if (type == QEvent::MouseButtonPress)
            emit partPressed(part, at, me->buttons());
        else if (type == QEvent::MouseMove)
            emit partMoved(part, at, me->buttons());
        else if (type == QEvent::MouseButtonRelease)
            emit partReleased(part);
        else
            emit partDoubleClicked(part);
    }
    if (watched == thumb_) {
        if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) && me->button() == Qt::LeftButton)
            emit thumbPressed(along);
        else if (type == QEvent::MouseMove)
            emit thumbMoved(along);
        else if (type == QEvent::MouseButtonRelease && me->button() == Qt::LeftButton)
            emit thumbReleased();
        return true;
    }
    if (watched == track_ || watched == fill_) {
        const QPoint inContainer = static_cast<QWidget*>(watched)->mapToParent(local);
        const int at = bar_.Vertical() ? inContainer.y() : inContainer.x();
        if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) && me->button() == Qt::LeftButton)
            emit trackPressed(at);
        else if (type == QEvent::MouseButtonRelease && me->button() == Qt::LeftButton)
            emit trackReleased();
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace korvane
