#pragma once
// Display scaling: the percentage of the primary screen and the factor every layout size is
// multiplied by (truncated toward zero).

namespace korvane {

struct DisplayScale {
    int scalePercent = 100;
    double displayScale = 1.0;
    int cellWidth = 110;   // thumbnail cell, trunc(110 x scale)
    int cellHeight = 100;  // trunc(100 x scale)
    int s8 = 8;            // trunc(8 x scale)
    int s5 = 5;            // trunc(5 x scale)
};

// 120, 125, 140, 150, 160, 175 map to 1.2 ... 1.75; every other percentage to 1.0.
double ScaleFromPercent(int percent);

// round(100 x devicePixelRatio x logicalDpi / 96).
int PercentFromScreen(double devicePixelRatio, double logicalDpi);

DisplayScale MakeDisplayScale(int percent);

// Scaled size, truncated toward zero.
inline int Scaled(double value, double scale) { return static_cast<int>(value * scale); }

// Font sizes of the shared table used by the layout and the dialogs.
inline constexpr int kFontSizes[] = {11, 12, 13, 14, 15, 16, 40};

} // namespace korvane
