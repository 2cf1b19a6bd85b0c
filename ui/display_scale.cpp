#include "ui/display_scale.h"

#include <cmath>

namespace korvane {

double ScaleFromPercent(int percent)
{
    switch (percent) {
    case 120: return 1.2;
    case 125: return 1.25;
    case 140: return 1.4;
    case 150: return 1.5;
    case 160: return 1.6;
    case 175: return 1.75;
    default: return 1.0;
    }
}

int PercentFromScreen(double devicePixelRatio, double logicalDpi)
{
    return static_cast<int>(std::lround(100.0 * devicePixelRatio * logicalDpi / 96.0));
}

DisplayScale MakeDisplayScale(int percent)
{
    DisplayScale s;
    s.scalePercent = percent;
    s.displayScale = ScaleFromPercent(percent);
    s.cellWidth = Scaled(110, s.displayScale);
    s.cellHeight = Scaled(100, s.displayScale);
    s.s8 = Scaled(8, s.displayScale);
    s.s5 = Scaled(5, s.displayScale);
    return s;
}

} // namespace korvane
