#pragma once
// The pictures of the GPS box, painted at the size they are shown at: the fixed GPS badge
// (imgGPS), the symbol shown while the GPS has a fix (imgGPS_SYMBOL) and the background of the
// NO SIGNAL panel (imgNoSignal).
#include <QPixmap>
#include <QSize>

namespace korvane {

QPixmap PaintGpsBadge(QSize size);
QPixmap PaintGpsSymbol(QSize size);
QPixmap PaintNoSignal(QSize size);

} // namespace korvane
