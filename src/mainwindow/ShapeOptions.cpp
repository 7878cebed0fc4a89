#include "mainwindow/ShapeOptions.h"

#include <algorithm>

namespace shapeoptions {

namespace {

constexpr int RowHeight = 10;
constexpr int WidthRows = 5;
// The boxes of the hollow and the solid sample.
constexpr QRect HollowSample(3, 55, 10, 10);
constexpr QRect SolidSample(21, 55, 10, 10);

int widthOfRow(int row)
{
    return row == 0 ? 1 : 2 * row;
}

} // namespace

int panelHeight(ToolHost::OptionPanel mode)
{
    return mode == ToolHost::OptionPanel::Line ? LinePanelHeight : ShapePanelHeight;
}

RasterImage drawSamples(ToolHost::OptionPanel mode, QSize size, QRgb background)
{
    RasterImage picture;
    picture.brush().color = colorref::fromRgb(background);
    picture.setSize(size.width(), size.height());
    for (int row = 0; row < WidthRows; ++row) {
        const int y = RowHeight * row + RowHeight / 2;
        picture.pen() = Pen{colorref::Black, widthOfRow(row), PenStyle::Solid, PenMode::Copy};
        picture.moveTo(0, y);
        picture.lineTo(PanelWidth, y);
    }
    if (mode == ToolHost::OptionPanel::Line) {
        return picture;
    }
    picture.pen().width = 1;
    const bool ellipse = mode == ToolHost::OptionPanel::Ellipse;
    auto sample = [&](const QRect& box, BrushStyle style) {
        picture.brush() = Brush{colorref::Black, style, {}};
        const int right = box.x() + box.width();
        const int bottom = box.y() + box.height();
        if (ellipse) {
            picture.ellipse(box.x(), box.y(), right, bottom);
        } else {
            picture.rectangle(box.x(), box.y(), right, bottom);
        }
    };
    sample(HollowSample, BrushStyle::Clear);
    sample(SolidSample, BrushStyle::Solid);
    return picture;
}

Choice choose(std::optional<ToolHost::OptionPanel> mode, QSize size, int x, int y)
{
    Choice choice;
    // A release that ends outside the samples is a click taken back.
    if (!mode || x < 0 || y < 0 || x >= size.width() || y >= size.height()) {
        return choice;
    }
    const int row = y / RowHeight;
    if (*mode != ToolHost::OptionPanel::Line && row >= WidthRows) {
        choice.kind = Choice::Kind::Fill;
        choice.solid = x > 16;
        choice.fillFrameLeft = choice.solid ? 19 : 1;
        return choice;
    }
    // The line panel's few pixels below the last sample belong to it: no width is chosen
    // there that no sample shows.
    const int widthRow = std::min(row, WidthRows - 1);
    choice.kind = Choice::Kind::Width;
    choice.lineWidth = std::uint8_t(widthOfRow(widthRow));
    choice.widthFrameTop = RowHeight * widthRow + 1;
    return choice;
}

} // namespace shapeoptions
