#pragma once

#include "raster/ColorRef.h"

#include <QPoint>

#include <array>
#include <optional>

class RasterImage;

// The 20-colour palette without its window: the table of 20 colours, the grid of 5 columns by 4
// rows of 28 x 24 cells that shows it, the grid's selected cell and the colour the colour dialog
// opens with.
class ColorCells final
{
public:
    static constexpr int Columns = 5;
    static constexpr int Rows = 4;
    static constexpr int CellWidth = 28;
    static constexpr int CellHeight = 24;
    static constexpr int Entries = Columns * Rows;
    static constexpr int GridWidth = Columns * CellWidth;
    static constexpr int GridHeight = Rows * CellHeight;

    ColorCells();

    // Entry k starts as palette index k, which paints the k-th of the 20 reserved colours on a
    // surface without a palette of its own; an entry changed through the dialog holds a plain
    // colour from then on.
    std::array<ColorRef, Entries> ColorTable{};

    // The table runs down the columns: column 0 holds entries 0 to 3.
    static int entryAt(QPoint cell) { return cell.x() * Rows + cell.y(); }
    // The cell (column, row) under grid point p, if any.
    static std::optional<QPoint> cellAt(QPoint p);

    // The grid's selected cell, (column, row).
    QPoint selected{0, 0};
    ColorRef selectedColor() const { return ColorTable[entryAt(selected)]; }
    // An arrow key: one cell in the direction (dx, dy), stopping at the grid's edges.
    void moveSelection(int dx, int dy);

    // What the colour dialog opens with: the colour it returned last, black at first.
    ColorRef dialogColor = colorref::Black;
    // The dialog confirmed `color` for the selected cell.
    void dialogConfirmed(ColorRef color);

    // Paints the grid onto `grid` from its top-left corner: each cell a box with a black border
    // filled with its entry, resolved through the raster's palette.
    void drawGrid(RasterImage& grid) const;
};
