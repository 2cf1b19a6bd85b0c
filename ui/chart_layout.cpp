// The inside of the chart strip plCurve: axis labels, the plotting area plImage, the speed
// read-out and the GPS box. The time labels follow the loaded recording's length.
#include <QStringList>
#include <algorithm>

#include "ui/layout_builder.h"

namespace korvane::layout_detail {
namespace {
QString N(const char* name) { return QString::fromLatin1(name); }

// Left edge and width of the plotting area for a display percentage and the usable width R.
QRect PlotColumns(int percent, int r, double scale)
{
    switch (percent) {
    case 120: return QRect(55, 0, r, 0);
    case 125: return QRect(60, 0, r - 8, 0);
    case 140: return QRect(65, 0, r - 10, 0);
    case 150: return QRect(Trunc(35 + 35 * scale), 0, r - 20, 0);
    case 160: return QRect(75, 0, r - 30, 0);
    case 175: return QRect(80, 0, r - 30, 0);
    default: return QRect(45, 0, r, 0);
    }
}
} // namespace

void LayoutChart(Builder& b, const LayoutInput& in, double s)
{
    const QString curveName = N("plCurve");
    const QRect curve = b.Rect(curveName);
    const int n = ChartColumns(in.duration);
    b.result().chartColumns = n;
    auto timeLabel = [&](const QString& text) { return in.TimeLabelSize(text); };
    auto timeName = [](int i) { return QStringLiteral("lbT%1").arg(i, 2, 10, QLatin1Char('0')); };

    // Time labels along the bottom edge of the strip.
    const QSize zero = timeLabel(QStringLiteral(" 0"));
    const int timeT = curve.height() - 5 - zero.height();

    // G labels at the left edge and speed labels at the right, five rows up from the time row.
    const double a = timeT - zero.height();
    const int k = timeT - in.clockLabel.height();
    const double q = 0.25 * k;
    const char* gNames[] = {"lb000", "lb025", "lb050", "lb075", "lb100"};
    const char* speedNames[] = {"lbSP00", "lbSP20", "lbSP40", "lbSP60", "lbSP80"};
    const int speedL = Trunc(curve.width() - in.speedTopLabel.width() - 145 * s + 20);
    int rowT[5];
    for (int row = 0; row < 5; ++row) {
        rowT[row] = Trunc(a - row * q + 5);
        b.Place(N(gNames[row]), curveName, QRect(QPoint(0, rowT[row]), in.gLabel), Sets::Position);
        b.Place(N(speedNames[row]), curveName, QRect(QPoint(speedL, rowT[row]), in.speedTopLabel), Sets::Position);
    }

    // The plotting area between the two label columns.
    const int r = Trunc(speedL - 35 - 30 * s);
    const double step = static_cast<double>(r) / n;
    QRect plot = PlotColumns(in.scalePercent, r, s);
    plot.setTop(Trunc(rowT[4] + 0.5 * in.gLabel.height() + 2));
    plot.setHeight(k);
    b.Place(N("plImage"), curveName, plot);
    b.Place(N("imgCurve"), N("plImage"), QRect(0, 0, 5 * r, 5 * k - 100));

    // " 0" under the plot's left edge, then one label per column, the last with its unit.
    b.Place(timeName(0), curveName, QRect(QPoint(Trunc(plot.left() + 0.4 * in.lbT05Width), timeT), zero), Sets::Position)
        .visible = true;
    for (int i = 1; i <= 6; ++i) {
        const bool shown = i <= n;
        const QString text = i < n ? QString::number(10 * i) : QStringLiteral("%1s").arg(10 * i);
        const QSize size = timeLabel(text);
        const QRect rect(QPoint(Trunc(plot.left() + step * i - 0.4 * size.width()), timeT), size);
        ControlPlacement& p = b.Place(timeName(i), curveName, shown ? rect : QRect(QPoint(0, timeT), size),
                                      Sets::Position);
        p.visible = shown;
        if (shown)
            p.text = text;
    }

    // Speed read-out at the right end, the unit under its right edge.
    const QRect kmh(QPoint(curve.width() - 10 - in.kmhLabel.width(), rowT[2] + 5), in.kmhLabel);
    b.Place(N("lbKmh"), curveName, kmh, Sets::Position).text = QStringLiteral(" km/h");
    const QRect speed(QPoint(kmh.left() - in.speedLabel.width(), kmh.bottom() + 1 + 10 - in.speedLabel.height()),
                      in.speedLabel);
    b.Place(N("lbSpeed"), curveName, speed, Sets::Position).text = QStringLiteral("  -");

    // GPS box under the read-out: the fixed picture, and the fix and no-fix panels beside it.
    const QRect gpsImage(0, 0, Trunc(60 * s), Trunc(31 * s));
    const QRect status(gpsImage.width() - 10, 2, Trunc(60 * s), Trunc(36 * s));
    // The box's own size is free: it holds both panels, but never reaches past the strip.
    const int gpsL = Trunc(speed.left() - 10 * s);
    const QRect gps(gpsL, kmh.bottom() + 1 + 1, std::min(status.right() + 1, curve.width() - gpsL),
                    std::max(gpsImage.bottom(), status.bottom()) + 1);
    b.Place(N("plGPS"), curveName, gps);
    b.Place(N("imgGPS"), N("plGPS"), gpsImage);
    b.Place(N("plGPS_NO"), N("plGPS"), status);
    b.Place(N("plGPS_YES"), N("plGPS"), status);
    b.Place(N("imgNoSignal"), N("plGPS_NO"), QRect(0, 0, status.width(), status.height()));
    b.Place(N("imgGPS_SYMBOL"), N("plGPS_YES"), QRect(0, 0, status.width(), status.height()));

    // Clock times of the first and last sample above the plot's two ends.
    b.Place(N("lbTM_START"), curveName, QRect(QPoint(plot.left(), -2), in.clockLabel), Sets::Position);
    b.Place(N("lbTM_END"), curveName,
            QRect(QPoint(plot.width() + plot.left() - in.clockLabel.width(), -2), in.clockLabel), Sets::Position);
}

} // namespace korvane::layout_detail
