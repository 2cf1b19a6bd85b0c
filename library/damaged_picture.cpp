#include "library/damaged_picture.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>

namespace korvane {
namespace {
const QColor kBackground(48, 30, 30);
const QColor kFilm(150, 150, 150);
const QColor kWarning(255, 190, 0);

// The film frame: an outline with sprocket holes along its upper and lower edges.
void DrawFilm(QPainter& p, const QRectF& r)
{
    p.setPen(QPen(kFilm, qMax(1.0, r.height() / 30)));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
    const double hole = r.height() / 10;
    p.setPen(Qt::NoPen);
    p.setBrush(kFilm);
    for (double x = r.left() + hole; x + hole < r.right(); x += 2 * hole) {
        p.drawRect(QRectF(x, r.top() + hole / 2, hole, hole));
        p.drawRect(QRectF(x, r.bottom() - 1.5 * hole, hole, hole));
    }
}

// A jagged tear from the top of the frame to its bottom, in the background colour.
void DrawTear(QPainter& p, const QRectF& r)
{
    QPolygonF tear;
    const int steps = 6;
    for (int i = 0; i <= steps; ++i) {
        const double y = r.top() - 2 + (r.height() + 4) * i / steps;
        const double x = r.center().x() + ((i % 2) ? 1 : -1) * r.width() / 14;
        tear << QPointF(x, y);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kBackground, qMax(2.0, r.width() / 18)));
    p.drawPolyline(tear);
}

// A warning triangle with an exclamation mark, centred on `c`, `size` high.
void DrawWarning(QPainter& p, const QPointF& c, double size)
{
    const QPolygonF triangle({QPointF(c.x(), c.y() - size / 2), QPointF(c.x() + size * 0.58, c.y() + size / 2),
                              QPointF(c.x() - size * 0.58, c.y() + size / 2)});
    p.setPen(QPen(Qt::black, qMax(1.0, size / 14), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(kWarning);
    p.drawPolygon(triangle);
    p.setPen(QPen(Qt::black, qMax(2.0, size / 9), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(c.x(), c.y() - size / 5), QPointF(c.x(), c.y() + size / 8));
    p.drawPoint(QPointF(c.x(), c.y() + size / 3));
}
} // namespace

void DrawDamagedPicture(QPainter& canvas, const QRect& area)
{
    if (area.width() < 4 || area.height() < 4)
        return;
    canvas.save();
    canvas.setRenderHint(QPainter::Antialiasing, true);
    canvas.fillRect(area, kBackground);
    const QRectF film = QRectF(area).adjusted(area.width() * 0.14, area.height() * 0.12, -area.width() * 0.14,
                                              -area.height() * 0.12);
    DrawFilm(canvas, film);
    DrawTear(canvas, film);
    DrawWarning(canvas, film.center(), film.height() * 0.62);
    canvas.restore();
}

void DrawRepairedMark(QPainter& canvas, const QRect& area)
{
    const int d = std::max(8, std::min(area.width(), area.height()) / 3);
    const QRect disc(area.right() - d - 1, area.top() + 2, d, d);
    canvas.save();
    canvas.setRenderHint(QPainter::Antialiasing, true);
    canvas.setPen(Qt::NoPen);
    canvas.setBrush(kRepairedMarkColour);
    canvas.drawEllipse(disc);
    QPen tick(Qt::white, std::max(1.5, d / 7.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    canvas.setPen(tick);
    canvas.setBrush(Qt::NoBrush);
    const QPointF points[] = {{disc.left() + d * 0.25, disc.top() + d * 0.52},
                              {disc.left() + d * 0.43, disc.top() + d * 0.70},
                              {disc.left() + d * 0.76, disc.top() + d * 0.32}};
    canvas.drawPolyline(points, 3);
    canvas.restore();
}

} // namespace korvane
