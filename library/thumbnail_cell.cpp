#include "library/thumbnail_cell.h"
#include "library/cell_layout.h"
#include "library/damaged_picture.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

namespace korvane {
namespace {
const QColor kFrameGrey(93, 93, 93);  // the window's panel grey

void SetColors(QWidget* w, const QColor& background, const QColor& text)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, background);
    pal.setColor(QPalette::WindowText, text);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

// Where the picture goes inside a canvas of width w and height h: above the caption band.
QRect PictureArea(int w, int h)
{
    return QRect(QPoint(2, 2), QPoint(w - 4, int(kPictureHeightShare * h) - 1));
}

QPixmap EmptyCanvas(int w, int h)
{
    QPixmap pm(qMax(1, w), qMax(1, h));
    pm.fill(Qt::black);
    QPainter p(&pm);
    DrawCellFrame(p, w, h);
    return pm;
}
} // namespace

void DrawCellFrame(QPainter& canvas, int w, int h)
{
    canvas.save();
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setBrush(Qt::SolidPattern);
    canvas.setPen(QPen(Qt::black, 3));
    for (int y = 0; y <= 10; ++y) {
        canvas.drawLine(0, y, int(11 - 1.5 * y), y);
        canvas.drawLine(int(w - 13 + 1.5 * y), y, w - 1, y);
    }
    canvas.setBrush(Qt::black);
    const int band = int(kPictureHeightShare * h);
    canvas.drawRect(QRect(QPoint(0, band), QPoint(w - 1, h - 1)));
    canvas.setBrush(Qt::NoBrush);
    canvas.setPen(QPen(kFrameGrey, 3));
    canvas.drawRoundedRect(QRectF(QPointF(1, 1), QPointF(w - 1, h - 2)), 12.5, 12.5);
    canvas.restore();
}

ThumbnailCell::ThumbnailCell(int group, int index, QWidget* parent)
    : QFrame(parent), group_(group), index_(index), image_(new QLabel(this)), caption_(new QLabel(this))
{
    setFrameShape(QFrame::NoFrame);
    SetColors(this, Qt::black, Qt::black);
    image_->setScaledContents(false);
    caption_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QFont f = caption_->font();
    f.setPointSize(8);
    caption_->setFont(f);
    SetColors(caption_, Qt::black, Qt::white);
    caption_->installEventFilter(this);
}

bool ThumbnailCell::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == caption_ && event->type() == QEvent::MouseButtonDblClick) {
        emit doubleClicked(this);
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

ThumbnailCell* ThumbnailCell::CellOf(QWidget* control)
{
    if (!control)
        return nullptr;
    if (auto* cell = qobject_cast<ThumbnailCell*>(control))
        return cell;
    if (auto* cell = qobject_cast<ThumbnailCell*>(control->parentWidget()))
        if (control == cell->image_ || control == cell->caption_)
            return cell;
    return nullptr;
}

void ThumbnailCell::ApplyGeometry(const QRect& image, const QRect& caption)
{
    image_->setGeometry(image);
    caption_->setGeometry(caption);
    image_->setPixmap(EmptyCanvas(image.width(), image.height()));
}

void ThumbnailCell::ShowRecording(const QString& name, const QString& bmpPath, const QString& caption)
{
    fileName_ = name;
    damaged_ = false;
    repaired_ = false;
    ShowCanvas(PictureCanvas(bmpPath, false), caption);
}

void ThumbnailCell::ShowDamaged(const QString& name, const QString& caption)
{
    fileName_ = name;
    damaged_ = true;
    repaired_ = false;
    const int w = image_->width(), h = image_->height();
    QPixmap canvas = EmptyCanvas(w, h);
    {
        QPainter p(&canvas);
        DrawDamagedPicture(p, PictureArea(w, h));
        DrawCellFrame(p, w, h);
    }
    ShowCanvas(canvas, caption);
}

void ThumbnailCell::ShowRepaired(const QString& bmpPath)
{
    if (!damaged_)
        return;
    repaired_ = true;
    ShowCanvas(PictureCanvas(bmpPath, true), caption_->text());
}

QPixmap ThumbnailCell::PictureCanvas(const QString& bmpPath, bool repairedMark) const
{
    const int w = image_->width(), h = image_->height();
    QPixmap canvas = EmptyCanvas(w, h);
    QPainter p(&canvas);
    const QImage picture(bmpPath);
    if (!picture.isNull())
        p.drawImage(PictureArea(w, h), picture);
    if (repairedMark)
        DrawRepairedMark(p, PictureArea(w, h));
    DrawCellFrame(p, w, h);
    return canvas;
}

void ThumbnailCell::ShowCanvas(const QPixmap& canvas, const QString& caption)
{
    image_->setPixmap(canvas);
    QString text = caption;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    caption_->setText(text);
    show();
    image_->show();
    caption_->show();
}

void ThumbnailCell::Clear()
{
    damaged_ = false;
    repaired_ = false;
    SetCaptionColor(Qt::white);
    hide();
    image_->hide();
    caption_->hide();
    for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(image_), static_cast<QWidget*>(caption_)})
        w->setCursor(Qt::BusyCursor);
}

void ThumbnailCell::SetCaptionColor(const QColor& color)
{
    QPalette pal = caption_->palette();
    pal.setColor(QPalette::WindowText, color);
    caption_->setPalette(pal);
}

QColor ThumbnailCell::CaptionColor() const
{
    return caption_->palette().color(QPalette::WindowText);
}

void ThumbnailCell::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    if (ready_)
        emit doubleClicked(this);
}

} // namespace korvane
