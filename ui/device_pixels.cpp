#include "ui/device_pixels.h"

#include <cmath>

namespace korvane {
namespace {
double Ratio(double r) { return r > 0 ? r : 1.0; }
} // namespace

int ToLogical(int devicePixels, double devicePixelRatio)
{
    return static_cast<int>(std::lround(devicePixels / Ratio(devicePixelRatio)));
}

QRect ToLogical(const QRect& device, double devicePixelRatio)
{
    const int left = ToLogical(device.left(), devicePixelRatio);
    const int top = ToLogical(device.top(), devicePixelRatio);
    const int right = ToLogical(device.left() + device.width(), devicePixelRatio);
    const int bottom = ToLogical(device.top() + device.height(), devicePixelRatio);
    return QRect(left, top, right - left, bottom - top);
}

QSize ToLogical(const QSize& device, double devicePixelRatio)
{
    return QSize(ToLogical(device.width(), devicePixelRatio), ToLogical(device.height(), devicePixelRatio));
}

double LogicalScale(double displayScale, double devicePixelRatio)
{
    return displayScale / Ratio(devicePixelRatio);
}

QSize ToDevice(const QSize& logical, double devicePixelRatio)
{
    const double r = Ratio(devicePixelRatio);
    return QSize(static_cast<int>(std::lround(logical.width() * r)), static_cast<int>(std::lround(logical.height() * r)));
}

} // namespace korvane
