#pragma once

#include "raster/RasterImage.h"
#include "tools/ToolHost.h"

#include <QSize>

#include <cstdint>
#include <optional>

// What the option panel of the line, rectangle and ellipse tools shows and what a click on it
// chooses, kept apart from the panel widget. Coordinates are those of the sample picture,
// which sits inside the panel's one-pixel bevel.
namespace shapeoptions {

inline constexpr int PanelWidth = 40;
inline constexpr int LinePanelHeight = 56;
inline constexpr int ShapePanelHeight = 71;

int panelHeight(ToolHost::OptionPanel mode);

// The samples on a picture of `size` filled with `background`: the lines of the widths 1, 2,
// 4, 6 and 8 in rows 0 to 4 (ten pixels each), and for rectangles and ellipses a hollow and a
// solid sample in the row below, left and right.
RasterImage drawSamples(ToolHost::OptionPanel mode, QSize size, QRgb background);

// What a release at (x, y) on a sample picture of `size` chooses. Rows 0 to 4 choose the width
// of their sample line, and move the width frame over that row; in the rectangle and ellipse
// panels the row below chooses hollow (x up to 16) or solid and moves the fill frame there.
// Frame positions are the panel's coordinates.
struct Choice
{
    enum class Kind
    {
        None, // the panel is hidden, or the release lies outside the samples
        Width,
        Fill,
    };
    Kind kind = Kind::None;
    std::uint8_t lineWidth = 1;
    int widthFrameTop = 0;
    bool solid = false;
    int fillFrameLeft = 0;
};
Choice choose(std::optional<ToolHost::OptionPanel> mode, QSize size, int x, int y);

} // namespace shapeoptions
