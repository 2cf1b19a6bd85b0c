// Painted GPS pictures; see gps_pictures.h.
#include "telemetry_view/gps_pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace korvane {
namespace {

const QColor kStrip(93, 93, 93);
const QColor kBadge(40, 40, 40);
const QColor kLightBlue(170, 215, 240);
const QColor kFixBlue(64, 213, 240);
const QColor kRed(230, 30, 30);

QPixmap Blank(QSize size, const QColor& colour)
{
    QPixmap p(size.expandedTo(QSize(1, 1)));
    p.fill(colour);
    return p;
}

} // namespace

QPixmap PaintGpsBadge(QSize size)
{
    QPixmap p = Blank(size, kStrip);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(p.rect()).adjusted(1, 1, -1, -1);
    g.setPen(QPen(kLightBlue, 1));
    g.setBrush(kBadge);
    g.drawRoundedRect(r, r.height() / 4, r.height() / 4);
    return p;
}

QPixmap PaintGpsSymbol(QSize size)
{
    QPixmap p = Blank(size, kStrip);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    const double s = std::min(size.width(), size.height());
    const QPointF centre(size.width() / 2.0, size.height() * 0.62);
    // A receiver with three waves above it.
    g.setPen(Qt::NoPen);
    g.setBrush(kFixBlue);
    g.drawEllipse(centre, s * 0.09, s * 0.09);
    g.setBrush(Qt::NoBrush);
    for (int i = 1; i <= 3; ++i) {
        const double radius = s * (0.12 + 0.13 * i);
        g.setPen(QPen(kFixBlue, std::max(1.5, s * 0.06), Qt::SolidLine, Qt::RoundCap));
        g.drawArc(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), 45 * 16, 90 * 16);
    }
    g.setPen(QPen(kFixBlue, std::max(1.5, s * 0.06), Qt::SolidLine, Qt::RoundCap));
    g.drawLine(centre, QPointF(centre.x(), size.height() - 2));
    return p;
}

QPixmap PaintNoSignal(QSize size)
{
    QPixmap p = Blank(size, kStrip);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(p.rect()).adjusted(1, 1, -1, -1);
    g.setPen(QPen(kRed, 1.5));
    g.setBrush(kBadge);
    g.drawRoundedRect(r, r.height() / 5, r.height() / 5);
    return p;
}

} // namespace korvane
