#include "render/FineRenderer.h"

#include "render/ShareOut.h"

#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <numbers>
#include <numeric>
#include <vector>

namespace {

constexpr QRgb White = 0xFFFFFFFF;
constexpr QRgb Black = 0xFF000000;
constexpr int GroundGrey = 56;

// Positions along a row count in sixteenths of a sample. Half the separation of a depth,
// N * (8S - depth) / 16 samples, is then whole for every oversampling N.
constexpr int Sub = 16;
constexpr int SubBits = 4;

// Samples [start, start + length) of a row lie at one half-separation, in sixteenths.
struct Run
{
    int start;
    int length;
    int half;
};

// Samples left + k and right + k (k < count) show one surface point to the left and to the
// right eye. Links come in the order of their points, so both ends rise from one to the next.
struct Link
{
    int left;
    int right;
    int count;
};

// The rows cycle the rounding of separations that fall between two samples; consecutive rows
// take phases far apart (bit-reversed order), in sixteenths of a sample.
int roundingPhase(int y, int oversample)
{
    const int rows = 8 / std::gcd(oversample, 8);
    const int index = y % rows;
    int reversed = 0;
    for (int bit = 1, mirror = rows >> 1; bit < rows; bit <<= 1, mirror >>= 1) {
        if (index & bit) {
            reversed |= mirror;
        }
    }
    return Sub * reversed / rows;
}

// The strip's row as N samples a pixel of a smooth curve through it. Sample k of pixel x lies
// at x + (k + 1/2) / N - 1/2 (pixel centres at whole numbers); its colour is a weighted sum of
// the pixels within Reach, the weights a sinc cut off at Cutoff of the pixel rate under a
// sinc window. The sums run over whole rows of one channel at a time, which the compiler turns
// into vector instructions: a strip row of 200 at 4 samples takes about 2 microseconds.
class StripResampler
{
public:
    static constexpr int Reach = 4;
    static constexpr double Cutoff = 0.85;
    static constexpr int Taps = 2 * Reach + 1; // pixels x - Reach .. x + Reach

    explicit StripResampler(int oversample) : m_n(oversample), m_weights(size_t(oversample) * Taps)
    {
        const auto sinc = [](double t) {
            return t == 0 ? 1.0 : std::sin(std::numbers::pi * t) / (std::numbers::pi * t);
        };
        for (int k = 0; k < m_n; ++k) {
            const double offset = (k + 0.5) / m_n - 0.5;
            double weights[Taps];
            double sum = 0;
            for (int j = 0; j < Taps; ++j) {
                const double t = offset - (j - Reach);
                weights[j] = std::abs(t) < Reach ? Cutoff * sinc(Cutoff * t) * sinc(t / Reach) : 0;
                sum += weights[j];
            }
            // Normalised, so that flat colour stays as it is.
            for (int j = 0; j < Taps; ++j) {
                m_weights[size_t(k * Taps + j)] = float(weights[j] / sum);
            }
        }
    }

    // Built for AVX2 as well, chosen at run time: 8 lanes instead of 4 (see FineRenderer.h).
    // No fused multiply-add, so both builds give the same bytes.
    __attribute__((target_clones("avx2", "default"))) void resample(const QRgb* row, int width,
                                                                    QRgb* to)
    {
        // Each channel of the row with Reach pixels of wrap-around on each side.
        const int padded = width + 2 * Reach;
        m_channels.resize(size_t(3) * size_t(padded));
        m_sums.resize(size_t(3) * size_t(width));
        m_packed.resize(size_t(width));
        for (int i = 0; i < padded; ++i) {
            const QRgb colour = row[((i - Reach) % width + width) % width];
            m_channels[size_t(i)] = float(qRed(colour));
            m_channels[size_t(padded + i)] = float(qGreen(colour));
            m_channels[size_t(2 * padded + i)] = float(qBlue(colour));
        }
        for (int k = 0; k < m_n; ++k) {
            const float* w = m_weights.data() + size_t(k) * Taps;
            for (int c = 0; c < 3; ++c) {
                const float* channel = m_channels.data() + size_t(c) * size_t(padded);
                float* __restrict sum = m_sums.data() + size_t(c) * size_t(width);
                std::fill_n(sum, width, 0.5f); // rounds on truncation below
                for (int j = 0; j < Taps; ++j) {
                    const float weight = w[j];
                    const float* __restrict from = channel + j;
                    for (int x = 0; x < width; ++x) {
                        sum[x] += weight * from[x];
                    }
                }
            }
            // Whole bytes first, a pass the compiler vectorises, then the colours into place.
            quint32* __restrict packed = m_packed.data();
            const float* red = m_sums.data();
            const float* green = red + width;
            const float* blue = green + width;
            for (int x = 0; x < width; ++x) {
                packed[x] = Black | quint32(std::clamp(red[x], 0.0f, 255.0f)) << 16 |
                            quint32(std::clamp(green[x], 0.0f, 255.0f)) << 8 |
                            quint32(std::clamp(blue[x], 0.0f, 255.0f));
            }
            for (int x = 0; x < width; ++x) {
                to[size_t(x) * size_t(m_n) + size_t(k)] = packed[x];
            }
        }
    }

private:
    const int m_n;
    std::vector<float> m_weights; // Taps per sample phase
    std::vector<float> m_channels;
    std::vector<float> m_sums;
    std::vector<quint32> m_packed;
};

} // namespace

// Solves one row at a time; holds the buffers that every row reuses. A strip row it has
// resampled is taken to stay as it is while the solver lives.
class FineRowSolver
{
public:
    FineRowSolver(const RasterImage& strip, const RasterImage& depth, int oversample)
        : m_strip(strip), m_depth(depth), m_n(oversample), m_stripWidth(strip.width()),
          m_depthWidth(depth.isEmpty() ? 0 : depth.width())
    {
        m_samples = m_n * (m_stripWidth + m_depthWidth);
        m_centre = m_samples / 2;
        m_period = m_n * m_stripWidth;
        m_bridge = std::max(1, m_n / 2);
        // A separation below one sample would tie a sample to itself or cross the pair over:
        // with a strip narrower than the largest shift the nearest greys all lie at one sample.
        for (int red = 0; red < 256; ++red) {
            const int depth = std::max(0, red - GroundGrey);
            m_halfForRed[size_t(red)] = std::max(m_n * (8 * m_stripWidth - depth), Sub / 2);
        }
        m_groundHalf = m_halfForRed[0];
        m_colours.resize(size_t(m_samples));
        m_stripSamples.resize(size_t(m_period));
        m_mirroredSamples.resize(size_t(m_period));
        m_runs.reserve(size_t(m_depthWidth) + 2);
        m_links.reserve(size_t(m_depthWidth) + 2);
        m_nearestRight.reserve(size_t(m_depthWidth) + 2);
    }

    void solve(int y, QRgb* out)
    {
        expandStrip(m_strip.constScanLine(y % m_strip.height()));
        buildRuns(m_depthWidth > 0 ? m_depth.constScanLine(y) : nullptr);
        findLinks(roundingPhase(y, m_n));
        colourRightHalf();
        colourLeftHalf();
        reduce(out);
    }

private:
    // A row of the strip is resampled once, and every repeat copies those samples, so no
    // repeat is resampled again. Each pixel repeated N times would do for ground, but a repeat
    // that lies a fraction of a pixel off the pixel grid then reduces to the mean of two strip
    // pixels where its neighbours keep them sharp, and texture contrast alternates across the
    // picture. Samples of the strip as a smooth curve (a windowed sinc, wrapping round the strip,
    // cut off a little below the pixel rate) reduce to the same contrast at every fraction,
    // within a few per cent.
    void expandStrip(const QRgb* stripRow)
    {
        if (stripRow == m_expandedRow) {
            return;
        }
        m_expandedRow = stripRow;
        QRgb* to = m_stripSamples.data();
        if (m_n == 1) {
            // No repeat lies off the grid.
            for (int x = 0; x < m_stripWidth; ++x) {
                to[x] = stripRow[x] | Black;
            }
        } else {
            m_resampler.resample(stripRow, m_stripWidth, to);
        }
        std::reverse_copy(m_stripSamples.begin(), m_stripSamples.end(), m_mirroredSamples.begin());
    }

    void addRun(int start, int length, int half)
    {
        if (length <= 0) {
            return;
        }
        if (!m_runs.empty() && m_runs.back().half == half) {
            m_runs.back().length += length;
        } else {
            m_runs.push_back({start, length, half});
        }
    }

    // Twice the position in samples of the centre of depth column `column`, which lies at
    // column + 1/2 + S/2 pixels. Columns outside the map are ground.
    qint64 twiceCentre(int column) const
    {
        return qint64(m_n) * (2 * qint64(column) + 1 + m_stripWidth);
    }

    // The first sample whose centre (i + 1/2) lies at or right of the column's centre.
    int columnCentre(int column) const { return int(twiceCentre(column) >> 1); }

    // From the centre of `column` to the next column's centre the depth goes over linearly,
    // so slopes have no steps at the columns' edges.
    void addSlope(int column, int fromHalf, int toHalf)
    {
        const int first = columnCentre(column);
        const int end = columnCentre(column + 1);
        if (fromHalf == toHalf) {
            addRun(first, end - first, fromHalf);
            return;
        }
        // Sample i lies (2i + 1 - twiceCentre) / 2N of the way.
        const qint64 base = twiceCentre(column);
        const double step = double(toHalf - fromHalf) / (2 * m_n);
        for (int i = first; i < end; ++i) {
            const int half = fromHalf + int(std::lround(step * double(2 * qint64(i) + 1 - base)));
            addRun(i, 1, std::max(half, Sub / 2));
        }
    }

    void buildRuns(const QRgb* depthRow)
    {
        m_runs.clear();
        addRun(0, columnCentre(-1), m_groundHalf);
        int lastHalf = m_groundHalf;
        for (int x = 0; depthRow && x < m_depthWidth;) {
            const QRgb red = depthRow[x] & 0xFF0000;
            const int first = x;
            while (++x < m_depthWidth && (depthRow[x] & 0xFF0000) == red) {
            }
            const int half = m_halfForRed[size_t(red >> 16)];
            addSlope(first - 1, lastHalf, half);
            addRun(columnCentre(first), columnCentre(x - 1) - columnCentre(first), half);
            lastHalf = half;
        }
        addSlope(m_depthWidth - 1, lastHalf, m_groundHalf);
        addRun(columnCentre(m_depthWidth), m_samples - columnCentre(m_depthWidth), m_groundHalf);
    }

    // Sample i of a run is the surface point at i + 1/2 (plus the row's phase); the left eye
    // sees it at sample (centre - half) and the right eye at (centre + half), in sixteenths.
    // Along a run both positions advance by one sample per sample, so a point is hidden from
    // the right eye exactly when some later point projects at or left of it, and from the
    // left eye when some earlier point projects at or right of it: then a nearer part of the
    // surface lies on its line of sight.
    void findLinks(int phase)
    {
        m_links.clear();
        const size_t runs = m_runs.size();
        // The leftmost right-eye position of everything after run j.
        m_nearestRight.resize(runs);
        int minRight = INT_MAX;
        for (size_t j = runs; j-- > 0;) {
            m_nearestRight[j] = minRight;
            const Run& run = m_runs[j];
            minRight = std::min(minRight, Sub * run.start + Sub / 2 + phase + run.half);
        }
        int maxLeft = INT_MIN;
        for (size_t j = 0; j < runs; ++j) {
            const Run& run = m_runs[j];
            const int centre = Sub * run.start + Sub / 2 + phase;
            const int right = centre + run.half;
            const int left = centre - run.half;
            int first = 0;
            if (maxLeft != INT_MIN) {
                first = std::clamp(((maxLeft - left) >> SubBits) + 1, 0, run.length);
            }
            int end = run.length;
            if (m_nearestRight[j] != INT_MAX) {
                end = std::clamp(-((right - m_nearestRight[j]) >> SubBits), 0, run.length);
            }
            maxLeft = std::max(maxLeft, left + Sub * (run.length - 1));
            // Keep the pixels inside the row.
            const int leftPixel = left >> SubBits;
            const int rightPixel = right >> SubBits;
            first = std::max(first, -leftPixel);
            end = std::min(end, m_samples - rightPixel);
            if (first < end) {
                m_links.push_back({leftPixel + first, rightPixel + first, end - first});
            }
        }
    }

    // Samples tied across the middle, the pattern's source, take the strip's colours at their
    // own column, so that flat ground repeats the strip where the row renderer puts it.
    void fillTied(int from, int to)
    {
        int index = from % m_period;
        while (from < to) {
            const int count = std::min(to - from, m_period - index);
            std::memcpy(m_colours.data() + from, m_stripSamples.data() + index,
                        size_t(count) * sizeof(QRgb));
            from += count;
            index = 0;
        }
    }

    // Samples nothing ties (a stretch only one eye sees) take the strip's colours in reverse
    // order, shifted by half a strip from one strip width of the row to the next. Such a
    // stretch then matches the pattern around it, or another such stretch, at no separation
    // a viewer could take, at most a sample here and there.
    void fillUntied(int from, int to)
    {
        while (from < to) {
            const int block = from / m_period;
            const int index = int((from + qint64(block) * (m_period / 2)) % m_period);
            const int count =
                std::min({to - from, m_period - index, (block + 1) * m_period - from});
            std::memcpy(m_colours.data() + from, m_mirroredSamples.data() + index,
                        size_t(count) * sizeof(QRgb));
            from += count;
        }
    }

    // Right of the middle each sample copies its left partner, left to right; one whose
    // partner lies left of the middle is free (its partner copies it afterwards). Where two
    // points fall into one sample the later, nearer one wins. A gap of up to m_bridge samples
    // copies at the separation before it.
    void colourRightHalf()
    {
        QRgb* colours = m_colours.data();
        int done = m_centre;
        int lastDistance = 0;
        for (const Link& link : m_links) {
            const int end = link.right + link.count;
            const int distance = link.right - link.left;
            if (end <= m_centre) {
                lastDistance = distance;
                continue;
            }
            const int begin = std::max(link.right, m_centre);
            if (begin > done && begin - done <= m_bridge && lastDistance > 0) {
                for (int x = done; x < begin; ++x) {
                    if (x - lastDistance >= m_centre) {
                        colours[x] = colours[x - lastDistance];
                    } else {
                        fillTied(x, x + 1);
                    }
                }
            } else if (begin > done) {
                fillUntied(done, begin);
            }
            lastDistance = distance;
            const int tied = std::clamp(m_centre + distance, begin, end);
            fillTied(begin, tied);
            for (int x = tied; x < end;) {
                const int count = std::min(end - x, distance);
                std::memcpy(colours + x, colours + x - distance, size_t(count) * sizeof(QRgb));
                x += count;
            }
            done = std::max(done, end);
        }
        // Past the last partner the row ends before any partner could: the strip as it lies.
        fillTied(done, m_samples);
    }

    // Left of the middle each sample copies its right partner, right to left. Where two points
    // fall into one sample the earlier, nearer one wins, which comes last in this order. A gap
    // of up to m_bridge samples copies at the separation after it.
    void colourLeftHalf()
    {
        QRgb* colours = m_colours.data();
        int done = m_centre;
        int lastDistance = 0;
        for (auto it = m_links.rbegin(); it != m_links.rend(); ++it) {
            const Link& link = *it;
            const int begin = link.left;
            const int distance = link.right - link.left;
            if (begin >= m_centre) {
                lastDistance = distance;
                continue;
            }
            const int end = std::min(link.left + link.count, m_centre);
            if (end < done && done - end <= m_bridge && lastDistance > 0) {
                for (int x = done; x-- > end;) {
                    colours[x] = colours[std::min(x + lastDistance, m_samples - 1)];
                }
            } else if (end < done) {
                fillUntied(end, done);
            }
            lastDistance = distance;
            for (int x = end; x > begin;) {
                const int count = std::min(x - begin, distance);
                x -= count;
                std::memcpy(colours + x, colours + x + distance, size_t(count) * sizeof(QRgb));
            }
            done = std::min(done, begin);
        }
        fillTied(0, done);
    }

    // Each output pixel is the mean of its samples, rounded, with the count known to the
    // compiler so the divisions become multiplications.
    void reduce(QRgb* out) const
    {
        switch (m_n) {
        case 1:
            std::memcpy(out, m_colours.data(), size_t(m_samples) * sizeof(QRgb));
            break;
        case 2:
            reduceBy<2>(out);
            break;
        case 3:
            reduceBy<3>(out);
            break;
        case 4:
            reduceBy<4>(out);
            break;
        case 5:
            reduceBy<5>(out);
            break;
        case 6:
            reduceBy<6>(out);
            break;
        case 7:
            reduceBy<7>(out);
            break;
        case 8:
            reduceBy<8>(out);
            break;
        default:
            reduceBy<0>(out);
            break;
        }
    }

    // Samples per pixel `Fixed`, or m_n when it is 0. The red and blue sums share a word,
    // 16 bits each, which holds up to 257 samples of 255.
    template <int Fixed> void reduceBy(QRgb* out) const
    {
        const quint32 n = Fixed > 0 ? quint32(Fixed) : quint32(m_n);
        const QRgb* sample = m_colours.data();
        const int width = m_samples / int(n);
        for (int x = 0; x < width; ++x) {
            quint32 redBlue = (n / 2) * 0x00010001u;
            quint32 green = n / 2;
            for (quint32 k = 0; k < n; ++k) {
                redBlue += sample[k] & 0x00FF00FF;
                green += (sample[k] >> 8) & 0xFF;
            }
            sample += n;
            out[x] = Black | (((redBlue >> 16) / n) << 16) | ((green / n) << 8) |
                     ((redBlue & 0xFFFF) / n);
        }
    }

    const RasterImage& m_strip;
    const RasterImage& m_depth;
    const int m_n;
    const int m_stripWidth;
    const int m_depthWidth;
    int m_samples = 0; // samples in a row
    int m_centre = 0;  // the first sample right of the middle
    int m_period = 0;  // samples in one strip width
    int m_bridge = 0;  // the widest gap between partners that counts as rounding (half a pixel)
    std::array<int, 256> m_halfForRed{};
    int m_groundHalf = 0;
    std::vector<QRgb> m_colours;
    StripResampler m_resampler{m_n};
    const QRgb* m_expandedRow = nullptr; // the strip row m_stripSamples holds
    std::vector<QRgb> m_stripSamples;    // the strip's row, N samples a pixel
    std::vector<QRgb> m_mirroredSamples; // the same from right to left
    std::vector<Run> m_runs;
    std::vector<Link> m_links;
    std::vector<int> m_nearestRight;
};

namespace {

void drawDots(RasterImage& picture, int stripWidth)
{
    const int band = FineRenderer::dotBandHeight(stripWidth);
    const int radius = FineRenderer::dotRadius(stripWidth);
    // In doubled coordinates, so the centres may fall between pixels: the middle of the
    // picture and the middle of the band.
    const qint64 middle = picture.width();
    const qint64 centres[2] = {middle - stripWidth, middle + stripWidth};
    const qint64 centreY = band;
    const qint64 limit = qint64(2 * radius) * (2 * radius);
    for (int y = 0; y < band; ++y) {
        QRgb* row = picture.scanLine(y);
        std::fill_n(row, picture.width(), White);
        const qint64 dy = 2 * y + 1 - centreY;
        for (const qint64 centre : centres) {
            const int from = int(std::max<qint64>(0, (centre - 2 * radius) / 2 - 1));
            const int to = int(std::min<qint64>(picture.width(), (centre + 2 * radius) / 2 + 2));
            for (int x = from; x < to; ++x) {
                const qint64 dx = 2 * x + 1 - centre;
                if (dx * dx + dy * dy <= limit) {
                    row[x] = Black;
                }
            }
        }
    }
}

} // namespace

int FineRenderer::dotRadius(int stripWidth)
{
    return std::clamp(stripWidth / 20, 2, 20);
}

int FineRenderer::dotBandHeight(int stripWidth)
{
    return 4 * dotRadius(stripWidth);
}

RasterImage FineRenderer::render(const RasterImage& patternStrip, const RasterImage& depthMap,
                                 const Options& options)
{
    RasterImage output;
    render(patternStrip, depthMap, options, output);
    return output;
}

void FineRenderer::render(const RasterImage& patternStrip, const RasterImage& depthMap,
                          const Options& options, RasterImage& output)
{
    if (!layOut(patternStrip, depthMap, options, output)) {
        return;
    }
    // Rows are independent of each other: two threads share them out in parts, each with a
    // solver of its own.
    constexpr int RowsPerPart = 16;
    const int height = depthMap.height();
    const int parts = (height + RowsPerPart - 1) / RowsPerPart;
    const int band = output.height() - height;
    QRgb* const first = output.scanLine(band);
    const qsizetype stride = output.image().bytesPerLine() / qsizetype(sizeof(QRgb));
    std::unique_ptr<Rows> solvers[2];
    shareOut(parts > 1, parts, [&](int part, int worker) {
        if (!solvers[worker]) {
            solvers[worker] = std::make_unique<Rows>(patternStrip, depthMap, options);
        }
        for (int y = part * RowsPerPart; y < std::min(height, (part + 1) * RowsPerPart); ++y) {
            solvers[worker]->render(y, first + qsizetype(y) * stride);
        }
    });
}

bool FineRenderer::layOut(const RasterImage& patternStrip, const RasterImage& depthMap,
                          const Options& options, RasterImage& output)
{
    const int oversample = std::clamp(options.oversample, 1, MaxOversample);
    const int stripWidth = patternStrip.width();
    const int band = options.dots ? dotBandHeight(stripWidth) : 0;
    const qint64 width = qint64(stripWidth) + depthMap.width();
    const qint64 height = qint64(depthMap.height()) + band;
    // Positions count in sixteenths of a sample and must fit an int.
    if (width * oversample * Sub * 2 > INT_MAX || height > INT_MAX) {
        throw std::bad_alloc();
    }
    if (output.width() != width || output.height() != height || output.isEmpty()) {
        QImage picture;
        if (width > 0 && height > 0) {
            picture = QImage(int(width), int(height), QImage::Format_RGB32);
            if (picture.isNull()) {
                throw std::bad_alloc();
            }
        }
        output = RasterImage();
        output.setImage(picture);
        output.setSize(int(width), int(height));
    }
    if (output.isEmpty()) {
        return false;
    }
    if (band > 0) {
        drawDots(output, stripWidth);
    }
    if (patternStrip.isEmpty()) {
        for (int y = band; y < output.height(); ++y) {
            std::fill_n(output.scanLine(y), output.width(), White);
        }
        return false;
    }
    return true;
}

FineRenderer::Rows::Rows(const RasterImage& patternStrip, const RasterImage& depthMap,
                         const Options& options)
    : m_solver(std::make_unique<FineRowSolver>(patternStrip, depthMap,
                                               std::clamp(options.oversample, 1, MaxOversample)))
{}

FineRenderer::Rows::~Rows() = default;

void FineRenderer::Rows::render(int y, QRgb* out)
{
    m_solver->solve(y, out);
}

RasterImage FineRenderer::randomStrip(int height, quint32 seed)
{
    QRandomGenerator random(seed);
    RasterImage strip(RandomStripWidth, std::max(height, 0));
    for (int y = 0; y < strip.height(); ++y) {
        QRgb* row = strip.scanLine(y);
        for (int x = 0; x < RandomStripWidth; ++x) {
            row[x] = Black | random.bounded(0x1000000u);
        }
    }
    return strip;
}
