#include "render/DepthDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr int Radius = 2;                 // the window reaches this far on each side
constexpr int Window = 2 * Radius + 1;    // rows and columns of the window
constexpr int Halves = 2;                 // separations are tried every half pixel
constexpr std::uint16_t Unmatched = 1530; // a pixel's difference with no partner: the largest
constexpr std::uint16_t Unset = 0xFFFF;   // no cost yet
constexpr int SampleRows = 32;            // rows the strip width is found on
constexpr int SameColour = 6;             // summed channel difference of a repeat
constexpr double LeastRepeats = 0.2;      // of the sampled pixels, at the ground's period
constexpr double LeastClearMatches = 0.4; // of the pixels right of the strip

// The loops over a row's columns, which decide the speed, are built for AVX2 too and run so
// where the processor has it. On 1000 x 800 (processor time) decoding took 126 ms with a
// branch in the lowest-cost loop, 55 ms without, and 50 ms so.
#define Wide __attribute__((target_clones("avx2", "default")))

// The picture as three planes of bytes, so rows compare channel by channel in wide registers.
struct Planes
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> channel[3];

    explicit Planes(const QImage& picture) : width(picture.width()), height(picture.height())
    {
        const QImage image =
            picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32
                ? picture
                : picture.convertToFormat(QImage::Format_RGB32);
        for (auto& plane : channel) {
            plane.resize(size_t(width) * size_t(height));
        }
        for (int y = 0; y < height; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            const size_t at = size_t(y) * size_t(width);
            for (int x = 0; x < width; ++x) {
                channel[0][at + size_t(x)] = std::uint8_t(qRed(row[x]));
                channel[1][at + size_t(x)] = std::uint8_t(qGreen(row[x]));
                channel[2][at + size_t(x)] = std::uint8_t(qBlue(row[x]));
            }
        }
    }
    const std::uint8_t* row(int c, int y) const
    {
        return channel[c].data() + size_t(y) * size_t(width);
    }
};

// Summed channel differences of row y against itself `shift` pixels to the left, for columns
// from .. width - 1 (from >= shift).
void rowDifferences(const Planes& planes, int y, int shift, int from, std::uint16_t* out)
{
    const std::uint8_t* r = planes.row(0, y);
    const std::uint8_t* g = planes.row(1, y);
    const std::uint8_t* b = planes.row(2, y);
    for (int x = from; x < planes.width; ++x) {
        out[x] = std::uint16_t(std::abs(r[x] - r[x - shift]) + std::abs(g[x] - g[x - shift]) +
                               std::abs(b[x] - b[x - shift]));
    }
}

// Twice the summed channel differences of row y against itself `halves` half pixels to the
// left, a half pixel being the mean of the two pixels around it, for columns from .. width - 1
// (from > halves / 2).
Wide void rowHalfDifferences(const Planes& planes, int y, int halves, int from, std::uint16_t* out)
{
    const int near = halves / 2;
    const int far = near + halves % 2;
    const std::uint8_t* r = planes.row(0, y);
    const std::uint8_t* g = planes.row(1, y);
    const std::uint8_t* b = planes.row(2, y);
    for (int x = from; x < planes.width; ++x) {
        out[x] = std::uint16_t(std::abs(2 * r[x] - r[x - near] - r[x - far]) +
                               std::abs(2 * g[x] - g[x - near] - g[x - far]) +
                               std::abs(2 * b[x] - b[x - near] - b[x - far]));
    }
}

// Where between the whole pixels d and d + 1 the picture repeats best: each pixel is compared
// with the mix of two pixels that the separation falls between, so in that interval a window's
// cost is |a - f| G for a repeat at d + a, f the fraction tried and G the window's contrast
// between those pixels. The costs at d, d + 1/2 and d + 1 give a and G. Returns the offset in
// half pixels from the best step `k`, whose costs on either side are in `around`.
double fraction(std::uint16_t best, const std::uint16_t (&around)[4], int k)
{
    // Steps are half pixels from a whole one: an odd step lies in the middle of its interval.
    const bool middle = k % 2 != 0;
    const bool rightHalf = around[2] < around[1];
    if (!middle && (rightHalf ? around[3] : around[0]) == Unset) {
        return 0.0;
    }
    const double c0 = middle ? around[1] : rightHalf ? best : around[0];
    const double ch = middle ? best : rightHalf ? around[2] : around[1];
    const double c1 = middle ? around[2] : rightHalf ? around[3] : best;
    const double contrast = 2 * (std::max(c0, c1) - ch);
    if (contrast <= 0) {
        return 0.0;
    }
    const double a = std::clamp(0.5 + (c0 - c1) / (2 * contrast), 0.0, 1.0);
    // Offsets in half pixels from k: the interval starts 1 before a middle step, at a whole
    // step on its right, 2 before it on its left.
    const double start = middle ? -1 : rightHalf ? 0 : -2;
    return std::clamp(start + 2 * a, -1.0, 1.0);
}

// The window's new row of differences `diff` replaces its oldest, `rowSums` (both summed across
// the window), in the window sums `sums`.
Wide void slideWindow(const std::uint16_t* __restrict diff, std::uint16_t* __restrict rowSums,
                      std::uint16_t* __restrict sums, int from, int width)
{
    for (int x = from; x < width; ++x) {
        const auto sum =
            std::uint16_t(diff[x - 2] + diff[x - 1] + diff[x] + diff[x + 1] + diff[x + 2]);
        sums[x] = std::uint16_t(sums[x] + sum - rowSums[x]);
        rowSums[x] = sum;
    }
}

// The lowest of the costs so far and its step, and the sum of all, with step k's costs `sums`.
Wide void takeLowest(const std::uint16_t* __restrict sums, int k, std::uint16_t* __restrict low,
                     std::uint16_t* __restrict lowStep, std::uint32_t* __restrict total, int from,
                     int width)
{
    for (int x = from; x < width; ++x) {
        const std::uint16_t cost = sums[x];
        const bool lower = cost < low[x];
        low[x] = lower ? cost : low[x];
        lowStep[x] = lower ? std::uint16_t(k) : lowStep[x];
        total[x] += cost;
    }
}

bool plainColour(const Planes& planes)
{
    for (const auto& plane : planes.channel) {
        const auto [low, high] = std::minmax_element(plane.begin(), plane.end());
        if (*high - *low > 2) {
            return false;
        }
    }
    return true;
}

QString tooSmall(const QImage& picture)
{
    return QStringLiteral("the picture is too small to be a stereogram (%1 x %2 pixels; at least "
                          "%3 x %4)")
        .arg(picture.width())
        .arg(picture.height())
        .arg(3 * DepthDecoder::MinStripWidth)
        .arg(DepthDecoder::MinHeight);
}

} // namespace

int DepthDecoder::greyFor(float s, int stripWidth)
{
    return std::clamp(int(std::lround(56 + 8 * (stripWidth - double(s)))), 56, 255);
}

int DepthDecoder::findStripWidth(const QImage& picture, QString* why)
{
    if (picture.width() < 3 * MinStripWidth || picture.height() < MinHeight) {
        *why = tooSmall(picture);
        return 0;
    }
    const Planes planes(picture);
    if (plainColour(planes)) {
        *why = QStringLiteral("the picture is one plain colour, with no pattern to read");
        return 0;
    }
    const int width = planes.width;
    const int longest = width / 2;
    const int rows = std::min(SampleRows, planes.height);
    // repeats[p]: the share of sampled pixels that the pixel p to their left repeats.
    std::vector<double> repeats(size_t(longest) + 2, 0.0);
    std::vector<std::uint16_t> difference(static_cast<size_t>(width));
    for (int p = MinStripWidth; p <= longest; ++p) {
        long long same = 0;
        for (int i = 0; i < rows; ++i) {
            const int y = int((i + 0.5) * planes.height / rows);
            rowDifferences(planes, y, p, p, difference.data());
            for (int x = p; x < width; ++x) {
                same += difference[size_t(x)] <= SameColour ? 1 : 0;
            }
        }
        repeats[size_t(p)] = double(same) / (double(rows) * double(width - p));
    }
    const double most = *std::max_element(repeats.begin(), repeats.end());
    // The nearest surface that repeats about as often as the most frequent one; the ground lies
    // at most MaxShift + 1 further, before that surface's own second repeat.
    int nearest = MinStripWidth;
    while (repeats[size_t(nearest)] < 0.8 * most) {
        ++nearest;
    }
    int ground = 0;
    const int farthest = std::min({longest, nearest + MaxShift + 1, 2 * nearest - 2});
    for (int p = nearest; p <= farthest; ++p) {
        const double here = repeats[size_t(p)];
        const bool peak =
            here > repeats[size_t(p - 1)] && here >= repeats[size_t(p + 1)] && here >= 0.25 * most;
        ground = peak ? p : ground;
    }
    // A period stands out from the periods just beyond it; a smooth picture, which repeats
    // less and less the further it is shifted, has no such period.
    const double beyond = ground > 0 && ground + 3 <= longest
                              ? std::max(repeats[size_t(ground + 2)], repeats[size_t(ground + 3)])
                              : 0.0;
    if (ground == 0 || repeats[size_t(ground)] < LeastRepeats ||
        repeats[size_t(ground)] < 1.5 * beyond) {
        *why = QStringLiteral("no pattern repeats across it, so it is not a stereogram");
        return 0;
    }
    return ground;
}

DepthDecoder::Separations DepthDecoder::separations(const QImage& picture, int stripWidth,
                                                    QString* why)
{
    const Planes planes(picture);
    const int width = planes.width;
    const int height = planes.height;
    Separations result{width, height, stripWidth,
                       std::vector<float>(size_t(width) * size_t(height), 0.0f)};
    const int first = Halves * std::max(1, stripWidth - MaxShift);
    const int last = Halves * std::min(stripWidth + 1, width - 1);
    const int steps = last - first + 1;
    const int from = std::max(0, stripWidth - Radius); // the leftmost column a window reaches
    const size_t span = size_t(width);
    // Per separation: the last Window rows' differences summed across the window, and their
    // sum down it, so each row costs one new row of differences per separation.
    std::vector<std::uint16_t> across(size_t(steps) * Window * span, 0);
    std::vector<std::uint16_t> window(size_t(steps) * span, 0);
    std::vector<std::uint16_t> difference(span + 2 * Radius, 0);
    // Per column of the row being read: the best cost, its separation's index and the sum of
    // all costs. The costs of the separations around the best are read back from `window`.
    std::vector<std::uint16_t> best(span), bestStep(span);
    std::vector<std::uint32_t> total(span);
    std::vector<char> clear(span);
    long long clearCount = 0;
    for (int y = 0; y < height + Radius; ++y) {
        const int slot = y % Window;
        for (int k = 0; k < steps; ++k) {
            const int halves = first + k;
            std::uint16_t* rowSums = across.data() + (size_t(k) * Window + size_t(slot)) * span;
            std::uint16_t* sums = window.data() + size_t(k) * span;
            std::uint16_t* diff = difference.data() + Radius;
            if (y < height) {
                const int start = std::max(from, (halves + 1) / 2);
                std::fill(diff + from, diff + start, Unmatched);
                rowHalfDifferences(planes, y, halves, start, diff);
            } else {
                std::fill(diff + from, diff + width, std::uint16_t(0));
            }
            slideWindow(diff, rowSums, sums, from, width);
        }
        const int out = y - Radius;
        if (out < 0) {
            continue;
        }
        std::fill(best.begin(), best.end(), Unset);
        std::fill(total.begin(), total.end(), 0u);
        for (int k = 0; k < steps; ++k) {
            takeLowest(window.data() + size_t(k) * span, k, best.data(), bestStep.data(),
                       total.data(), stripWidth, width);
        }
        float* separation = result.separation.data() + size_t(out) * span;
        for (int x = stripWidth; x < width; ++x) {
            const size_t i = size_t(x);
            const int k = bestStep[i];
            const auto costAt = [&](int step) {
                return step >= 0 && step < steps ? window[size_t(step) * span + i] : Unset;
            };
            const std::uint16_t around[4] = {costAt(k - 2), costAt(k - 1), costAt(k + 1),
                                             costAt(k + 2)};
            // A clear match is a minimum inside the range, below 5/8 of the average cost.
            clear[i] = around[1] != Unset && around[2] != Unset &&
                       8 * double(best[i]) * steps < 5 * double(total[i]);
            clearCount += clear[i];
            separation[x] =
                float((first + k + (clear[i] ? fraction(best[i], around, k) : 0.0)) / Halves);
        }
        // Runs without a clear match take the farther of the clear matches at their ends: a
        // stretch one eye sees alone lies behind the surface that hides it from the other.
        for (int x = stripWidth; x < width;) {
            if (clear[size_t(x)]) {
                ++x;
                continue;
            }
            int end = x;
            while (end < width && !clear[size_t(end)]) {
                ++end;
            }
            const float leftEnd = x > stripWidth ? separation[x - 1] : 0.0f;
            const float rightEnd = end < width ? separation[end] : 0.0f;
            // A row with no clear match at all (a plain band) is ground.
            const float fill = std::max(leftEnd, rightEnd);
            std::fill(separation + x, separation + end, fill > 0 ? fill : float(stripWidth));
            x = end;
        }
    }
    const double pixels = double(width - stripWidth) * double(height);
    if (why && double(clearCount) < LeastClearMatches * pixels) {
        *why = QStringLiteral("it does not repeat at a strip width of %1 pixels (%2 % of its "
                              "pixels match), so it is not a stereogram of that strip width")
                   .arg(stripWidth)
                   .arg(int(100 * double(clearCount) / pixels));
    }
    return result;
}

bool DepthDecoder::decode(const QImage& picture, int stripWidth, Result* result, QString* why)
{
    if (picture.width() < 3 * MinStripWidth || picture.height() < MinHeight) {
        *why = tooSmall(picture);
        return false;
    }
    if (stripWidth == 0) {
        stripWidth = findStripWidth(picture, why);
        if (stripWidth == 0) {
            return false;
        }
    } else if (stripWidth < MinStripWidth || 2 * stripWidth > picture.width()) {
        *why = QStringLiteral("a strip width of %1 pixels does not fit a picture %2 pixels wide "
                              "(from %3 to half its width)")
                   .arg(stripWidth)
                   .arg(picture.width())
                   .arg(MinStripWidth);
        return false;
    }
    QString refused;
    const Separations map = separations(picture, stripWidth, &refused);
    if (!refused.isEmpty()) {
        *why = refused;
        return false;
    }
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    result->stripWidth = stripWidth;
    result->patternStrip.setImage(image.copy(0, 0, stripWidth, image.height()));
    RasterImage depth(image.width() - stripWidth, image.height());
    for (int y = 0; y < depth.height(); ++y) {
        QRgb* row = depth.scanLine(y);
        for (int x = 0; x < depth.width(); ++x) {
            const int grey = greyFor(map.at(x + stripWidth, y), stripWidth);
            row[x] = qRgb(grey, grey, grey);
        }
    }
    result->depthMap = depth;
    return true;
}
