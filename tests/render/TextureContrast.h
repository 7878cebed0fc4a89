#pragma once

#include "raster/RasterImage.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

// The texture's contrast, the mean difference of neighbouring pixels over the three channels,
// in each whole band a strip wide out from the middle of the picture, left to right. With
// `spacing` (see textureSpacing) only the pairs of neighbours whose spacing lies in
// [low, high] count.
inline std::vector<double> bandContrast(const RasterImage& picture, int stripWidth,
                                        const std::vector<float>* spacing = nullptr, float low = 0,
                                        float high = 0)
{
    std::vector<double> bands;
    for (int from = (picture.width() / 2 - stripWidth / 2) % stripWidth;
         from + stripWidth <= picture.width(); from += stripWidth) {
        long long sum = 0;
        long long pairs = 0;
        for (int y = 0; y < picture.height(); ++y) {
            const QRgb* row = picture.constScanLine(y);
            const float* rowSpacing =
                spacing ? spacing->data() + size_t(y) * size_t(picture.width()) : nullptr;
            for (int x = std::max(from, 1); x < from + stripWidth; ++x) {
                if (rowSpacing && !(rowSpacing[x] >= low && rowSpacing[x] <= high)) {
                    continue;
                }
                sum += std::abs(qRed(row[x]) - qRed(row[x - 1])) +
                       std::abs(qGreen(row[x]) - qGreen(row[x - 1])) +
                       std::abs(qBlue(row[x]) - qBlue(row[x - 1]));
                ++pairs;
            }
        }
        if (!spacing) {
            pairs = qint64(stripWidth) * picture.height();
        }
        bands.push_back(pairs > 0 ? double(sum) / (3.0 * double(pairs)) : 0.0);
    }
    return bands;
}

// For the finer renderer's picture of `depth`, how far apart the colours of each pixel x and
// its left neighbour start, in pixels, at x of a map of the picture's size (row-major). A pixel
// that shows a point of the surface to both eyes repeats its partner on the middle's side, so
// following partners leads to where its colour starts: a pixel whose partner lies across the
// middle, or one that only one eye sees; either lays the strip at its own scale. The spacing is
// 1 where the texture lies at its own scale and less where a slope that one eye sees wider than
// the other has stretched it on the way; NaN where the two colours start in different places.
// Worked out from the geometry alone: column d at d + 1/2 + S/2, seen by each eye half its
// separation S - max(0, grey - 56) / 8 to the side, the depth going over linearly between
// column centres, a point hidden from an eye by any nearer point in its line of sight.
inline std::vector<float> textureSpacing(const RasterImage& depth, int stripWidth)
{
    const double s = stripWidth;
    const int width = stripWidth + depth.width();
    const double middle = width / 2.0;
    constexpr int Fine = 8; // surface points a pixel
    // Points from a strip width left of the picture to one right of it: every pixel's two.
    const int first = -stripWidth;
    const int points = (width + 2 * stripWidth) * Fine;
    const float none = std::numeric_limits<float>::quiet_NaN();
    std::vector<float> spacing(size_t(width) * size_t(depth.height()), none);
    const auto count = static_cast<size_t>(points);
    std::vector<double> left(count), right(count);
    std::vector<bool> seenLeft(count), seenRight(count);
    // Each eye's positions of the points it sees, rising, with the point's index.
    std::vector<std::pair<double, int>> leftView, rightView;
    std::vector<double> start(static_cast<size_t>(width));
    std::vector<bool> acrossMiddle(static_cast<size_t>(width));
    for (int y = 0; y < depth.height(); ++y) {
        const QRgb* row = depth.constScanLine(y);
        const auto separation = [&](int column) {
            const int grey = column < 0 || column >= depth.width() ? 56 : qRed(row[column]);
            return s - std::max(0, grey - 56) / 8.0;
        };
        for (int i = 0; i < points; ++i) {
            const double u = first + (i + 0.5) / Fine;
            const double column = u - s / 2 - 0.5;
            const int c = int(std::floor(column));
            const double t = column - c;
            const double half = ((1 - t) * separation(c) + t * separation(c + 1)) / 2;
            left[size_t(i)] = u - half;
            right[size_t(i)] = u + half;
        }
        double nearest = std::numeric_limits<double>::infinity();
        for (int i = points; i-- > 0;) {
            seenRight[size_t(i)] = right[size_t(i)] < nearest;
            nearest = std::min(nearest, right[size_t(i)]);
        }
        nearest = -std::numeric_limits<double>::infinity();
        for (int i = 0; i < points; ++i) {
            seenLeft[size_t(i)] = left[size_t(i)] > nearest;
            nearest = std::max(nearest, left[size_t(i)]);
        }
        leftView.clear();
        rightView.clear();
        for (int i = 0; i + 1 < points; ++i) {
            if (seenLeft[size_t(i)]) {
                leftView.push_back({left[size_t(i)], i});
            }
            if (seenRight[size_t(i)]) {
                rightView.push_back({right[size_t(i)], i});
            }
        }
        // The point an eye sees at p, between points i and i + 1, and where the other eye sees
        // it; false when the other eye does not.
        const auto partner = [&](const std::vector<std::pair<double, int>>& view,
                                 const std::vector<double>& at, const std::vector<double>& other,
                                 const std::vector<bool>& otherSees, double p, double& to) {
            auto it = std::upper_bound(view.begin(), view.end(), std::pair{p, points});
            if (it == view.begin()) {
                return false;
            }
            const int i = std::prev(it)->second;
            const double run = at[size_t(i) + 1] - at[size_t(i)];
            const double t = run > 0 ? std::clamp((p - at[size_t(i)]) / run, 0.0, 1.0) : 0.0;
            to = other[size_t(i)] + t * (other[size_t(i) + 1] - other[size_t(i)]);
            return otherSees[size_t(i)] && otherSees[size_t(i) + 1];
        };
        for (int x = 0; x < width; ++x) {
            double p = x + 0.5;
            bool across = false;
            for (int step = 0; step < width; ++step) {
                double to = 0;
                if (p >= middle) {
                    if (!partner(rightView, right, left, seenLeft, p, to)) {
                        break;
                    }
                    if (to < middle) {
                        across = true;
                        break;
                    }
                } else {
                    if (!partner(leftView, left, right, seenRight, p, to)) {
                        break;
                    }
                    if (to >= middle) {
                        across = true;
                        p = to;
                        break;
                    }
                }
                p = to;
            }
            start[size_t(x)] = p;
            acrossMiddle[size_t(x)] = across;
        }
        float* out = spacing.data() + size_t(y) * size_t(width);
        for (int x = 1; x < width; ++x) {
            const double apart = start[size_t(x)] - start[size_t(x - 1)];
            if (acrossMiddle[size_t(x)] == acrossMiddle[size_t(x - 1)] && apart > 0 && apart < 2) {
                out[x] = float(apart);
            }
        }
    }
    return spacing;
}
