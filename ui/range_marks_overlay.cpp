// The In and Out marks over a widget; see range_marks_overlay.h.
#include "ui/range_marks_overlay.h"

#include <QEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace korvane {
namespace {
const QColor kInColor(40, 200, 90);
const QColor kOutColor(230, 70, 50);
const QColor kBandColor(255, 210, 0, 70);
} // namespace

int RangeMarkX(double fraction, int width, int inset, double span)
{
    const double usable = std::max(0, width - 2 * inset) * std::clamp(span, 0.0, 1.0);
    return inset + int(std::lround(std::clamp(fraction, 0.0, 1.0) * usable));
}

RangeMarksOverlay::RangeMarksOverlay(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("RangeMarks"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    parent->installEventFilter(this);
    setGeometry(parent->rect());
    hide();
}

void RangeMarksOverlay::SetMarks(std::optional<double> in, std::optional<double> out)
{
    in_ = in;
    out_ = out;
    setVisible(in_ || out_);
    raise();
    update();
}

void RangeMarksOverlay::SetGeometryRule(int inset, double span)
{
    inset_ = inset;
    span_ = span;
    update();
}

bool RangeMarksOverlay::eventFilter(QObject* watched, QEvent* event)
{
    // The parent's own children (a moving thumb) may be raised above us; stay on top.
    if (watched == parent() && (event->type() == QEvent::Resize || event->type() == QEvent::ChildAdded)) {
        setGeometry(parentWidget()->rect());
        raise();
    }
    return QWidget::eventFilter(watched, event);
}

void RangeMarksOverlay::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const int w = width(), h = height();
    const int inX = in_ ? RangeMarkX(*in_, w, inset_, span_) : RangeMarkX(0, w, inset_, span_);
    const int outX = out_ ? RangeMarkX(*out_, w, inset_, span_) : RangeMarkX(1, w, inset_, span_);
    if (outX > inX)
        p.fillRect(QRect(inX, 0, outX - inX, h), kBandColor);
    const int flag = std::max(3, h / 4);
    auto line = [&](int x, const QColor& color, int direction) {
        p.fillRect(QRect(x - 1, 0, 2, h), color);
        // A small flag pointing into the range.
        const QPoint tip(x + direction * flag, flag / 2);
        const QPolygon poly({QPoint(x, 0), QPoint(x, flag), tip});
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPolygon(poly);
    };
    if (in_)
        line(inX, kInColor, 1);
    if (out_)
        line(outX, kOutColor, -1);
}

} // namespace korvane
