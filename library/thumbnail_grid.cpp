#include "library/thumbnail_grid.h"

#include <QStringList>

namespace korvane {

ThumbnailGrid::ThumbnailGrid(QWidget* parent) : QWidget(parent)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);
}

int ThumbnailGrid::IndexOf(const ThumbnailCell* cell, int count) const
{
    const int n = qMin(count, int(cells_.size()));
    for (int i = 0; i < n; ++i)
        if (cells_[i] == cell)
            return i;
    return -1;
}

void ThumbnailGrid::SetDisplayScale(double scale)
{
    geometry_ = CellGeometryForScale(scale);
    setFixedHeight(rows_ * geometry_.cellHeight + 10);
    for (ThumbnailCell* c : cells_)
        c->ApplyGeometry(geometry_.image, geometry_.caption);
    PlaceCells();
}

void ThumbnailGrid::PlaceCells()
{
    const int w = width();
    for (int i = 0; i < cells_.size(); ++i) {
        const int row = i / kGridColumns, col = i % kGridColumns;
        const int x0 = col * w / kGridColumns, x1 = (col + 1) * w / kGridColumns;
        cells_[i]->setGeometry(x0, row * geometry_.cellHeight, x1 - x0, geometry_.cellHeight);
    }
}

void ThumbnailGrid::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceCells();
}

void BuildThumbnailGrid(ThumbnailGrid& grid, int group, int rows, double scale)
{
    qDeleteAll(grid.cells_);
    grid.cells_.clear();
    grid.group_ = group;
    grid.rows_ = rows;
    for (int i = 0; i < rows * kGridColumns; ++i) {
        auto* cell = new ThumbnailCell(group, i, &grid);
        QObject::connect(cell, &ThumbnailCell::doubleClicked, &grid, &ThumbnailGrid::cellDoubleClicked);
        grid.cells_.append(cell);
    }
    grid.SetDisplayScale(scale);
    // A new grid holds no recording: its cells start empty, as after ClearGrid.
    ClearGrid(grid);
}

void ClearGrid(ThumbnailGrid& grid)
{
    for (ThumbnailCell* c : grid.Cells())
        c->Clear();
    grid.update();
}

ThumbnailCell* ShowThumbnail(ThumbnailGrid& grid, const QStringList& shown, const QString& bmpPath,
                             const QString& caption)
{
    ThumbnailCell* cell = grid.Cell(int(shown.size()) - 1);
    if (!cell)
        return nullptr;
    const QString& name = shown.last();
    cell->ShowRecording(name, bmpPath, caption.isEmpty() ? CaptionForName(name) : caption);
    return cell;
}

ThumbnailCell* ShowDamagedThumbnail(ThumbnailGrid& grid, const QStringList& shown, const QString& caption)
{
    ThumbnailCell* cell = grid.Cell(int(shown.size()) - 1);
    if (!cell)
        return nullptr;
    const QString& name = shown.last();
    cell->ShowDamaged(name, caption.isEmpty() ? CaptionForName(name) : caption);
    return cell;
}

} // namespace korvane
