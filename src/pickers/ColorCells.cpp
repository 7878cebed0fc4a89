#include "pickers/ColorCells.h"

#include "raster/RasterImage.h"

#include <algorithm>

ColorCells::ColorCells()
{
    for (int k = 0; k < Entries; ++k) {
        ColorTable[k] = colorref::paletteIndex(k);
    }
}

std::optional<QPoint> ColorCells::cellAt(QPoint p)
{
    if (p.x() < 0 || p.y() < 0 || p.x() >= GridWidth || p.y() >= GridHeight) {
        return std::nullopt;
    }
    return QPoint(p.x() / CellWidth, p.y() / CellHeight);
}

void ColorCells::moveSelection(int dx, int dy)
{
    selected = QPoint(std::clamp(selected.x() + dx, 0, Columns - 1),
                      std::clamp(selected.y() + dy, 0, Rows - 1));
}

void ColorCells::dialogConfirmed(ColorRef color)
{
    dialogColor = color;
    ColorTable[entryAt(selected)] = color;
}

void ColorCells::drawGrid(RasterImage& grid) const
{
    grid.pen() = Pen{};
    grid.brush().style = BrushStyle::Solid;
    grid.brush().pattern = QImage();
    for (int column = 0; column < Columns; ++column) {
        for (int row = 0; row < Rows; ++row) {
            grid.brush().color = ColorTable[entryAt(QPoint(column, row))];
            const int left = column * CellWidth;
            const int top = row * CellHeight;
            grid.rectangle(left, top, left + CellWidth, top + CellHeight);
        }
    }
}
