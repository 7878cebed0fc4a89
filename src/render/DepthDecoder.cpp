#include "render/DepthDecoder.h"

#include "render/ShareOut.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <new>
#include <numeric>
#include <thread>

namespace {

constexpr int Radius = 2;                 // the window reaches this far on each side
constexpr int Window = 2 * Radius + 1;    // rows and columns of the window
constexpr int Halves = 2;                 // separations are tried every half pixel
constexpr std::uint16_t Unmatched = 1530; // a pixel's difference with no partner: the largest
constexpr std::uint16_t Unset = 0xFFFF;   // no cost yet
constexpr std::uint8_t NoStep = 63;       // no step: beyond every range of steps
constexpr int SampleRows = 16;            // rows the strip width is found on
constexpr int SameColour = 6;             // summed channel difference of a repeat
constexpr double LeastRepeats = 0.2;      // of the sampled pixels, at the ground's period
constexpr double LeastClearMatches = 0.4; // of the pixels right of the strip
constexpr int SplitHeight = 64;           // the least height read on two threads
constexpr int Parts = 8;                  // of the work shared out other than the reading

// The loops over a row's columns, which decide the speed, are built for AVX2 too and run so
// where the processor has it. On 1000 x 800 (processor time) decoding took 126 ms with a
// branch in the lowest-cost loop, 55 ms without, and 50 ms so, trying every separation at
// every pixel; trying those of the row above, about 7 per pixel instead of 54, 27 ms; and with
// the two halves of the picture read at once, 18 ms on the calling thread (on two cores shared
// with other work the time to the answer varied from 18 to 30 ms). Then, with the lowest cost
// and its step packed into one number, the fraction worked out in wide registers, blocks of 64
// columns that try only the steps their fractions need, the further steps of the row above up
// front, searches under unclear stretches every 16 rows instead of every 4, the strip width
// found coarse to fine and no buffer cleared that is written anyway: 28 ms of processor time
// in all became 16 ms, and the time to the answer 11 to 17 ms.
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
    // Bytes after the last row that loops in whole wide registers may read.
    static constexpr int Padding = 32;
    // Left unset until split fills them: clearing them first took as long as the split.
    std::unique_ptr<std::uint8_t[]> channel[3];

    explicit Planes(const QImage& picture) : width(picture.width()), height(picture.height())
    {
        const QImage image =
            picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32
                ? picture
                : picture.convertToFormat(QImage::Format_RGB32);
        for (auto& plane : channel) {
            plane = std::make_unique_for_overwrite<std::uint8_t[]>(size() + Padding);
            std::fill_n(plane.get() + size(), Padding, std::uint8_t(0));
        }
        // In parts on two threads, as the rest of the decoding.
        shareOut(height >= SplitHeight, Parts, [&](int part) {
            for (int y = part * height / Parts; y < (part + 1) * height / Parts; ++y) {
                const size_t at = size_t(y) * size_t(width);
                split(reinterpret_cast<const QRgb*>(image.constScanLine(y)), width,
                      channel[0].get() + at, channel[1].get() + at, channel[2].get() + at);
            }
        });
    }
    size_t size() const { return size_t(width) * size_t(height); }
    const std::uint8_t* row(int c, int y) const
    {
        return channel[c].get() + size_t(y) * size_t(width);
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
    // Byte arithmetic throughout, so wide registers hold the most pixels: a difference capped
    // just above SameColour still fails the test alone, and the sum of three cannot overflow.
    constexpr std::uint8_t Cap = SameColour + 1;
    int same = 0;
    for (int x = shift; x < planes.width;) {
        // At most 255 pixels, so that the count fits in a byte, in whole wide registers.
        const int end = std::min(planes.width, x + 224);
        std::uint8_t count = 0;
        for (; x < end; ++x) {
            const std::uint8_t dr = std::min(difference(r[x], r[x - shift]), Cap);
            const std::uint8_t dg = std::min(difference(g[x], g[x - shift]), Cap);
            const std::uint8_t db = std::min(difference(b[x], b[x - shift]), Cap);
            count = std::uint8_t(count + (std::uint8_t(dr + dg + db) <= SameColour ? 1 : 0));
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

// Twice the summed channel differences of row y against itself `shift` pixels to the left,
// added to `out` for columns from .. width - 1 (and some of `out`'s padding after them);
// columns with no partner add Unmatched.
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
    // Differences of bytes as bytes, so that wide registers hold the most of them.
    const auto difference = [](std::uint8_t p, std::uint8_t q) {
        return std::uint8_t(std::max(p, q) - std::min(p, q));
    };
    // On to a whole number of wide registers past the row's end, into the padding of `out`
    // and of the planes: a loop's remainder taken pixel by pixel cost as much as the rest.
    const int end =
        start + (planes.width - start + Planes::Padding - 1) / Planes::Padding * Planes::Padding;
    for (int x = start; x < end; ++x) {
        out[x] = std::uint16_t(out[x] + 2 * (difference(r[x], r[x - shift]) +
                                             difference(g[x], g[x - shift]) +
                                             difference(b[x], b[x - shift])));
    }
}

// Where the separations are found, block by block of columns along each row: a block tries the
// separations its row above matched, and the steps around them; where a pixel there then
// matches poorly (an edge of a surface, a stretch one eye sees alone), it tries every whole
// pixel and then the half pixels around the best. Each
// step's window sums slide down the picture, so a step that a block kept trying costs one new
// row of differences; one that it takes up again is brought up to date first.
constexpr int Block = 64;   // columns
constexpr int Margin = 1;   // steps tried on either side of the row above's separations
constexpr int Reach = 4;    // columns of the row above that a block also looks at
constexpr int Recheck = 16; // rows between full searches of poor matches under poor ones

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

class StepCosts
{
public:
    StepCosts(const Planes& planes, int stripWidth, int first, int steps)
        : m_planes(planes), m_stripWidth(stripWidth), m_first(first),
          m_blocks((planes.width - stripWidth + Block - 1) / Block),
          m_across(std::make_unique_for_overwrite<std::uint16_t[]>(size_t(steps) * Window *
                                                                   size_t(planes.width))),
          m_window(size_t(steps) * size_t(planes.width) + Block, 0),
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
                    m_across.get() + (size_t(k) * Window + size_t(slot)) * span;
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
        std::uint16_t* rowSums = m_across.get() + (size_t(k) * Window + size_t(slot)) * span;
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
    int m_blocks;
    // Per step and row of the window: summed across it. Left unset: a block clears its part
    // when it first takes a step up.
    std::unique_ptr<std::uint16_t[]> m_across;
    std::vector<std::uint16_t> m_window;     // per step: summed down the window too
    std::vector<std::uint16_t> m_difference; // one row's, with room for the window's reach
    std::vector<int> m_stamp;                // per step and block: the lowest row summed
};

// slideWindow with sums of 32 bits.
Wide void slideWideWindow(const std::uint16_t* __restrict diff, std::uint32_t* __restrict rowSums,
                          std::uint32_t* __restrict sums, int from, int width)
{
    for (int x = from; x < width; ++x) {
        const std::uint32_t sum =
            std::uint32_t(diff[x - 2]) + diff[x - 1] + diff[x] + diff[x + 1] + diff[x + 2];
        sums[x] += sum - rowSums[x];
        rowSums[x] = sum;
    }
}

// A pixel's average cost over all steps, estimated from the window's differences at every
// fourth whole separation, so that blocks which try a few steps still know a clear match (every
// second one read the same figures on the test pictures and took twice as long).
class AverageCost
{
public:
    AverageCost(const Planes& planes, int stripWidth, int nearest, int farthest)
        : m_planes(planes), m_stripWidth(stripWidth),
          m_across(size_t(Window) * size_t(planes.width), 0),
          // A block at the right edge reads whole lanes past the picture's last column.
          m_window(size_t(planes.width) + Block, 0),
          m_difference(size_t(planes.width) + 2 * Radius + Planes::Padding, 0)
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
        std::fill(diff + from, diff + width + Planes::Padding, std::uint16_t(0));
        if (y < m_planes.height) {
            for (const int shift : m_shifts) {
                addWholeDifferences(m_planes, y, shift, from, diff);
            }
        }
        // The window reaches past the picture's right edge onto nothing.
        std::fill(diff + width, diff + width + Radius, std::uint16_t(0));
        slideWideWindow(diff, m_across.data() + size_t(y % Window) * size_t(width), m_window.data(),
                        m_stripWidth, width);
    }

private:
    const Planes& m_planes;
    int m_stripWidth;
    std::vector<int> m_shifts;
    std::vector<std::uint32_t> m_across;
    std::vector<std::uint32_t> m_window;
    std::vector<std::uint16_t> m_difference;
};

// Step k's costs `sums` for one block's columns, kept where lower than `low`, each packed as
// cost << 16 | step: of equal costs the lower step wins, so the steps may come in any order.
Wide void takeLowest(const std::uint16_t* __restrict sums, int k, std::uint32_t* __restrict low)
{
    for (int i = 0; i < Block; ++i) {
        low[i] = std::min(low[i], std::uint32_t(sums[i]) << 16 | std::uint32_t(k));
    }
}

// Of step k's costs `sums`, those of the steps up to two from each pixel's best step `step`,
// into `around` (steps best - 2, best - 1, best + 1, best + 2).
Wide void takeAround(const std::uint16_t* __restrict sums, int k,
                     const std::uint16_t* __restrict step,
                     std::uint16_t (*__restrict around)[Block])
{
    for (int i = 0; i < Block; ++i) {
        const std::uint16_t cost = sums[i];
        const std::uint16_t at = step[i];
        const std::uint16_t was[4] = {around[0][i], around[1][i], around[2][i], around[3][i]};
        around[0][i] = at == std::uint16_t(k + 2) ? cost : was[0];
        around[1][i] = at == std::uint16_t(k + 1) ? cost : was[1];
        around[2][i] = at == std::uint16_t(k - 1) ? cost : was[2];
        around[3][i] = at == std::uint16_t(k - 2) ? cost : was[3];
    }
}

// Of a block's first n pixels, with lowest costs `low` (packed as takeLowest leaves them) and
// average costs `total` over `samples` steps: whether one matches poorly where it is searched,
// under a clear match of the row above (`clearAbove`) or on a `recheck` row; and in `fits`, the
// steps of those that may match clearly, as bits.
Wide bool survey(const std::uint32_t* __restrict low, const std::uint32_t* __restrict total,
                 const char* __restrict clearAbove, bool recheck, std::uint32_t samples, int n,
                 std::uint64_t* __restrict fits)
{
    std::uint64_t steps = 0;
    std::uint32_t poor = 0;
    for (int i = 0; i < n; ++i) {
        const std::uint32_t cost = low[i] >> 16;
        const std::uint32_t sum = total[i];
        // A poor match under a clear one is the top of a surface the row above did not show;
        // under no clear match, a stretch one eye sees alone, or a picture that does not
        // repeat, so it is searched only every few rows.
        poor |= std::uint32_t(4 * samples * cost >= 3 * sum) &
                std::uint32_t((clearAbove[i] != 0) | recheck);
        steps |= std::uint64_t(8 * samples * cost < 5 * sum) << (low[i] & 63);
    }
    *fits = steps;
    return poor != 0;
}

// The steps in `count` bytes as bits; NoStep sets bit 63, which no range reaches. In halves of
// 32 bits, which wide registers shift lane by lane.
Wide std::uint64_t stepBits(const std::uint8_t* __restrict steps, int count)
{
    std::uint32_t low = 0;
    std::uint32_t high = 0;
    for (int i = 0; i < count; ++i) {
        const std::uint32_t k = steps[i];
        low |= std::uint32_t(k < 32) << (k & 31);
        high |= std::uint32_t(k >= 32) << (k & 31);
    }
    return std::uint64_t(high) << 32 | low;
}

// The steps within `reach` of each step in `steps`, of `all`.
std::uint64_t widen(std::uint64_t steps, int reach, std::uint64_t all)
{
    std::uint64_t wide = steps;
    for (int d = 1; d <= reach; ++d) {
        wide |= steps << d | steps >> d;
    }
    return wide & all;
}

// Eight pixels' figures in wide registers, written out lane by lane: the compiler does not
// turn the fraction's selections below into wide code of itself (it makes them branches,
// which took 27 % of the decoding time on 1000 x 800, against 9 % so).
constexpr int LaneCount = 8;
using Lanes = std::int32_t __attribute__((vector_size(4 * LaneCount)));
using Fractions = float __attribute__((vector_size(4 * LaneCount)));

// Eight values widened into lanes. The lanes are written through a reference: a function that
// returned them would pass a wide vector by value, whose passing differs with and without AVX
// (an error in clang, a warning in GCC).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi"
template <typename T> [[gnu::always_inline]] inline void load(Lanes& out, const T* values)
{
    for (int lane = 0; lane < LaneCount; ++lane) {
        out[lane] = std::int32_t(values[lane]);
    }
}

// One block's separations, from its best costs and steps and the costs around them: whether
// each pixel matches clearly, a minimum inside the range below 5/8 of its average cost
// (`total` over `samples` steps), and its separation in pixels, refined to a fraction where it
// does. Returns how many match clearly.
Wide int blockSeparations(const std::uint16_t* __restrict best,
                          const std::uint16_t* __restrict step,
                          const std::uint16_t (*__restrict around)[Block],
                          const std::uint32_t* __restrict total, std::uint32_t samples, int first,
                          float* __restrict separation, char* __restrict clear)
{
    const Lanes unset = Lanes{} + std::int32_t(Unset);
    const Lanes zero = Lanes{} + 0;
    const Lanes one = Lanes{} + 1;
    int clearCount = 0;
    for (int i = 0; i < Block; i += LaneCount) {
        Lanes a0, a1, a2, a3, b, k, sum;
        load(a0, around[0] + i);
        load(a1, around[1] + i);
        load(a2, around[2] + i);
        load(a3, around[3] + i);
        load(b, best + i);
        load(k, step + i);
        load(sum, total + i);
        // All ones where true.
        const Lanes isClear =
            (a1 != unset) & (a2 != unset) & (std::int32_t(8 * samples) * b < 5 * sum);
        // Where between the whole pixels d and d + 1 the picture repeats best: each pixel is
        // compared with the mix of two pixels that the separation falls between, so in that
        // interval a window's cost is |a - f| G for a repeat at d + a, f the fraction tried
        // and G the window's contrast between those pixels. The costs at d, d + 1/2 and d + 1
        // give a and G. Steps are half pixels from a whole one: an odd step lies in the middle
        // of its interval.
        const Lanes middle = (k & one) != zero;
        const Lanes rightHalf = a2 < a1;
        const Lanes farEnd = middle | ((rightHalf ? a3 : a0) != unset);
        const Lanes c0 = middle ? a1 : rightHalf ? b : a0;
        const Lanes ch = middle ? b : rightHalf ? a2 : a1;
        const Lanes c1 = middle ? a2 : rightHalf ? a3 : b;
        const Lanes contrast = 2 * ((c0 > c1 ? c0 : c1) - ch);
        const Lanes refined = isClear & farEnd & (contrast > zero);
        const Fractions part =
            0.5f + __builtin_convertvector(c0 - c1, Fractions) /
                       __builtin_convertvector(refined ? 2 * contrast : one, Fractions);
        const Fractions none{};
        const Fractions a = part < none ? none : part > none + 1 ? none + 1 : part;
        // Offsets in half pixels from the step: the interval starts 1 before a middle step, at
        // a whole step on its right, 2 before it on its left.
        const Lanes start = middle ? zero - 1 : rightHalf ? zero : zero - 2;
        const Fractions shift = __builtin_convertvector(start, Fractions) + 2 * a;
        const Fractions offset = shift < none - 1 ? none - 1 : shift > none + 1 ? none + 1 : shift;
        const Fractions at =
            (__builtin_convertvector(first + k, Fractions) + (refined != 0 ? offset : none)) /
            Halves;
        for (int lane = 0; lane < LaneCount; ++lane) {
            separation[i + lane] = float(at[lane]);
            clear[i + lane] = isClear[lane] != 0 ? 1 : 0;
            clearCount += isClear[lane] != 0 ? 1 : 0;
        }
    }
    return clearCount;
}

// Of a block's first n pixels that may match clearly on a whole pixel, the half pixel steps
// beyond the neighbour step that matches better, as bits and in `wanted` pixel by pixel
// (NoStep for none); `around` holds the neighbours' costs.
Wide std::uint64_t furtherSteps(const std::uint16_t* __restrict best,
                                const std::uint16_t* __restrict step,
                                const std::uint16_t (*__restrict around)[Block],
                                const std::uint32_t* __restrict total, std::uint32_t samples, int n,
                                std::uint8_t* __restrict wanted)
{
    const Lanes none = Lanes{} + NoStep;
    const Lanes zero = Lanes{} + 0;
    const Lanes two = Lanes{} + 2;
    for (int i = 0; i < Block; i += LaneCount) {
        Lanes k, b, sum, a1, a2;
        load(k, step + i);
        load(b, best + i);
        load(sum, total + i);
        load(a1, around[1] + i);
        load(a2, around[2] + i);
        const Lanes fits = std::int32_t(8 * samples) * b < 5 * sum;
        const Lanes further = a2 < a1 ? k + two : k - two;
        const Lanes index = Lanes{} + i + Lanes{0, 1, 2, 3, 4, 5, 6, 7};
        const Lanes take = fits & ((k & 1) == zero) & (further >= zero) & (index < n);
        const Lanes chosen = take ? further : none;
        for (int lane = 0; lane < LaneCount; ++lane) {
            wanted[i + lane] = std::uint8_t(chosen[lane]);
        }
    }
    return stepBits(wanted, Block) & ~(std::uint64_t(1) << NoStep);
}

#pragma GCC diagnostic pop

// Takes each row's separations as they are read: the row's index and its separations, indexed
// by column (from the strip width on).
using RowSink = std::function<void(int, const float*)>;

// Reads rows top .. bottom - 1 into `sink`, on its own: the first of them searches every
// separation, as if no row were above it. Returns how many pixels matched clearly.
long long readRows(const Planes& planes, int stripWidth, int top, int bottom, const RowSink& sink)
{
    const int width = planes.width;
    const int first = Halves * std::max(1, stripWidth - DepthDecoder::MaxShift);
    const int last = Halves * std::min(stripWidth + 1, width - 1);
    const int steps = last - first + 1;
    const std::uint64_t allSteps = ~std::uint64_t(0) >> (64 - steps);
    // A search of them all tries the whole pixels, and then the closest match's neighbours.
    std::uint64_t wholeSteps = 0;
    for (int k = 0; k < steps; k += 2) {
        wholeSteps |= std::uint64_t(1) << k;
    }
    StepCosts costs(planes, stripWidth, first, steps);
    AverageCost average(planes, stripWidth, first / Halves, last / Halves);
    const std::uint32_t samples = average.samples();
    const int blocks = costs.blocks();
    // Per column, padded to whole blocks: whether it matches clearly, and where it does, its
    // step and the further step its fraction needed, of the row being read and of the row
    // above.
    const size_t padded = size_t(stripWidth) + size_t(blocks) * Block;
    std::vector<char> clear(padded, 0);
    std::vector<std::uint8_t> matched(padded, NoStep), matchedAbove(padded, NoStep);
    std::vector<std::uint8_t> further(padded, NoStep), furtherAbove(padded, NoStep);
    std::vector<float> separationRow(padded, 0.0f);
    long long clearCount = 0;
    for (int y = std::max(0, top - Radius); y < bottom + Radius; ++y) {
        average.addRow(y);
        const int out = y - Radius;
        if (out < top) {
            continue;
        }
        std::swap(matched, matchedAbove);
        std::swap(further, furtherAbove);
        const std::uint32_t* total = average.sums();
        for (int b = 0; b < blocks; ++b) {
            const int x0 = stripWidth + b * Block;
            const int x1 = std::min(x0 + Block, width);
            const int n = x1 - x0;
            const int from = std::max(stripWidth, x0 - Reach);
            const int count = std::min(width, x1 + Reach) - from;
            const std::uint64_t above = stepBits(&matchedAbove[size_t(from)], count);
            const std::uint64_t aboveFurther = stepBits(&furtherAbove[size_t(from)], count);
            std::uint64_t wanted =
                out == top ? wholeSteps
                           : widen(above & allSteps, Margin, allSteps) | (aboveFurther & allSteps);
            std::uint32_t low[Block];
            std::fill(low, low + Block, std::uint32_t(Unset) << 16);
            std::uint16_t best[Block], step[Block];
            std::uint16_t around[4][Block];
            std::uint8_t furtherOf[Block];
            const auto takeUp = [&](std::uint64_t more) {
                for (; more != 0; more &= more - 1) {
                    const int k = std::countr_zero(more);
                    costs.update(k, b, y);
                    takeLowest(costs.sums(k) + x0, k, low);
                }
            };
            const auto collect = [&](std::uint64_t tried) {
                for (int i = 0; i < Block; ++i) {
                    best[i] = std::uint16_t(low[i] >> 16);
                    step[i] = std::uint16_t(low[i]);
                }
                std::fill(&around[0][0], &around[0][0] + 4 * Block, Unset);
                for (; tried != 0; tried &= tried - 1) {
                    const int k = std::countr_zero(tried);
                    takeAround(costs.sums(k) + x0, k, step, around);
                }
            };
            std::uint64_t tried = 0;
            const bool recheck = (out + b) % Recheck == 0;
            for (;;) {
                takeUp(wanted & ~tried);
                tried |= wanted;
                std::uint64_t fits = 0;
                const bool poor =
                    survey(low, total + x0, &clear[size_t(x0)], recheck, samples, n, &fits);
                // The steps that the fractions of the pixels that may match clearly need: those
                // on either side of the best, then of a whole pixel's, the half pixel further
                // on the side that matches better.
                const std::uint64_t sides = widen(fits, 1, allSteps);
                if (poor && (wholeSteps & ~tried) != 0) {
                    wanted = tried | wholeSteps;
                    continue;
                }
                if ((sides & ~tried) != 0) {
                    wanted = tried | sides;
                    continue;
                }
                collect(tried);
                const std::uint64_t beyond =
                    furtherSteps(best, step, around, total + x0, samples, n, furtherOf) & allSteps;
                if ((beyond & ~tried) == 0) {
                    break;
                }
                wanted = tried | beyond;
            }
            char blockClear[Block];
            float blockSeparation[Block];
            std::uint32_t blockTotal[Block];
            std::copy(total + x0, total + x1, blockTotal);
            std::fill(blockTotal + n, blockTotal + Block, 0u);
            const int found = blockSeparations(best, step, around, blockTotal, samples, first,
                                               blockSeparation, blockClear);
            clearCount += found;
            std::copy(blockClear, blockClear + n, clear.begin() + x0);
            std::copy(blockSeparation, blockSeparation + n, separationRow.begin() + x0);
            for (int i = 0; i < n; ++i) {
                matched[size_t(x0 + i)] = blockClear[i] ? std::uint8_t(step[i]) : NoStep;
                further[size_t(x0 + i)] = blockClear[i] ? furtherOf[i] : NoStep;
            }
        }
        float* separation = separationRow.data();
        // Runs without a clear match take the farther of the clear matches at their ends: a
        // stretch one eye sees alone lies behind the surface that hides it from the other.
        for (int x = stripWidth; x < width;) {
            const void* unclear = std::memchr(&clear[size_t(x)], 0, size_t(width - x));
            if (unclear == nullptr) {
                break;
            }
            x = int(static_cast<const char*>(unclear) - clear.data());
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
        sink(out, separation);
    }
    return clearCount;
}

// Reads every row into `sink`, and returns in `why` a reason when too few of them match
// clearly. The top and the bottom half are read at once on pictures tall enough to gain by it,
// so `sink` is called from two threads; the halves are fixed by the height alone, so the map
// does not depend on the machine.
void readPicture(const Planes& planes, int stripWidth, const RowSink& sink, QString* why)
{
    const int width = planes.width;
    const int height = planes.height;
    // The top and the bottom half at once, each read afresh (a first row searches every step,
    // which more slices would repeat); fixed by the height alone, so that the map does not
    // depend on the machine.
    const int slices = height >= SplitHeight ? 2 : 1;
    std::vector<long long> counts(size_t(slices), 0);
    shareOut(slices > 1, slices, [&](int slice) {
        counts[size_t(slice)] = readRows(planes, stripWidth, slice * height / slices,
                                         (slice + 1) * height / slices, sink);
    });
    const long long clearCount = std::accumulate(counts.begin(), counts.end(), 0LL);
    const double pixels = double(width - stripWidth) * double(height);
    if (why && double(clearCount) < LeastClearMatches * pixels) {
        *why = QStringLiteral("it does not repeat at a strip width of %1 pixels (%2 % of its "
                              "pixels match), so it is not a stereogram of that strip width")
                   .arg(stripWidth)
                   .arg(int(100 * double(clearCount) / pixels));
    }
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

// The least and the largest of `size` bytes; std::minmax_element takes ten times as long.
Wide void byteRange(const std::uint8_t* __restrict bytes, size_t size, std::uint8_t* low,
                    std::uint8_t* high)
{
    std::uint8_t least = 255;
    std::uint8_t largest = 0;
    for (size_t i = 0; i < size; ++i) {
        least = std::min(least, bytes[i]);
        largest = std::max(largest, bytes[i]);
    }
    *low = least;
    *high = largest;
}

bool plainColour(const Planes& planes)
{
    for (const auto& plane : planes.channel) {
        std::uint8_t low = 0;
        std::uint8_t high = 0;
        byteRange(plane.get(), planes.size(), &low, &high);
        if (high - low > 2) {
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
    const bool together = planes.height >= SplitHeight;
    // same[p]: how many sampled pixels the pixel p to their left repeats, first on every
    // Coarse-th sampled row, then, where that finds many or the search needs them, on all.
    // repeats[p]: the share of the pixels counted.
    constexpr int Coarse = 4;
    std::vector<long long> same(size_t(longest) + 2, 0);
    std::vector<double> repeats(size_t(longest) + 2, 0.0);
    std::vector<char> counted(size_t(longest) + 2, 0);
    const auto count = [&](int p, int firstRow, int rowStep) {
        for (int i = firstRow; i < rows; i += rowStep) {
            same[size_t(p)] += rowRepeats(planes, int((i + 0.5) * planes.height / rows), p);
        }
    };
    const auto countAll = [&](int p) {
        if (!counted[size_t(p)]) {
            for (int offset = 1; offset < Coarse; ++offset) {
                count(p, offset, Coarse);
            }
            counted[size_t(p)] = 1;
            repeats[size_t(p)] = double(same[size_t(p)]) / (double(rows) * double(width - p));
        }
    };
    const int coarseRows = (rows + Coarse - 1) / Coarse;
    shareOut(together, Parts, [&](int part) {
        for (int p = DepthDecoder::MinStripWidth + part; p <= longest; p += Parts) {
            count(p, 0, Coarse);
            repeats[size_t(p)] = double(same[size_t(p)]) / (double(coarseRows) * double(width - p));
        }
    });
    // The periods that repeat less than half as often as the most frequent one on the coarse
    // rows are taken to stay well below it on all.
    const double mostCoarse = *std::max_element(repeats.begin(), repeats.end());
    std::vector<int> many;
    for (int p = DepthDecoder::MinStripWidth; p <= longest; ++p) {
        if (repeats[size_t(p)] >= 0.5 * mostCoarse) {
            many.push_back(p);
        }
    }
    shareOut(together && many.size() >= size_t(Parts), Parts, [&](int part) {
        for (size_t i = size_t(part); i < many.size(); i += Parts) {
            countAll(many[i]);
        }
    });
    double most = 0;
    for (const int p : many) {
        most = std::max(most, repeats[size_t(p)]);
    }
    // The nearest surface that repeats about as often as the most frequent one; the ground lies
    // at most MaxShift + 1 further, before that surface's own second repeat.
    int nearest = DepthDecoder::MinStripWidth;
    while (!counted[size_t(nearest)] || repeats[size_t(nearest)] < 0.8 * most) {
        ++nearest;
    }
    for (int p = std::max(DepthDecoder::MinStripWidth, nearest - 1);
         p <= std::min(longest, nearest + DepthDecoder::MaxShift + 4); ++p) {
        countAll(p);
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
    const Planes planes(picture);
    const size_t width = size_t(planes.width);
    Separations result{planes.width, planes.height, stripWidth,
                       std::vector<float>(width * size_t(planes.height), 0.0f)};
    readPicture(
        planes, stripWidth,
        [&](int y, const float* row) {
            std::copy(row + stripWidth, row + width,
                      result.separation.begin() + qsizetype(size_t(y) * width) + stripWidth);
        },
        why);
    return result;
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
    // Every pixel is written below: a RasterImage would fill it first.
    QImage depth(picture.width() - stripWidth, picture.height(), QImage::Format_RGB32);
    if (depth.isNull()) {
        throw std::bad_alloc();
    }
    // Taken before the threads start: scanLine() is no call for two threads at once.
    std::vector<QRgb*> depthRows(size_t(depth.height()));
    for (int y = 0; y < depth.height(); ++y) {
        depthRows[size_t(y)] = reinterpret_cast<QRgb*>(depth.scanLine(y));
    }
    const int depthWidth = depth.width();
    QString refused;
    readPicture(
        planes, stripWidth,
        [&](int y, const float* row) {
            toGreys(row + stripWidth, depthWidth, stripWidth, depthRows[size_t(y)]);
        },
        &refused);
    if (!refused.isEmpty()) {
        *why = refused;
        return false;
    }
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    result->stripWidth = stripWidth;
    result->patternStrip.setImage(image.copy(0, 0, stripWidth, image.height()));
    result->depthMap.setImage(depth);
    return true;
}
