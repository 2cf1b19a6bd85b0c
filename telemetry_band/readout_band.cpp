// The read-out band of an exported clip; see readout_band.h.
#include "telemetry_band/readout_band.h"

#include <QFont>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "mp4parse/telemetry_events.h"

namespace korvane {

BandValues BandValuesOf(const TelemetrySample& sample, bool mph)
{
    BandValues v;
    v.clock = QString::fromStdString(sample.dateTime);
    v.mph = mph;
    if (sample.speedKmh != NoSpeed && std::isfinite(sample.speedKmh) && sample.speedKmh >= 0)
        v.speedKmh = sample.speedKmh;
    if (sample.fixValid && std::isfinite(sample.latitude) && std::isfinite(sample.longitude) &&
        std::abs(sample.latitude) <= 90 && std::abs(sample.longitude) <= 180) {
        v.latitude = sample.latitude;
        v.longitude = sample.longitude;
    }
    if (!sample.gText.empty() && std::isfinite(sample.gForce))
        v.g = sample.gForce;
    return v;
}

QStringList BandTexts(const BandValues& values)
{
    QStringList texts;
    texts << (values.clock.isEmpty() ? QStringLiteral("--/--/-- --:--:--") : values.clock);
    if (values.speedKmh)
        texts << QStringLiteral("%1%2").arg(SpeedInUnit(*values.speedKmh, values.mph), 0, 'f', 0)
                     .arg(QLatin1String(SpeedUnitText(values.mph)));
    else
        texts << QStringLiteral("-%1").arg(QLatin1String(SpeedUnitText(values.mph)));
    if (values.latitude && values.longitude)
        texts << QStringLiteral("%1, %2").arg(*values.latitude, 0, 'f', 6).arg(*values.longitude, 0, 'f', 6);
    else
        texts << QStringLiteral("--.------, ---.------");
    texts << (values.g ? QStringLiteral("G %1").arg(*values.g, 0, 'f', 2) : QStringLiteral("G -"));
    return texts;
}

int BandHeight(int pictureHeight)
{
    const int h = std::max(16, pictureHeight / 14);
    return std::min(pictureHeight - pictureHeight % 2, h + h % 2);
}

void PaintReadoutBand(QImage& strip, const BandValues& values)
{
    QPainter p(&strip);
    p.setRenderHint(QPainter::TextAntialiasing);
    // The clock overlay's grey, translucent so the road stays visible under it.
    p.fillRect(strip.rect(), QColor(160, 160, 164, 200));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(std::max(10, strip.height() * 6 / 10));
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    const QStringList texts = BandTexts(values);
    // Four columns: the clock and the position take more room than the speed and G.
    static constexpr int kShare[] = {30, 17, 38, 15};
    const int margin = strip.height() / 3;
    int x = margin;
    const int usable = strip.width() - 2 * margin;
    for (int i = 0; i < texts.size(); ++i) {
        const int w = usable * kShare[i] / 100;
        p.drawText(QRect(x, 0, w, strip.height()), Qt::AlignLeft | Qt::AlignVCenter, texts[i]);
        x += w;
    }
}

} // namespace korvane
