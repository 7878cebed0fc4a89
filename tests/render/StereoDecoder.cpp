#include "StereoDecoder.h"

#include "raster/RasterImage.h"

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

SeparationMap decode(const QImage& picture, double minSeparation, double maxSeparation)
{
    const int radius = 2; // the window's reach on each side
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
    SeparationMap map{width, height, std::vector<float>(size, None), {}, {}};
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
    SeparationMap map{
        width, depth.height(), std::vector<float>(size_t(width) * depth.height()), {}, {}};
    for (int y = 0; y < depth.height(); ++y) {
        const QRgb* row = depth.constScanLine(y);
        for (int x = 0; x < width; ++x) {
            map.separation[size_t(y) * size_t(width) + size_t(x)] =
                x < stripWidth
                    ? None
                    : float(separationOf(row, depth.width(), x - stripWidth, stripWidth));
        }
    }
    return map;
}

// The depth map as the finer renderer draws it: column d's separation at the column's centre,
// d + 1/2 + S/2 in the middle between the eyes' pictures, going over linearly to the next
// column's, ground all round. The right eye sees a point m of the surface at m + s(m)/2 and the
// left eye at m - s(m)/2. Each of a pixel's `samples` sees the nearest point on its line of
// sight; the pixel is expected at the mean of their separations, and any of them reads right.
// A point a nearer one hides from the left eye has no partner: a pixel most of whose samples
// see such points shows nothing to match.
SeparationMap expectedForFineRenderer(const RasterImage& depth, int stripWidth, int samples)
{
    const int width = stripWidth + depth.width();
    const double s0 = stripWidth;
    const size_t size = size_t(width) * size_t(depth.height());
    SeparationMap map{width, depth.height(), std::vector<float>(size), std::vector<float>(size),
                      std::vector<float>(size)};
    std::vector<double> sep(size_t(width) + 2);
    for (int y = 0; y < depth.height(); ++y) {
        const QRgb* row = depth.constScanLine(y);
        // sep[d + 1] for columns d = -1 .. width; the centre of column d lies at d + 1/2 + S/2.
        for (int d = -1; d <= width; ++d) {
            sep[size_t(d + 1)] = separationOf(row, depth.width(), d, stripWidth);
        }
        const auto sepAt = [&](int d) { return sep[size_t(std::clamp(d, -1, width) + 1)]; };
        const auto centre = [&](int d) { return d + 0.5 + s0 / 2; };
        // The left eye's position of point m on the segment from column d's centre.
        const auto leftOf = [&](int d, double m) {
            const double t = m - centre(d);
            return m - (sepAt(d) + t * (sepAt(d + 1) - sepAt(d))) / 2;
        };
        for (int x = 0; x < width; ++x) {
            double sum = 0;
            double low = 1e9;
            double high = -1e9;
            int seen = 0;
            for (int k = 0; k < samples; ++k) {
                const double u = x + (k + 0.5) / samples;
                // Nearer points lie further right along a line of sight: the first hit wins.
                const int highest = int(std::floor(u - s0 + 13)) + 2;
                const int lowest = int(std::floor(u - s0)) - 2;
                for (int d = highest; d >= lowest; --d) {
                    const double a = sepAt(d);
                    const double b = sepAt(d + 1);
                    const double slope = 1 + (b - a) / 2; // of the right eye's position
                    const double from = centre(d) + a / 2;
                    if (slope <= 0 || u < from || u >= from + slope) {
                        continue;
                    }
                    const double t = (u - from) / slope;
                    const double m = centre(d) + t;
                    const double s = a + t * (b - a);
                    // Hidden from the left eye when a point to its left reaches past it there,
                    // by more than half a pixel (less is the sliver a gentle slope hides at
                    // every grey level). Segments end at column centres, so their ends and
                    // this segment's start are the points that reach furthest.
                    const double v = m - s / 2;
                    bool hidden = leftOf(d, centre(d)) > v + 0.5;
                    for (int e = d - 14; e < d && !hidden; ++e) {
                        hidden = leftOf(e, centre(e)) > v + 0.5;
                    }
                    if (!hidden) {
                        sum += s;
                        low = std::min(low, s);
                        high = std::max(high, s);
                        ++seen;
                    }
                    break;
                }
            }
            const size_t i = size_t(y) * size_t(width) + size_t(x);
            const bool shown = 2 * seen > samples;
            map.separation[i] = shown ? float(sum / seen) : None;
            map.low[i] = shown ? float(low) : None;
            map.high[i] = shown ? float(high) : None;
        }
    }
    return map;
}

bool misread(const SeparationMap& decoded, const SeparationMap& expected, int x, int y)
{
    const float got = decoded.at(x, y);
    if (expected.low.empty()) {
        return std::abs(got - expected.at(x, y)) > 1.0f;
    }
    const size_t i = size_t(y) * size_t(expected.width) + size_t(x);
    return got < expected.low[i] - 1.0f || got > expected.high[i] + 1.0f;
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
            const bool wrong = misread(decoded, expected, x, y);
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
            if (high - low <= 1.0f) {
                ++result.inside;
                result.misdecodedInside += wrong ? 1 : 0;
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

SeparationMap fromDecoder(const DepthDecoder::Separations& decoded)
{
    SeparationMap map{decoded.width, decoded.height, decoded.separation, {}, {}};
    for (int y = 0; y < decoded.height; ++y) {
        std::fill_n(map.separation.begin() + qsizetype(y) * decoded.width, decoded.stripWidth,
                    None);
    }
    return map;
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
