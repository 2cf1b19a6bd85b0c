#pragma once
// A grid of thumbnail cells for one group: three columns, 80 rows of cellHeight, 240 cells
// built once. The thumbnail pass fills cell i with entry i of the group's shown list.
#include "library/cell_layout.h"
#include "library/thumbnail_cell.h"

#include <QVector>
#include <QWidget>

namespace korvane {

class ThumbnailGrid : public QWidget {
    Q_OBJECT
public:
    explicit ThumbnailGrid(QWidget* parent = nullptr);

    int Group() const { return group_; }
    const CellGeometry& Geometry() const { return geometry_; }
    const QVector<ThumbnailCell*>& Cells() const { return cells_; }
    ThumbnailCell* Cell(int i) const { return i >= 0 && i < cells_.size() ? cells_[i] : nullptr; }
    // Index of the cell among the first `count` cells; -1 when it is not among them.
    int IndexOf(const ThumbnailCell* cell, int count) const;

    // Sizes every cell by the cell geometry of the display scale.
    void SetDisplayScale(double scale);

signals:
    void cellDoubleClicked(korvane::ThumbnailCell* cell);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    friend void BuildThumbnailGrid(ThumbnailGrid& grid, int group, int rows, double scale);
    void PlaceCells();

    int group_ = 1;
    int rows_ = 0;
    CellGeometry geometry_;
    QVector<ThumbnailCell*> cells_;
};

// Builds the rows and 3 x rows cells of an empty grid (rows is always 80) at a display scale.
void BuildThumbnailGrid(ThumbnailGrid& grid, int group, int rows, double scale);
// Empties all cells.
void ClearGrid(ThumbnailGrid& grid);
// Fills the cell whose index is the last index of `shown` with its last entry and the picture.
// Returns the cell, or null when the list is empty or longer than the grid.
ThumbnailCell* ShowThumbnail(ThumbnailGrid& grid, const QStringList& shown, const QString& bmpPath,
                             const QString& caption = QString());
// The same for a cut recording: the cell shows the damaged picture.
ThumbnailCell* ShowDamagedThumbnail(ThumbnailGrid& grid, const QStringList& shown,
                                    const QString& caption = QString());

} // namespace korvane
