#include "pickers/HeightScale.h"

#include "raster/GreyPalette.h"
#include "tools/DrawingState.h"

#include <algorithm>
#include <array>

namespace {

// num / den rounded to the nearest integer, halves to the even one; den > 0.
int roundHalfEven(int num, int den)
{
    int quotient = num / den;
    int remainder = num % den;
    if (remainder < 0) {
        --quotient;
        remainder += den;
    }
    if (2 * remainder > den || (2 * remainder == den && quotient % 2 != 0)) {
        ++quotient;
    }
    return quotient;
}

// x of the wedge's slanted right edge n rows below its top corner (15, 1): 15 + 0.3 n, rounded.
int edgeAt(int n)
{
    return 15 + roundHalfEven(n * 60, 200);
}

// The arrow that points at the chosen band: W white (leaves the scale as it is under the AND),
// R red, G light grey.
constexpr std::array<const char*, 10> MarkerRows = {
    "WWWWGRRRGW", //
    "WWWGRRRGWW", //
    "WWGRRRGWWW", //
    "WGRRRGGGGG", //
    "GRRRRRRRRR", //
    "GRRRRRRRRR", //
    "WGRRRGGGGG", //
    "WWGRRRGWWW", //
    "WWWGRRRGWW", //
    "WWWWGRRRGW", //
};
constexpr int MarkerSize = 10;

RasterImage makeMarker()
{
    RasterImage marker(MarkerSize, MarkerSize);
    for (int y = 0; y < MarkerSize; ++y) {
        QRgb* row = marker.scanLine(y);
        for (int x = 0; x < MarkerSize; ++x) {
            switch (MarkerRows[y][x]) {
            case 'R':
                row[x] = qRgb(255, 0, 0);
                break;
            case 'G':
                row[x] = qRgb(192, 192, 192);
                break;
            default:
                row[x] = qRgb(255, 255, 255);
                break;
            }
        }
    }
    return marker;
}

} // namespace

HeightScale::HeightScale(ColorRef faceColor) : m_face(faceColor), m_marker(makeMarker())
{
    // Matters only on a palette display, where the greys would otherwise be matched to the
    // nearest of the system's colours.
    m_raster.setPalette(greypalette::make());
    DrawScale();
    DrawMarker();
}

// Band 100 would be grey 256, which does not fit a byte. It is white (255) here: the top of the
// scale, one level above band 99 and the greatest depth the renderer makes, like 254.
ColorRef HeightScale::BandColor(int i)
{
    return colorref::paletteGrey(std::min(56 + 2 * i, 255));
}

// Positions 202 to 255 lie above the raster, where a read gives the invalid colour; read back
// as plain RGB, that is white, the colour of the top band. Position 201 is row 0, which shows
// the face colour.
ColorRef HeightScale::ScaleColorAt(int p) const
{
    return m_raster.pixel(2, 201 - p) & 0x00FFFFFF;
}

ColorRef HeightScale::chosenColor() const
{
    return m_picked ? *m_picked : ScaleColorAt(ScalePos) + colorref::KindPaletteRgb;
}

QString HeightScale::positionText() const
{
    return QString::number(roundHalfEven(ScalePos, 2));
}

void HeightScale::DrawScale()
{
    // The resize leaves pixel (0, 0) as it was (white from the first one) and fills the rest
    // with the face colour.
    m_raster.setSize(1, 1);
    m_raster.brush().color = m_face;
    m_raster.brush().style = BrushStyle::Solid;
    m_raster.setSize(Width, Height);

    Pen& pen = m_raster.pen();
    pen = Pen{};
    m_raster.moveTo(0, 1);
    m_raster.lineTo(0, 201);
    m_raster.lineTo(75, 201);
    m_raster.lineTo(15, 1);
    m_raster.lineTo(0, 1);

    // Each band row stops just inside the slanted edge, since a line leaves out its end point.
    for (int i = 1; i <= Bands; ++i) {
        pen.color = BandColor(i);
        m_raster.moveTo(1, 202 - 2 * i);
        m_raster.lineTo(edgeAt(201 - 2 * i), 202 - 2 * i);
        m_raster.moveTo(1, 201 - 2 * i);
        m_raster.lineTo(edgeAt(200 - 2 * i), 201 - 2 * i);
    }
}

// The arrow is centred on row 201 - ScalePos with its tip on the slanted edge; it never reaches
// column 2, so ScaleColorAt reads the bands only.
void HeightScale::DrawMarker()
{
    const int left = edgeAt(202 - ScalePos);
    const int top = 196 - ScalePos;
    m_raster.setCopyMode(CopyMode::SourceAnd);
    m_raster.copyRect(boxRect(left, top, left + MarkerSize, top + MarkerSize), m_marker,
                      QRect(0, 0, MarkerSize, MarkerSize));
    m_raster.setCopyMode(CopyMode::SourceCopy);
}

void HeightScale::chooseByPointer(int y, DrawingState& state)
{
    ScalePos = static_cast<std::uint8_t>(200 - std::clamp(y, 1, 200));
    m_picked.reset();
    DrawScale();
    DrawMarker();
    state.CurrentColor = chosenColor();
}

bool HeightScale::chooseByNumber(const QString& text, DrawingState& state)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || value < 0 || value > 100) {
        return false;
    }
    ScalePos = static_cast<std::uint8_t>(2 * value);
    m_picked.reset();
    state.CurrentColor = chosenColor();
    DrawScale();
    DrawMarker();
    return true;
}

// A picked grey stays the chosen colour, painted exactly at every activation until a height is
// chosen on the scale: the bands hold only every other grey, so the band at the marker would
// paint grey 100 as 102. Marker and number show the grey's height as the renderer reads it,
// (grey - 56) / 2; greys up to 56 and the invalid colour (which paints black) are height 0.
void HeightScale::SyncFromCurrentColor(ColorRef color)
{
    m_picked = color;
    ScalePos = static_cast<std::uint8_t>(std::max(colorref::redByte(color) - 56, 0));
    DrawScale();
    DrawMarker();
}

void HeightScale::activate(DrawingState& state)
{
    DrawScale();
    DrawMarker();
    state.OpaquePaint = true;
    state.CurrentColor = chosenColor();
}
