// The chart's thin painter; see chart_painter.h.
#include "telemetry_view/chart_painter.h"

#include <QPainter>

namespace korvane {

QColor PenColour(ChartPen pen)
{
    switch (pen) {
    case ChartPen::Grid:
    case ChartPen::GridDotted:
        return chart_colours::kGrid;
    case ChartPen::SpeedFix:
        return chart_colours::kSpeedFix;
    case ChartPen::SpeedNoFix:
        return chart_colours::kSpeedNoFix;
    case ChartPen::GForce:
        return chart_colours::kGForce;
    }
    return chart_colours::kGrid;
}

QColor MarkerColour(EventKind kind)
{
    return kind == EventKind::HardBraking ? chart_colours::kSpeedFix : chart_colours::kGForce;
}

namespace {

void DrawMarkers(QPainter& painter, const std::vector<ChartMarker>& markers)
{
    for (const ChartMarker& m : markers) {
        const QColor colour = MarkerColour(m.event.kind);
        painter.setPen(QPen(colour, 1));
        painter.setBrush(colour);
        const QPoint tip(m.x, kMarkerHeight);
        painter.drawPolygon(QPolygon({QPoint(m.x - kMarkerHalfWidth, 1), QPoint(m.x + kMarkerHalfWidth, 1), tip}));
    }
    painter.setBrush(Qt::NoBrush);
}

QPen PenFor(ChartPen pen)
{
    const bool curve = pen == ChartPen::SpeedFix || pen == ChartPen::SpeedNoFix || pen == ChartPen::GForce;
    QPen p(PenColour(pen), curve ? 2 : 1, pen == ChartPen::GridDotted ? Qt::DotLine : Qt::SolidLine,
           curve ? Qt::RoundCap : Qt::FlatCap, Qt::RoundJoin);
    return p;
}

void DrawSegments(QPainter& painter, const std::vector<ChartSegment>& segments)
{
    // Consecutive segments of one pen form one polyline, so their joins are drawn once.
    std::size_t i = 0;
    while (i < segments.size()) {
        const ChartPen pen = segments[i].pen;
        QPolygon line;
        line << segments[i].from;
        std::size_t j = i;
        while (j < segments.size() && segments[j].pen == pen && segments[j].from == line.last()) {
            line << segments[j].to;
            ++j;
        }
        painter.setPen(PenFor(pen));
        painter.drawPolyline(line);
        i = j;
    }
}

} // namespace

void PaintChart(const ChartDrawing& d, QImage& image)
{
    if (d.width <= 0 || d.height <= 0)
        return;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setClipRect(0, 0, d.width, d.height);
    // The border covers the first and the last column and row, the black fill the rest.
    painter.fillRect(0, 0, d.width, d.height, chart_colours::kBackground);
    painter.setPen(QPen(chart_colours::kGrid, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, d.width - 1, d.height - 1);
    DrawSegments(painter, d.grid);
    DrawSegments(painter, d.speed);
    DrawSegments(painter, d.gLine);
    DrawMarkers(painter, d.markers);
}

QImage RenderChart(const ChartDrawing& d)
{
    QImage image(std::max(d.width, 1), std::max(d.height, 1), QImage::Format_RGB32);
    image.fill(chart_colours::kBackground);
    PaintChart(d, image);
    return image;
}

} // namespace korvane
