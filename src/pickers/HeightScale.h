#pragma once

#include "raster/ColorRef.h"
#include "raster/RasterImage.h"

#include <QString>

#include <cstdint>
#include <optional>

struct DrawingState;

// The height palette without its window: the wedge of 100 grey bands on an 85 x 202 raster, the
// arrow marker beside the chosen band, and the rules that turn a pointer row, a typed number or a
// picked colour into the chosen position.
//
// Positions count scale rows upwards from the bottom edge: position p is row 201 - p. Height h
// (1..99) is band h, grey 56 + 2h, at positions 2h - 1 and 2h; position 0 is the black bottom
// edge, height 0. The number box shows half the position, so it can disagree with the band by
// one (position 1 shows 0 but paints band 1).
class HeightScale final
{
public:
    static constexpr int Width = 85;
    static constexpr int Height = 202;
    static constexpr int Bands = 100;
    // The face colour of the tests and of a window without a style of its own.
    static constexpr ColorRef DefaultFace = colorref::grey(240);

    // `faceColor` fills row 0 and the area around the wedge.
    explicit HeightScale(ColorRef faceColor = DefaultFace);

    // The chosen position. The pointer gives 0..199, a number 0..200, a picked colour 0..199.
    std::uint8_t ScalePos = 100;
    // A button is held down on the scale.
    bool Dragging = false;

    // The grey of band i (1..100), with the palette-RGB flag.
    static ColorRef BandColor(int i);
    // The plain colour the scale shows at position p (column 2, row 201 - p).
    ColorRef ScaleColorAt(int p) const;
    // What the palette paints: the picked colour as it was picked, else ScaleColorAt(ScalePos)
    // with the palette-RGB flag.
    ColorRef chosenColor() const;
    // What the number box shows for ScalePos: half of it, rounded half to even.
    QString positionText() const;

    // Repaints the whole scale raster.
    void DrawScale();
    // ANDs the marker into the scale beside the band at ScalePos.
    void DrawMarker();

    // The pointer at scale row y while Dragging: chooses the row (clamped to 1..200), redraws and
    // makes CurrentColor that height. The caller shows positionText() and the swatch.
    void chooseByPointer(int y, DrawingState& state);
    // Enter in the number box: a decimal 0..100 chooses that height, sets CurrentColor and
    // redraws; anything else changes nothing and returns false.
    bool chooseByNumber(const QString& text, DrawingState& state);
    // Follows a colour taken from the depth map: it becomes the chosen colour, and the marker
    // moves to its height. CurrentColor is left alone; it already holds the colour.
    void SyncFromCurrentColor(ColorRef color);
    // The window's activation: redraws, forces opaque painting and makes CurrentColor the chosen
    // height.
    void activate(DrawingState& state);

    const RasterImage& raster() const { return m_raster; }

private:
    ColorRef m_face;
    RasterImage m_raster;
    RasterImage m_marker;
    // Set by a pick-up, cleared by a choice on the scale or by number.
    std::optional<ColorRef> m_picked;
};
