#include "library/cell_layout.h"

namespace korvane {
namespace {
int Trunc(double v) { return static_cast<int>(v); }

// 1-based insert and delete with the forgiving bounds of the string routines the rule was
// written for: an index below 1 means 1, an index past the end appends or does nothing.
void InsertAt(QString& s, const QString& what, qsizetype index1)
{
    if (index1 < 1)
        index1 = 1;
    if (index1 > s.size() + 1)
        index1 = s.size() + 1;
    s.insert(index1 - 1, what);
}

void DeleteAt(QString& s, qsizetype index1, qsizetype count)
{
    if (index1 < 1 || index1 > s.size() || count <= 0)
        return;
    s.remove(index1 - 1, count);
}
} // namespace

CellGeometry CellGeometryForScale(double scale)
{
    CellGeometry g;
    g.cellWidth = Trunc(110 * scale);
    g.cellHeight = Trunc(100 * scale);
    g.image = QRect(Trunc(0.05 * g.cellWidth), Trunc(0.08 * g.cellHeight), Trunc(0.88 * g.cellWidth),
                    Trunc(0.92 * g.cellHeight));
    g.caption = QRect(Trunc(0.2 * g.cellWidth), Trunc(0.7 * g.cellHeight), Trunc(0.7 * g.cellWidth),
                      Trunc(0.4 * g.cellHeight));
    g.gridHeight = kGridRows * g.cellHeight + 10;
    return g;
}

QString CaptionForName(const QString& name)
{
    QString s = name;
    const qsizetype at = s.indexOf(QLatin1String("20"));  // -1 when absent: nothing dropped
    if (at > 0)
        s.remove(0, at);
    InsertAt(s, QStringLiteral("\r\n"), s.size() - 9);
    DeleteAt(s, s.size() - 3, 4);
    InsertAt(s, QStringLiteral("."), 5);
    InsertAt(s, QStringLiteral("."), 8);
    InsertAt(s, QStringLiteral(":"), 15);
    InsertAt(s, QStringLiteral(":"), 18);
    return s;
}

} // namespace korvane
