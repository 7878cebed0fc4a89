#pragma once

#include <QRect>
#include <QSize>

#include <span>

// A pane's magnification, nearest neighbour: `up` screen pixels a side per image pixel, or one
// image pixel in `down` shown. Screen pixel v shows image pixel v / up, or v * down; positions
// before the image (negative) map the same way, rounded down.
struct Zoom
{
    int up = 1;
    int down = 1;

    // 25 to 1600; a third reads 33.
    int percent() const { return 100 * up / down; }
    double scale() const { return double(up) / down; }
    bool operator==(const Zoom&) const = default;

    // 25, 33, 50, 100, 200, 300, 400, 600, 800, 1200 and 1600 %.
    static std::span<const Zoom> steps();
    // The next step up or down; the last step stays.
    Zoom in() const;
    Zoom out() const;

    // The image pixel that screen pixel `view` shows.
    int toImage(int view) const { return down > 1 ? view * down : floorDiv(view, up); }
    // The first screen pixel of image pixel `image`, or the one that shows it or the last
    // shown before it.
    int toView(int image) const { return up > 1 ? image * up : floorDiv(image, down); }
    // Screen pixels of an image of `size` pixels.
    QSize viewSize(QSize size) const
    {
        return {viewLength(size.width()), viewLength(size.height())};
    }
    // The image pixels that `view` screen pixels hold whole.
    int imageLength(int view) const { return down > 1 ? view * down : view / up; }
    // Every screen pixel that shows a pixel of `area`.
    QRect toView(const QRect& area) const;

private:
    int viewLength(int image) const { return up > 1 ? image * up : (image + down - 1) / down; }
    static int floorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
};
