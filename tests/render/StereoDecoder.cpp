#include "StereoDecoder.h"

#include "render/RasterImage.h"
#include "render/StereogramRenderer.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>

namespace stereodecoder {
namespace {

constexpr int Invalid = 1 << 24; // a difference no real window reaches
constexpr float None = std::numeric_limits<float>::quiet_NaN();

double separationOf(const QRgb* depthRow, int width, int column, int stripWidth)
{
    if (column < 0 || column >= width) {
        return stripWidth;
    }
    return stripWidth - std::max(0, qRed(depthRow[column]) - 56) / 8.0;
}

} // namespace

SeparationMap decode(const QImage& picture, double minSeparation, double maxSeparation, int radius)
{
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    const int width = image.width();
    const int height = image.height();
    const size_t size = size_t(width) * size_t(height);
    std::vector<int> channels[3];
    for (auto& channel : channels) {
        channel.resize(size);
    }
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const size_t i = size_t(y) * size_t(width) + size_t(x);
            channels[0][i] = qRed(row[x]);
            channels[1][i] = qGreen(row[x]);
            channels[2][i] = qBlue(row[x]);
        }
    }
    std::vector<int> best(size, INT_MAX);
    std::vector<int> bestStep(size, -1);
    std::vector<int> difference(size);
    std::vector<int> across(size);
    const int firstStep = std::max(1, int(std::floor(minSeparation * StepsPerPixel)));
    const int lastStep = int(std::ceil(maxSeparation * StepsPerPixel));
    for (int step = firstStep; step <= lastStep; ++step) {
        const int whole = step / StepsPerPixel;
        const int part = step % StepsPerPixel;
        // The left window sits between pixels x - whole - 1 and x - whole.
        for (int y = 0; y < height; ++y) {
            const size_t rowStart = size_t(y) * size_t(width);
            for (int x = 0; x < width; ++x) {
                const int near = x - whole;
                const int far = part ? near - 1 : near;
                int sum = Invalid;
                if (far >= 0) {
                    sum = 0;
                    for (const auto& channel : channels) {
                        const int* row = channel.data() + rowStart;
                        sum += std::abs(StepsPerPixel * row[x] -
                                        (StepsPerPixel - part) * row[near] - part * row[far]);
                    }
                }
                difference[rowStart + size_t(x)] = sum;
            }
            // Sums over the window's width.
            for (int x = radius; x < width - radius; ++x) {
                int sum = 0;
                for (int dx = -radius; dx <= radius; ++dx) {
                    sum = std::min(Invalid, sum + difference[rowStart + size_t(x + dx)]);
                }
                across[rowStart + size_t(x)] = sum;
            }
        }
        for (int y = radius; y < height - radius; ++y) {
            for (int x = radius; x < width - radius; ++x) {
                int sum = 0;
                for (int dy = -radius; dy <= radius; ++dy) {
                    sum =
                        std::min(Invalid, sum + across[size_t(y + dy) * size_t(width) + size_t(x)]);
                }
                const size_t i = size_t(y) * size_t(width) + size_t(x);
                if (sum < Invalid && sum < best[i]) {
                    best[i] = sum;
                    bestStep[i] = step;
                }
            }
        }
    }
    SeparationMap map{width, height, std::vector<float>(size, None)};
    for (size_t i = 0; i < size; ++i) {
        if (bestStep[i] >= 0) {
            map.separation[i] = float(bestStep[i]) / StepsPerPixel;
        }
    }
    return map;
}

SeparationMap expectedForRowsRenderer(const RasterImage& depth, int stripWidth)
{
    const int width = stripWidth + depth.width();
    SeparationMap map{width, depth.height(), std::vector<float>(size_t(width) * depth.height())};
    for (int y = 0; y < depth.height(); ++y) {
        const QRgb* row = depth.constScanLine(y);
        for (int x = 0; x < width; ++x) {
            map.separation[size_t(y) * size_t(width) + size_t(x)] =
                x < stripWidth ? None
                               : float(stripWidth -
                                       StereogramRenderer::shiftForRed(qRed(row[x - stripWidth])));
        }
    }
    return map;
}

// The depth map as a height field: column d a flat top over [d + S/2, d + 1 + S/2) in the
// middle between the eyes' pictures, with upright walls between columns, ground all round. The
// right eye's pixel x sees the nearest point whose right-eye position (middle + s/2) is at
// x + 1/2; it has a partner where the left eye sees the same point.
SeparationMap expectedForFineRenderer(const RasterImage& depth, int stripWidth)
{
    const int width = stripWidth + depth.width();
    const double s0 = stripWidth;
    SeparationMap map{width, depth.height(), std::vector<float>(size_t(width) * depth.height())};
    for (int y = 0; y < depth.height(); ++y) {
        const QRgb* row = depth.constScanLine(y);
        const auto sep = [&](int d) { return separationOf(row, depth.width(), d, stripWidth); };
        for (int x = 0; x < width; ++x) {
            const double u = x + 0.5;
            const int low = int(std::floor(u - s0)) - 2;
            const int high = int(std::floor(u - s0 + 13)) + 2;
            float found = None;
            // Nearer points lie further right along the line of sight: the first hit wins.
            for (int d = high; d >= low; --d) {
                const double s = sep(d);
                const double top = d + s0 / 2 + s / 2;
                if (u >= top && u < top + 1) {
                    // Hidden from the left eye when a column to the left reaches past it
                    // there, by more than half a pixel (less is the sliver a gentle slope
                    // hides at every grey level).
                    const double v = u - s;
                    bool hidden = false;
                    for (int e = d - 14; e < d; ++e) {
                        hidden = hidden || v < e + 1 + s0 / 2 - sep(e) / 2 - 0.5;
                    }
                    found = hidden ? None : float(s);
                    break;
                }
                const double before = sep(d - 1);
                const double wallLow = d + s0 / 2 + std::min(s, before) / 2;
                const double wallHigh = d + s0 / 2 + std::max(s, before) / 2;
                if (before != s && u >= wallLow && u < wallHigh) {
                    // A wall, which only the right eye sees; one less than a pixel across
                    // passes for the tops beside it.
                    if (wallHigh - wallLow < 1) {
                        found = float((s + before) / 2);
                    }
                    break;
                }
            }
            map.separation[size_t(y) * size_t(width) + size_t(x)] = found;
        }
    }
    return map;
}

Score score(const SeparationMap& decoded, const SeparationMap& expected, int stripWidth)
{
    Score result;
    const int width = decoded.width;
    const int height = decoded.height;
    std::vector<char> echo(size_t(width) * size_t(height), 0);
    std::map<int, int> levels;
    long long counted = 0;
    const int reach = 2;
    for (int y = 0; y < height; ++y) {
        for (int x = stripWidth + 4; x < width; ++x) {
            const float got = decoded.at(x, y);
            const float want = expected.at(x, y);
            if (std::isnan(got) || std::isnan(want)) {
                continue;
            }
            ++result.scored;
            const bool wrong = std::abs(got - want) > 1.0f;
            result.misdecoded += wrong ? 1 : 0;
            // The expected separations around the pixel, NaN counting as a change.
            float low = want;
            float high = want;
            for (int dy = -reach; dy <= reach; ++dy) {
                for (int dx = -reach; dx <= reach; ++dx) {
                    const float near = expected.at(std::clamp(x + dx, 0, width - 1),
                                                   std::clamp(y + dy, 0, height - 1));
                    low = std::isnan(near) ? -1.0f : std::min(low, near);
                    high = std::isnan(near) ? 1e9f : std::max(high, near);
                }
            }
            if (low == high && got < want - 1.0f) {
                echo[size_t(y) * size_t(width) + size_t(x)] = 1;
                ++result.echo;
            }
            // Depths are counted where the surface rises gently, away from steep edges, on
            // which every decoder reads a mix.
            if (wrong && high - low <= 1.0f) {
                ++result.misdecodedInside;
            }
            if (!wrong && want < stripWidth) {
                ++levels[int(std::lround(got * StepsPerPixel))];
                ++counted;
            }
        }
    }
    // A depth counts when it holds at least a quarter of an even share, which leaves out the
    // few stray readings around each step of a terraced surface.
    for (const auto& [level, count] : levels) {
        result.levels += 4 * qint64(count) * qint64(levels.size()) >= counted ? 1 : 0;
    }
    // Regions of echo, 8-connected.
    std::vector<int> stack;
    for (int start = 0; start < width * height; ++start) {
        if (echo[size_t(start)] != 1) {
            continue;
        }
        int region = 0;
        echo[size_t(start)] = 2;
        stack.push_back(start);
        while (!stack.empty()) {
            const int at = stack.back();
            stack.pop_back();
            ++region;
            const int ax = at % width;
            const int ay = at / width;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = ax + dx;
                    const int ny = ay + dy;
                    if (nx >= 0 && nx < width && ny >= 0 && ny < height &&
                        echo[size_t(ny) * size_t(width) + size_t(nx)] == 1) {
                        echo[size_t(ny) * size_t(width) + size_t(nx)] = 2;
                        stack.push_back(ny * width + nx);
                    }
                }
            }
        }
        result.largestEcho = std::max(result.largestEcho, region);
    }
    return result;
}

QImage depthPicture(const SeparationMap& map, int stripWidth)
{
    QImage picture(map.width, map.height, QImage::Format_RGB32);
    for (int y = 0; y < map.height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < map.width; ++x) {
            const float s = map.at(x, y);
            const int grey =
                std::isnan(s) ? 0 : std::clamp(int(std::lround(56 + 8 * (stripWidth - s))), 0, 255);
            row[x] = qRgb(grey, grey, grey);
        }
    }
    return picture;
}

} // namespace stereodecoder
