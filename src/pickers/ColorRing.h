#pragma once

#include "raster/ColorRef.h"
#include "raster/RasterImage.h"

#include <QPoint>
#include <QSize>

#include <cstdint>
#include <optional>

// The high-colour picker without its window: a ring of hues around a square that shades the
// chosen hue from black through the hue to white, painted on one raster, and the rules that turn
// a release on that raster into a hue or a colour.
//
// Coordinates: the raster's pixel (x, y) is image point (x, y); the picker panel holds the image
// 3 pixels in, and the markers' positions are top-left corners in panel coordinates. The ring
// and the square are centred on (RingCenter, RingCenter); the ring's black outlines are drawn
// around a centre 3 pixels further right and down.
//
// Sizes are the window's outer sizes, which count a sizeable border of 4 pixels on each side
// and a title bar of 19 (see BorderWidth, BorderHeight); the picker panel fills the client area
// above a bottom panel of 36 pixels.
class ColorRing final
{
public:
    static constexpr int BorderWidth = 8;
    static constexpr int BorderHeight = 27;
    static constexpr int BottomPanelHeight = 36;
    static constexpr int PanelInset = 3;
    // The window's width at design, 196 pixels inside.
    static constexpr int DesignWidth = 204;
    static constexpr int MaxWidth = 250;
    // Below this the bottom panel's swatch would cover its label; the radii stay positive down
    // to a width of 30.
    static constexpr int MinWidth = 150;
    // The application-workspace colour of the classic desktop scheme.
    static constexpr ColorRef DefaultPanelColor = colorref::grey(128);

    explicit ColorRing(ColorRef panelColor = DefaultPanelColor);

    int OuterRadius = 0;
    int InnerRadius = 0;
    int RingCenter = 0;
    // Whole degrees, 0 at the top, growing counter-clockwise; -90 to 270 after a pick.
    int HueAngle = 0;
    std::uint8_t HueRed = 255;
    std::uint8_t HueGreen = 255;
    std::uint8_t HueBlue = 0;
    // The window width at the last redraw.
    int LastWidth = 0;
    QPoint HueMarker{78, 10};
    QPoint SquareMarker{72, 81};

    int HalfSide() const;
    // The square's side N.
    int side() const { return 2 * HalfSide(); }

    static int panelWidth(int windowWidth) { return windowWidth - BorderWidth; }
    static int panelHeight(int windowHeight)
    {
        return windowHeight - BorderHeight - BottomPanelHeight;
    }
    // Radii and centre for a picker panel `panelWidth` wide.
    void setRadii(int panelWidth);

    // The colour of the spoke at angle i (-60 to 300), with the palette-RGB flag.
    static ColorRef spokeColor(int i);
    // The square's colour at (x, y), 0 <= x, y <= N, plain RGB.
    ColorRef SquarePixel(int x, int y) const;

    // Repaints the ring for a window of `window` (outer size), and the square inside it.
    void DrawRing(QSize window);
    void DrawRect();

    // The window's creation at `window`'s width: makes its height width + 70, paints the
    // picker in yellow and returns the colour at the centre of the square. The painting itself
    // waits until the picture is first needed: the picker is made at start and seldom shown.
    ColorRef create(QSize& window);
    // The window was resized to `window`: the width is kept to at most MaxWidth (and at least
    // MinWidth), the height follows it. Only a changed width moves the markers and repaints;
    // then the result is true.
    bool resize(QSize& window);
    // A release at image point (x, y): on the ring it chooses a hue, repaints the square and
    // gives the colour under the square marker; in the square (or within 3 pixels of it,
    // clamped) it moves the square marker and gives the colour there. Elsewhere nothing.
    std::optional<ColorRef> pick(int x, int y);

    const RasterImage& raster()
    {
        paintPending();
        return m_raster;
    }

private:
    // Paints what create() left to paint, if anything.
    void paintPending();

    // The point at `degrees` and `radius` around the centre.
    QPoint onRing(double degrees, int radius) const;

    ColorRef m_panelColor;
    RasterImage m_raster;
    // The window size create() left to paint the picker for.
    std::optional<QSize> m_pending;
};
