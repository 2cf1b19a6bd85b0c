#pragma once
// Sizes of a thumbnail cell at a display scale, and the caption a cell shows for a recording.
#include <QRect>
#include <QString>

namespace korvane {

struct CellGeometry {
    int cellWidth = 0;   // trunc(110 x scale)
    int cellHeight = 0;  // trunc(100 x scale); every grid row is this high
    QRect image;         // the picture with its frame, inside the cell
    QRect caption;       // the date and time, clipped by the cell
    int gridHeight = 0;  // 80 rows x cellHeight + 10
};

constexpr int kGridRows = 80;
constexpr int kGridColumns = 3;
constexpr int kCellsPerGrid = kGridRows * kGridColumns;  // 240

CellGeometry CellGeometryForScale(double scale);

// Date and time of a recording on two lines, e.g. "20230101120000.MP4" and
// "G20230101120000.MP4" both give "2023.01.01\r\n12:00:00". Text before the first "20" is
// dropped; odd names never fail, they just give odd captions.
QString CaptionForName(const QString& name);

// Fraction of the picture height above the caption band.
constexpr double kPictureHeightShare = 0.65;

} // namespace korvane
