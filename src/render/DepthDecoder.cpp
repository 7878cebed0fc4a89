#include "render/DepthDecoder.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <thread>

namespace {

constexpr int Radius = 2;                 // the window reaches this far on each side
constexpr int Window = 2 * Radius + 1;    // rows and columns of the window
constexpr int Halves = 2;                 // separations are tried every half pixel
constexpr std::uint16_t Unmatched = 1530; // a pixel's difference with no partner: the largest
constexpr std::uint16_t Unset = 0xFFFF;   // no cost yet
constexpr int SampleRows = 16;            // rows the strip width is found on
constexpr int SameColour = 6;             // summed channel difference of a repeat
constexpr double LeastRepeats = 0.2;      // of the sampled pixels, at the ground's period
constexpr double LeastClearMatches = 0.4; // of the pixels right of the strip

// The loops over a row's columns, which decide the speed, are built for AVX2 too and run so
// where the processor has it. On 1000 x 800 (processor time) decoding took 126 ms with a
// branch in the lowest-cost loop, 55 ms without, and 50 ms so, trying every separation at
// every pixel; trying those of the row above, about 7 per pixel instead of 54, 27 ms; and with
// the two halves of the picture read at once, 18 ms on the calling thread (on two cores shared
// with other work the time to the answer varied from 18 to 30 ms).
#define Wide __attribute__((target_clones("avx2", "default")))

Wide void split(const QRgb* __restrict row, int width, std::uint8_t* __restrict r,
                std::uint8_t* __restrict g, std::uint8_t* __restrict b)
{
    for (int x = 0; x < width; ++x) {
        r[x] = std::uint8_t(row[x] >> 16);
        g[x] = std::uint8_t(row[x] >> 8);
        b[x] = std::uint8_t(row[x]);
    }
}

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
            const size_t at = size_t(y) * size_t(width);
            split(reinterpret_cast<const QRgb*>(image.constScanLine(y)), width,
                  channel[0].data() + at, channel[1].data() + at, channel[2].data() + at);
        }
    }
    const std::uint8_t* row(int c, int y) const
    {
        return channel[c].data() + size_t(y) * size_t(width);
    }
};

// How many pixels of row y the pixel `shift` to their left repeats, for columns shift ..
// width - 1.
Wide int rowRepeats(const Planes& planes, int y, int shift)
{
    const std::uint8_t* r = planes.row(0, y);
    const std::uint8_t* g = planes.row(1, y);
    const std::uint8_t* b = planes.row(2, y);
    const auto difference = [](std::uint8_t p, std::uint8_t q) {
        return std::uint8_t(p > q ? p - q : q - p);
    };
    // Byte arithmetic throughout, so wide registers hold the most pixels: no single difference
    // above SameColour can be part of a repeat, and the sum of three below it cannot overflow.
    int same = 0;
    for (int x = shift; x < planes.width;) {
        const int end = std::min(planes.width, x + 255);
        std::uint8_t count = 0;
        for (; x < end; ++x) {
            const std::uint8_t dr = difference(r[x], r[x - shift]);
            const std::uint8_t dg = difference(g[x], g[x - shift]);
            const std::uint8_t db = difference(b[x], b[x - shift]);
            const bool repeat = dr <= SameColour && dg <= SameColour && db <= SameColour &&
                                std::uint8_t(dr + dg + db) <= SameColour;
            count = std::uint8_t(count + (repeat ? 1 : 0));
        }
        same += count;
    }
    return same;
}

// Twice the summed channel differences of row y against itself `halves` half pixels to the
// left, a half pixel being the mean of the two pixels around it, for columns from .. to - 1
// (from > halves / 2).
Wide void rowHalfDifferences(const Planes& planes, int y, int halves, int from, int to,
                             std::uint16_t* out)
{
    const int near = halves / 2;
    const int far = near + halves % 2;
    const std::uint8_t* r = planes.row(0, y);
    const std::uint8_t* g = planes.row(1, y);
    const std::uint8_t* b = planes.row(2, y);
    for (int x = from; x < to; ++x) {
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

// The lowest of the costs so far and its step, with step k's costs `sums`; of equal costs the
// lower step wins, so the steps may come in any order.
Wide void takeLowest(const std::uint16_t* __restrict sums, int k, std::uint16_t* __restrict low,
                     std::uint16_t* __restrict lowStep, int from, int to)
{
    for (int x = from; x < to; ++x) {
        const std::uint16_t cost = sums[x];
        const bool lower = cost < low[x] || (cost == low[x] && k < lowStep[x]);
        low[x] = lower ? cost : low[x];
        lowStep[x] = lower ? std::uint16_t(k) : lowStep[x];
    }
}

// Twice the summed channel differences of row y against itself `shift` pixels to the left,
// added to `out` for columns from .. width - 1; columns with no partner add Unmatched.
Wide void addWholeDifferences(const Planes& planes, int y, int shift, int from,
                              std::uint16_t* __restrict out)
{
    const std::uint8_t* r = planes.row(0, y);
    const std::uint8_t* g = planes.row(1, y);
    const std::uint8_t* b = planes.row(2, y);
    const int start = std::max(from, shift);
    for (int x = from; x < start; ++x) {
        out[x] = std::uint16_t(out[x] + Unmatched);
    }
    for (int x = start; x < planes.width; ++x) {
        out[x] = std::uint16_t(out[x] +
                               2 * (std::abs(r[x] - r[x - shift]) + std::abs(g[x] - g[x - shift]) +
                                    std::abs(b[x] - b[x - shift])));
    }
}

// Where the separations are found, block by block of columns along each row: a block tries the
// separations its row above matched, and the steps around them; where a pixel there then
// matches poorly (an edge of a surface, a stretch one eye sees alone), it tries every whole
// pixel and then the half pixels around the best. Each
// step's window sums slide down the picture, so a step that a block kept trying costs one new
// row of differences; one that it takes up again is brought up to date first.
constexpr int Block = 32;       // columns
constexpr int Margin = 2;       // steps tried on either side of the row above's separations
constexpr int Reach = 4;        // columns of the row above that a block also looks at
constexpr int Recheck = 4;      // rows between full searches of poor matches under poor ones
constexpr int SplitHeight = 64; // the least height read in two halves at once

// How far left and right of a block its differences are taken, in whole wide registers.
constexpr int BlockReach = 8;

// slideWindow over one block of columns x0 .. x0 + Block - 1 inside the picture, with the
// differences of row y taken on the way: the same sums, in loops of fixed length.
Wide void slideBlock(const Planes& planes, int y, int halves, int x0,
                     std::uint16_t* __restrict rowSums, std::uint16_t* __restrict sums)
{
    constexpr int Span = Block + 2 * BlockReach;
    const int near = halves / 2;
    const int far = near + halves % 2;
    const std::uint8_t* r = planes.row(0, y) + (x0 - BlockReach);
    const std::uint8_t* g = planes.row(1, y) + (x0 - BlockReach);
    const std::uint8_t* b = planes.row(2, y) + (x0 - BlockReach);
    std::uint16_t diff[Span];
    for (int i = 0; i < Span; ++i) {
        diff[i] = std::uint16_t(std::abs(2 * r[i] - r[i - near] - r[i - far]) +
                                std::abs(2 * g[i] - g[i - near] - g[i - far]) +
                                std::abs(2 * b[i] - b[i - near] - b[i - far]));
    }
    const std::uint16_t* d = diff + BlockReach;
    for (int i = 0; i < Block; ++i) {
        const auto sum = std::uint16_t(d[i - 2] + d[i - 1] + d[i] + d[i + 1] + d[i + 2]);
        sums[x0 + i] = std::uint16_t(sums[x0 + i] + sum - rowSums[x0 + i]);
        rowSums[x0 + i] = sum;
    }
}

std::uint64_t stepsAround(int k, int reach, int steps)
{
    const int low = std::max(0, k - reach);
    const int high = std::min(steps - 1, k + reach);
    return (~std::uint64_t(0) >> (63 - (high - low))) << low;
}

class StepCosts
{
public:
    StepCosts(const Planes& planes, int stripWidth, int first, int steps)
        : m_planes(planes), m_stripWidth(stripWidth), m_first(first), m_steps(steps),
          m_blocks((planes.width - stripWidth + Block - 1) / Block),
          m_across(size_t(steps) * Window * size_t(planes.width), 0),
          m_window(size_t(steps) * size_t(planes.width), 0),
          m_difference(size_t(planes.width) + 2 * Radius, 0),
          m_stamp(size_t(steps) * size_t(m_blocks), -2 * Window)
    {}
    int blocks() const { return m_blocks; }
    // Step k's window sums, for the columns of the blocks brought up to date.
    const std::uint16_t* sums(int k) const
    {
        return m_window.data() + size_t(k) * size_t(m_planes.width);
    }
    // Brings step k's window sums in block b to the window whose lowest row is y.
    void update(int k, int b, int y)
    {
        int& stamp = m_stamp[size_t(k) * size_t(m_blocks) + size_t(b)];
        if (stamp == y) {
            return;
        }
        const int x0 = m_stripWidth + b * Block;
        const int x1 = std::min(x0 + Block, m_planes.width);
        const size_t span = size_t(m_planes.width);
        int row = stamp + 1;
        if (y - stamp > Window) {
            // Nothing of the window it holds is current: start it afresh.
            std::uint16_t* sums = m_window.data() + size_t(k) * span;
            std::fill(sums + x0, sums + x1, std::uint16_t(0));
            for (int slot = 0; slot < Window; ++slot) {
                std::uint16_t* rowSums =
                    m_across.data() + (size_t(k) * Window + size_t(slot)) * span;
                std::fill(rowSums + x0, rowSums + x1, std::uint16_t(0));
            }
            row = y - Window + 1;
        }
        for (; row <= y; ++row) {
            addRow(k, x0, x1, row);
        }
        stamp = y;
    }

private:
    void addRow(int k, int x0, int x1, int y)
    {
        const int halves = m_first + k;
        const size_t span = size_t(m_planes.width);
        const int slot = (y + Window) % Window;
        std::uint16_t* rowSums = m_across.data() + (size_t(k) * Window + size_t(slot)) * span;
        std::uint16_t* sums = m_window.data() + size_t(k) * span;
        if (y >= 0 && y < m_planes.height && x1 - x0 == Block &&
            x0 - BlockReach >= (halves + 1) / 2 && x1 + BlockReach <= m_planes.width) {
            slideBlock(m_planes, y, halves, x0, rowSums, sums);
            return;
        }
        const int from = x0 - Radius;
        const int to = std::min(x1 + Radius, m_planes.width);
        std::uint16_t* diff = m_difference.data() + Radius;
        if (y >= 0 && y < m_planes.height) {
            const int start = std::clamp((halves + 1) / 2, from, to);
            std::fill(diff + from, diff + start, Unmatched);
            rowHalfDifferences(m_planes, y, halves, start, to, diff);
        } else {
            std::fill(diff + from, diff + to, std::uint16_t(0));
        }
        slideWindow(diff, rowSums, sums, x0, x1);
    }

    const Planes& m_planes;
    int m_stripWidth;
    int m_first;
    int m_steps;
    int m_blocks;
    std::vector<std::uint16_t> m_across;     // per step and row of the window: summed across it
    std::vector<std::uint16_t> m_window;     // per step: summed down the window too
    std::vector<std::uint16_t> m_difference; // one row's, with room for the window's reach
    std::vector<int> m_stamp;                // per step and block: the lowest row summed
};

// A pixel's average cost over all steps, estimated from the window's differences at every
// fourth whole separation, so that blocks which try a few steps still know a clear match (every
// second one read the same figures on the test pictures and took twice as long).
class AverageCost
{
public:
    AverageCost(const Planes& planes, int stripWidth, int nearest, int farthest)
        : m_planes(planes), m_stripWidth(stripWidth),
          m_across(size_t(Window) * size_t(planes.width), 0), m_window(size_t(planes.width), 0),
          m_difference(size_t(planes.width) + 2 * Radius, 0)
    {
        for (int shift = nearest; shift <= farthest; shift += 4) {
            m_shifts.push_back(shift);
        }
    }
    // The number of separations whose costs are summed.
    std::uint32_t samples() const { return std::uint32_t(m_shifts.size()); }
    // The sums at each column for the window whose lowest row is y; rows come one by one.
    const std::uint32_t* sums() const { return m_window.data(); }
    void addRow(int y)
    {
        const int width = m_planes.width;
        const int from = m_stripWidth - Radius;
        std::uint16_t* diff = m_difference.data() + Radius;
        std::fill(diff + from, diff + width, std::uint16_t(0));
        if (y < m_planes.height) {
            for (const int shift : m_shifts) {
                addWholeDifferences(m_planes, y, shift, from, diff);
            }
        }
        std::uint32_t* rowSums = m_across.data() + size_t(y % Window) * size_t(width);
        for (int x = m_stripWidth; x < width; ++x) {
            const std::uint32_t sum =
                std::uint32_t(diff[x - 2]) + diff[x - 1] + diff[x] + diff[x + 1] + diff[x + 2];
            m_window[size_t(x)] += sum - rowSums[x];
            rowSums[x] = sum;
        }
    }

private:
    const Planes& m_planes;
    int m_stripWidth;
    std::vector<int> m_shifts;
    std::vector<std::uint32_t> m_across;
    std::vector<std::uint32_t> m_window;
    std::vector<std::uint16_t> m_difference;
};

// Reads rows top .. bottom - 1 into `separations` (the whole picture's), on its own: the first
// of them searches every separation, as if no row were above it. Returns how many pixels
// matched clearly.
long long readRows(const Planes& planes, int stripWidth, int top, int bottom, float* separations)
{
    const int width = planes.width;
    const int first = Halves * std::max(1, stripWidth - DepthDecoder::MaxShift);
    const int last = Halves * std::min(stripWidth + 1, width - 1);
    const int steps = last - first + 1;
    // A search of them all tries the whole pixels, and then the closest match's neighbours.
    std::uint64_t wholeSteps = 0;
    for (int k = 0; k < steps; k += 2) {
        wholeSteps |= std::uint64_t(1) << k;
    }
    const size_t span = size_t(width);
    StepCosts costs(planes, stripWidth, first, steps);
    AverageCost average(planes, stripWidth, first / Halves, last / Halves);
    const std::uint32_t samples = average.samples();
    // Per column of the row being read: the best cost and its step, and whether it matches
    // clearly (until then the row above's); of the row above: the steps a block tries for it.
    std::vector<std::uint16_t> best(span), bestStep(span);
    std::vector<char> clear(span);
    std::vector<std::uint64_t> stepsAbove(span, 0);
    // Per step: itself and its neighbours, which a block tries for a pixel above it, and
    // those that its pixel's fraction of a pixel needs.
    std::vector<std::uint64_t> tryAround(static_cast<size_t>(steps));
    std::vector<std::uint64_t> fractionNeeds(static_cast<size_t>(steps));
    for (int k = 0; k < steps; ++k) {
        tryAround[size_t(k)] = stepsAround(k, Margin, steps);
        fractionNeeds[size_t(k)] = stepsAround(k, 2, steps);
    }
    long long clearCount = 0;
    for (int y = std::max(0, top - Radius); y < bottom + Radius; ++y) {
        average.addRow(y);
        const int out = y - Radius;
        if (out < top) {
            continue;
        }
        const std::uint32_t* total = average.sums();
        for (int b = 0; b < costs.blocks(); ++b) {
            const int x0 = stripWidth + b * Block;
            const int x1 = std::min(x0 + Block, width);
            std::fill(best.begin() + x0, best.begin() + x1, Unset);
            std::fill(bestStep.begin() + x0, bestStep.begin() + x1, std::uint16_t(0));
            std::uint64_t wanted = out == top ? wholeSteps : 0;
            for (int x = std::max(stripWidth, x0 - Reach);
                 out > top && x < std::min(width, x1 + Reach); ++x) {
                wanted |= stepsAbove[size_t(x)];
            }
            std::uint64_t tried = 0;
            for (;;) {
                for (std::uint64_t left = wanted & ~tried; left != 0; left &= left - 1) {
                    const int k = std::countr_zero(left);
                    costs.update(k, b, y);
                    takeLowest(costs.sums(k), k, best.data(), bestStep.data(), x0, x1);
                }
                tried |= wanted;
                std::uint64_t around = 0;
                bool poor = false;
                const bool recheck = (out + b) % Recheck == 0;
                for (int x = x0; x < x1; ++x) {
                    const std::uint32_t cost = best[size_t(x)];
                    // A poor match under a clear one is the top of a surface the row above
                    // did not show; under no clear match, a stretch one eye sees alone, or a
                    // picture that does not repeat, so it is searched only every few rows.
                    poor |= 4 * samples * cost >= 3 * total[x] && (clear[size_t(x)] || recheck);
                    around |=
                        8 * samples * cost < 5 * total[x] ? fractionNeeds[bestStep[size_t(x)]] : 0;
                }
                if (poor && (wholeSteps & ~tried) != 0) {
                    wanted = tried | wholeSteps;
                } else if ((around & ~tried) != 0) {
                    wanted = tried | around;
                } else {
                    break;
                }
            }
        }
        float* separation = separations + size_t(out) * span;
        for (int x = stripWidth; x < width; ++x) {
            const size_t i = size_t(x);
            const int k = bestStep[i];
            const auto costAt = [&](int step) {
                return unsigned(step) < unsigned(steps) ? costs.sums(step)[i] : Unset;
            };
            const std::uint16_t around[4] = {costAt(k - 2), costAt(k - 1), costAt(k + 1),
                                             costAt(k + 2)};
            // A clear match is a minimum inside the range, below 5/8 of the average cost.
            clear[i] =
                around[1] != Unset && around[2] != Unset && 8 * samples * best[i] < 5 * total[i];
            clearCount += clear[i];
            stepsAbove[i] = clear[i] ? tryAround[size_t(k)] : 0;
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
    return clearCount;
}

DepthDecoder::Separations separationsOf(const Planes& planes, int stripWidth, QString* why)
{
    const int width = planes.width;
    const int height = planes.height;
    DepthDecoder::Separations result{width, height, stripWidth,
                                     std::vector<float>(size_t(width) * size_t(height), 0.0f)};
    // The top and the bottom half are read at once on pictures tall enough to gain by it; the
    // halves are fixed by the height alone, so the map does not depend on the machine.
    long long clearCount = 0;
    const int middle = height >= SplitHeight ? height / 2 : height;
    long long lowerCount = 0;
    std::exception_ptr failed;
    std::thread lower;
    if (middle < height) {
        lower = std::thread([&] {
            try {
                lowerCount = readRows(planes, stripWidth, middle, height, result.separation.data());
            } catch (...) {
                failed = std::current_exception();
            }
        });
    }
    try {
        clearCount = readRows(planes, stripWidth, 0, middle, result.separation.data());
    } catch (...) {
        if (lower.joinable()) {
            lower.join();
        }
        throw;
    }
    if (lower.joinable()) {
        lower.join();
    }
    if (failed) {
        std::rethrow_exception(failed);
    }
    clearCount += lowerCount;
    const double pixels = double(width - stripWidth) * double(height);
    if (why && double(clearCount) < LeastClearMatches * pixels) {
        *why = QStringLiteral("it does not repeat at a strip width of %1 pixels (%2 % of its "
                              "pixels match), so it is not a stereogram of that strip width")
                   .arg(stripWidth)
                   .arg(int(100 * double(clearCount) / pixels));
    }
    return result;
}

// DepthDecoder::greyFor over a row, as colours.
Wide void toGreys(const float* __restrict separation, int width, int stripWidth,
                  QRgb* __restrict row)
{
    for (int x = 0; x < width; ++x) {
        // Truncation is the floor of what the clamp keeps: 56.5 and more.
        const double level = 56.5 + 8 * (stripWidth - double(separation[x]));
        const auto grey = std::uint32_t(int(std::clamp(level, 56.0, 255.0)));
        row[x] = 0xFF000000u | grey << 16 | grey << 8 | grey;
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
    // Rounds half away from zero for what the clamp keeps, without a library call per pixel.
    return std::clamp(int(std::floor(56.5 + 8 * (stripWidth - double(s)))), 56, 255);
}

namespace {

int stripWidthOf(const Planes& planes, QString* why)
{
    if (plainColour(planes)) {
        *why = QStringLiteral("the picture is one plain colour, with no pattern to read");
        return 0;
    }
    const int width = planes.width;
    const int longest = width / 2;
    const int rows = std::min(SampleRows, planes.height);
    // repeats[p]: the share of sampled pixels that the pixel p to their left repeats.
    std::vector<double> repeats(size_t(longest) + 2, 0.0);
    for (int p = DepthDecoder::MinStripWidth; p <= longest; ++p) {
        long long same = 0;
        for (int i = 0; i < rows; ++i) {
            same += rowRepeats(planes, int((i + 0.5) * planes.height / rows), p);
        }
        repeats[size_t(p)] = double(same) / (double(rows) * double(width - p));
    }
    const double most = *std::max_element(repeats.begin(), repeats.end());
    // The nearest surface that repeats about as often as the most frequent one; the ground lies
    // at most MaxShift + 1 further, before that surface's own second repeat.
    int nearest = DepthDecoder::MinStripWidth;
    while (repeats[size_t(nearest)] < 0.8 * most) {
        ++nearest;
    }
    int ground = 0;
    const int farthest = std::min({longest, nearest + DepthDecoder::MaxShift + 1, 2 * nearest - 2});
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

} // namespace

int DepthDecoder::findStripWidth(const QImage& picture, QString* why)
{
    if (picture.width() < 3 * MinStripWidth || picture.height() < MinHeight) {
        *why = tooSmall(picture);
        return 0;
    }
    return stripWidthOf(Planes(picture), why);
}

DepthDecoder::Separations DepthDecoder::separations(const QImage& picture, int stripWidth,
                                                    QString* why)
{
    return separationsOf(Planes(picture), stripWidth, why);
}

bool DepthDecoder::decode(const QImage& picture, int stripWidth, Result* result, QString* why)
{
    if (picture.width() < 3 * MinStripWidth || picture.height() < MinHeight) {
        *why = tooSmall(picture);
        return false;
    }
    const Planes planes(picture);
    if (stripWidth == 0) {
        stripWidth = stripWidthOf(planes, why);
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
    const Separations map = separationsOf(planes, stripWidth, &refused);
    if (!refused.isEmpty()) {
        *why = refused;
        return false;
    }
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    result->stripWidth = stripWidth;
    result->patternStrip.setImage(image.copy(0, 0, stripWidth, image.height()));
    RasterImage depth(image.width() - stripWidth, image.height());
    for (int y = 0; y < depth.height(); ++y) {
        toGreys(&map.separation[size_t(y) * size_t(map.width) + size_t(stripWidth)], depth.width(),
                stripWidth, depth.scanLine(y));
    }
    result->depthMap = depth;
    return true;
}
