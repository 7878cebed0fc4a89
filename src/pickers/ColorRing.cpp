#include "pickers/ColorRing.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Nearest integer, halves to the even one.
int roundEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

double radians(double angle)
{
    return angle / 180.0 * std::numbers::pi;
}

double degrees(double angle)
{
    return angle / std::numbers::pi * 180.0;
}

// Falls from 255 at t = 0 to 0 at |t| = 60.
int spokeFall(int t)
{
    return roundEven(255.0 - std::abs(t) * 255.0 / 60.0);
}

int hueFall(int t)
{
    return roundEven(std::abs(t) * 255.0 / 60.0);
}

} // namespace

ColorRing::ColorRing(ColorRef panelColor) : m_panelColor(panelColor) {}

int ColorRing::HalfSide() const
{
    return roundEven(InnerRadius / std::numbers::sqrt2) - 2;
}

void ColorRing::setRadii(int panelWidth)
{
    OuterRadius = roundEven(panelWidth / 2.0) - 6;
    InnerRadius = roundEven(OuterRadius * 0.8);
    RingCenter = roundEven(panelWidth / 2.0) - 4;
}

QPoint ColorRing::onRing(double angle, int radius) const
{
    return QPoint(RingCenter - roundEven(std::sin(radians(angle)) * radius),
                  RingCenter - roundEven(std::cos(radians(angle)) * radius));
}

ColorRef ColorRing::spokeColor(int i)
{
    int r = 0;
    int g = 0;
    int b = 0;
    if (i < 0) {
        r = 255, g = spokeFall(i);
    } else if (i <= 60) {
        r = spokeFall(i), g = 255;
    } else if (i < 120) {
        g = 255, b = spokeFall(i - 120);
    } else if (i <= 180) {
        g = spokeFall(i - 120), b = 255;
    } else if (i < 240) {
        r = spokeFall(i - 240), b = 255;
    } else {
        r = 255, b = spokeFall(i - 240);
    }
    return colorref::KindPaletteRgb | colorref::rgb(r, g, b);
}

// The two hue channels run from 0 at the left to the hue at the right; every channel then rises
// towards 255 from top to bottom by what the larger hue channel leaves.
ColorRef ColorRing::SquarePixel(int x, int y) const
{
    const int n = side();
    double channel[3] = {double(HueRed), double(HueGreen), double(HueBlue)};
    const int zero = HueRed == 0 ? 0 : (HueGreen == 0 ? 1 : 2);
    double largest = 0;
    for (int c = 0; c < 3; ++c) {
        channel[c] = c == zero ? 0.0 : channel[c] * x / n;
        largest = std::max(largest, channel[c]);
    }
    const double lift = y * (255.0 - largest) / n;
    int value[3];
    for (int c = 0; c < 3; ++c) {
        value[c] = static_cast<int>(channel[c] + lift);
    }
    return colorref::rgb(value[0], value[1], value[2]);
}

void ColorRing::DrawRing(QSize window)
{
    m_pending.reset();
    const int w = window.width();
    RasterImage ring(w, w);
    m_raster.setSize(w, window.height());

    ring.pen() = Pen{m_panelColor};
    ring.brush().color = m_panelColor;
    ring.brush().style = BrushStyle::Solid;
    ring.rectangle(0, 0, panelWidth(w), panelHeight(window.height()));

    ring.pen() = Pen{colorref::Black, roundEven(w / 300.0 * 5)};
    const int far = 2 * OuterRadius + 5;
    ring.ellipse(5, 5, far, far);
    const int middle = OuterRadius + 5;
    ring.ellipse(middle - InnerRadius, middle - InnerRadius, middle + InnerRadius,
                 middle + InnerRadius);

    // Three runs; 60 and 180 are drawn twice, in the same colour.
    for (const auto& [from, to] : {std::pair{-60, 60}, std::pair{60, 180}, std::pair{180, 300}}) {
        for (int i = from; i <= to; ++i) {
            ring.pen().color = spokeColor(i);
            const QPoint inner = onRing(i, InnerRadius);
            ring.moveTo(inner.x(), inner.y());
            const QPoint outer = onRing(i, OuterRadius);
            ring.lineTo(outer.x(), outer.y());
        }
    }
    m_raster.setCopyMode(CopyMode::SourceCopy);
    m_raster.copyRect(QRect(0, 0, w, w), ring, QRect(0, 0, w, w));
}

void ColorRing::DrawRect()
{
    paintPending();
    const int n = side();
    const int half = HalfSide();
    if (n <= 0) {
        return;
    }
    RasterImage square(n, n);
    for (int y = 0; y < n; ++y) {
        QRgb* row = square.scanLine(y);
        for (int x = 0; x < n; ++x) {
            row[x] = colorref::toRgb(SquarePixel(x, y));
        }
    }
    m_raster.setCopyMode(CopyMode::SourceCopy);
    m_raster.copyRect(QRect(RingCenter - half, RingCenter - half, n, n), square, QRect(0, 0, n, n));
}

ColorRef ColorRing::create(QSize& window)
{
    window.setHeight(window.width() + 70);
    LastWidth = window.width();
    HueAngle = 0;
    setRadii(panelWidth(window.width()));
    HueRed = 255;
    HueGreen = 255;
    HueBlue = 0;
    m_pending = window;
    // The square's middle pixel, as painting puts it at the centre.
    const int half = HalfSide();
    if (half <= 0) {
        paintPending();
        return m_raster.pixel(RingCenter, RingCenter);
    }
    return colorref::fromRgb(colorref::toRgb(SquarePixel(half, half)));
}

void ColorRing::paintPending()
{
    if (m_pending) {
        DrawRing(*m_pending);
        DrawRect();
    }
}

bool ColorRing::resize(QSize& window)
{
    window.setWidth(std::clamp(window.width(), MinWidth, MaxWidth));
    window.setHeight(window.width() + 60);
    if (window.width() == LastWidth) {
        return false;
    }
    LastWidth = window.width();
    const int middle = roundEven(window.width() / 2.0);
    SquareMarker = QPoint(middle, middle);
    setRadii(panelWidth(window.width()));
    HueMarker = onRing(HueAngle, InnerRadius + 2);
    DrawRing(window);
    DrawRect();
    return true;
}

std::optional<ColorRef> ColorRing::pick(int x, int y)
{
    paintPending();
    const int c = RingCenter;
    const int d = roundEven(std::hypot(double(c - x), double(c - y)));
    if (InnerRadius + 2 < d && d < OuterRadius - 2) {
        HueMarker = QPoint(x, y);
        // Level with the centre the arctangent is taken of a huge ratio: +90 or -90 degrees.
        const double below = y != c ? double(c - y) : 0.00001;
        int a = roundEven(degrees(std::atan(double(c - x) / below)));
        if (y > c) {
            a += 180;
        }
        HueAngle = a;
        int r = HueRed;
        int g = HueGreen;
        int b = HueBlue;
        if (a >= -60 && a < 0) {
            r = 255, g = 255 - hueFall(a), b = 0;
        } else if (a >= 0 && a < 60) {
            r = 255 - hueFall(a), g = 255, b = 0;
        } else if (a >= 60 && a < 120) {
            r = 0, g = 255, b = 255 - hueFall(a - 120);
        } else if (a >= 120 && a < 180) {
            r = 0, g = 255 - hueFall(a - 120), b = 255;
        } else if (a >= 180 && a <= 240) {
            r = 255 - hueFall(a - 240), g = 0, b = 255;
        } else if (a > 240 && a <= 270) {
            r = 255, g = 0, b = 255 - hueFall(a - 240);
        } else if (a >= -90 && a < -60) {
            r = 255, g = 0, b = 255 - hueFall(a + 120);
        }
        HueRed = std::uint8_t(r);
        HueGreen = std::uint8_t(g);
        HueBlue = std::uint8_t(b);
        DrawRect();
        // The marker's position is in panel coordinates: the colour is read 2 pixels right of
        // and below its corner in image coordinates, which is not the pixel it frames.
        return m_raster.pixel(SquareMarker.x() + 2, SquareMarker.y() + 2);
    }
    const int lo = c - HalfSide();
    const int hi = c + HalfSide();
    if (x <= lo - 4 || x >= hi + 4 || y <= lo - 4 || y >= hi + 4) {
        return std::nullopt;
    }
    x = std::clamp(x, lo, hi);
    y = std::clamp(y, lo, hi);
    SquareMarker = QPoint(x + 1, y + 1);
    return m_raster.pixel(x, y - 1);
}
