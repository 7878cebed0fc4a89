#include "pickers/PenStyleChoice.h"

#include "tools/DrawingState.h"

#include <array>

namespace penstyle {

namespace {

const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);
const QRgb MidGrey = qRgb(128, 128, 128);
const QRgb LightGrey = qRgb(192, 192, 192);

// Footprint sizes shown in each row, by column.
constexpr std::array<int, 4> SolidSizes = {2, 4, 8, 12};
constexpr std::array<int, 4> RoundSpraySizes = {4, 6, 10, 14};
constexpr std::array<int, 4> SquareSpraySizes = {4, 6, 8, 12};
// The black core that marks the heavier sprays.
constexpr std::array<int, 4> SprayCores = {0, 2, 4, 6};

// Paints a size x size square or disc centred in cell (column, row). A disc holds the pixels
// whose centres lie within its radius.
void paintShape(QImage& image, int column, int row, int size, bool round, QRgb color)
{
    const int left = column * CellSize + (CellSize - size) / 2;
    const int top = row * CellSize + (CellSize - size) / 2;
    for (int j = 0; j < size; ++j) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(top + j));
        const int dy = 2 * j + 1 - size;
        for (int i = 0; i < size; ++i) {
            const int dx = 2 * i + 1 - size;
            if (!round || dx * dx + dy * dy <= size * size) {
                line[left + i] = color;
            }
        }
    }
}

// A spray: a light grey edge one pixel wide around mid grey, with a black core.
void paintSpray(QImage& image, int column, int row, int size, bool round)
{
    paintShape(image, column, row, size, round, LightGrey);
    paintShape(image, column, row, size - 2, round, MidGrey);
    paintShape(image, column, row, SprayCores[column], round, Black);
}

} // namespace

QImage picture()
{
    QImage image(PictureWidth, PictureHeight, QImage::Format_RGB32);
    image.fill(White);
    for (int y = 0; y < PictureHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        if (y % CellSize == 0 && y > 0) {
            std::fill(line, line + PictureWidth, MidGrey);
            continue;
        }
        for (int x = CellSize; x < PictureWidth; x += CellSize) {
            line[x] = MidGrey;
        }
    }
    for (int column = 0; column < 4; ++column) {
        paintShape(image, column, 0, SolidSizes[column], true, Black);
        paintShape(image, column, 1, SolidSizes[column], false, Black);
        paintSpray(image, column, 2, RoundSpraySizes[column], true);
        paintSpray(image, column, 3, SquareSpraySizes[column], false);
    }
    return image;
}

QPoint pick(int x, int y, DrawingState& state)
{
    // Integer division truncates toward zero and % keeps the dividend's sign: row -1 gives -1.
    const int column = x / CellSize;
    const int row = y / CellSize;
    state.PenSpray = y >= 2 * CellSize;
    if (column >= 0 && column <= 3) {
        state.PenSize = static_cast<std::uint8_t>(column);
    }
    switch (row % 2) {
    case 0:
        state.PenSquare = false;
        break;
    case 1:
        state.PenSquare = true;
        break;
    default:
        break;
    }
    return QPoint(CellSize * column + 1, CellSize * row + 1);
}

} // namespace penstyle
