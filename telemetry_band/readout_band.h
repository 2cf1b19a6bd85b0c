#pragma once
// The read-out band burned into an exported clip: the camera clock, the speed in the unit asked
// for, the position and the G value in one strip, with the look of the viewer's clock overlay
// (white Arial on the grey panel). Drawn with QPainter on a QImage only, so the export on the
// worker thread and any viewer part can use it without widgets. The texts need the fonts of a
// QGuiApplication (an offscreen one will do) in the process.
#include <QImage>
#include <QString>
#include <optional>

#include "mp4parse/telemetry_types.h"

namespace korvane {

struct BandValues {
    QString clock;                    // "YYYY/MM/DD hh:mm:ss" as the camera wrote it; may be empty
    std::optional<double> speedKmh;   // none without a speed
    bool mph = false;                 // the speed shown in miles per hour
    std::optional<double> latitude;   // none without a fix
    std::optional<double> longitude;
    std::optional<double> g;          // none without a G value
};

// What the band shows for a sample: a position only with a fix, a speed only when the sample
// has one.
BandValues BandValuesOf(const TelemetrySample& sample, bool mph);

// The band's texts, left to right: clock, speed ("57 km/h", "-" without one), position
// ("35.658580, 139.745440", dashes without a fix), G ("G 0.12").
QStringList BandTexts(const BandValues& values);

// The band's height for a picture `pictureHeight` pixels high: an even number of pixels, about
// a fourteenth of the picture, at least 16.
int BandHeight(int pictureHeight);

// Paints the band over the whole of `strip` (the bottom rows of a picture, already holding the
// picture there): a translucent grey panel and the texts.
void PaintReadoutBand(QImage& strip, const BandValues& values);

} // namespace korvane
