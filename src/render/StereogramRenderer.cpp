#include "render/StereogramRenderer.h"

#include "raster/RasterImage.h"

#include <algorithm>
#include <cstring>
#include <immintrin.h>
#include <new>

namespace {

constexpr QRgb Black = 0xFF000000;
constexpr QRgb White = 0xFFFFFFFF;

// The shift is at most 25, so a strip wider than that always reads an already rendered pixel
// (or a strip pixel) to the left of x.
constexpr int MaxShift = 25;
constexpr int FallbackOffset = 20;

constexpr std::array<std::uint8_t, 256> makeShiftTable()
{
    std::array<std::uint8_t, 256> table{};
    for (int red = 0; red < 256; ++red) {
        const int depth = red - 56;
        int shift = 0;
        if (depth > 0) {
            shift = depth / 8;
            const int rest = depth % 8;
            if (rest > 4 || (rest == 4 && shift % 2 == 1)) {
                ++shift;
            }
        }
        table[size_t(red)] = std::uint8_t(shift);
    }
    return table;
}

constexpr std::array<std::uint8_t, 256> ShiftTable = makeShiftTable();
static_assert(ShiftTable[255] == MaxShift);

inline int shiftOf(QRgb pixel)
{
    return ShiftTable[(pixel >> 16) & 0xFF];
}

// Eight pixels at a time. The sources of a block lie at most 7 + MaxShift columns right of its
// first pixel less the strip width, so with a strip this wide they are all written already.
constexpr int VectorMinStrip = 8 + MaxShift;

bool cpuHasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

// Lane i takes lane max(i - k, 0): with a running maximum, repeating lane 0 changes nothing.
__attribute__((target("avx2"))) inline __m256i lanesUp(__m256i v, int k)
{
    const __m256i index = _mm256_max_epi32(
        _mm256_sub_epi32(_mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7), _mm256_set1_epi32(k)),
        _mm256_setzero_si256());
    return _mm256_permutevar8x32_epi32(v, index);
}

// The row step over whole blocks of 8 from column `from`; returns the first column not done and
// carries the running maximum in `last`. The shift is computed arithmetically (the same
// rounding as the table), the running maximum as a prefix scan over the lanes, and the
// shifted sources are gathered.
__attribute__((target("avx2"))) int renderBlocksAvx2(QRgb* row, const QRgb* above, int strip,
                                                     int from, int width, int* last)
{
    // Byte 2 of every lane (red) to byte 0, zeros elsewhere.
    const __m256i redBytes =
        _mm256_setr_epi8(2, -1, -1, -1, 6, -1, -1, -1, 10, -1, -1, -1, 14, -1, -1, -1, 2, -1, -1,
                         -1, 6, -1, -1, -1, 10, -1, -1, -1, 14, -1, -1, -1);
    const __m256i groundLessThree = _mm256_set1_epi32(56 - 3);
    const __m256i ones = _mm256_set1_epi32(1);
    const __m256i sevens = _mm256_set1_epi32(7);
    const __m256i eights = _mm256_set1_epi32(8);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i previousLane = _mm256_setr_epi32(0, 0, 1, 2, 3, 4, 5, 6);
    const auto* sources = reinterpret_cast<const int*>(row - strip);
    __m256i carry = _mm256_set1_epi32(*last);
    __m256i columns =
        _mm256_add_epi32(_mm256_set1_epi32(from), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    int x = from;
    for (; x + 8 <= width; x += 8, columns = _mm256_add_epi32(columns, eights)) {
        _mm_prefetch(reinterpret_cast<const char*>(row + x + 2048), _MM_HINT_T0);
        const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + x));
        // With d = red - 56, d / 8 rounded half to even is (d + 3 + (d div 8 odd)) div 8;
        // negative depths end at 0.
        const __m256i red = _mm256_shuffle_epi8(pixels, redBytes);
        const __m256i quotientOdd = _mm256_and_si256(
            _mm256_srai_epi32(_mm256_sub_epi32(red, _mm256_set1_epi32(56)), 3), ones);
        const __m256i shift = _mm256_max_epi32(
            _mm256_srai_epi32(_mm256_add_epi32(_mm256_sub_epi32(red, groundLessThree), quotientOdd),
                              3),
            zero);
        const __m256i target = _mm256_add_epi32(columns, shift);
        // The block's own running maximum does not wait for the blocks before it; only the
        // final max with their carry does, which keeps the chain between blocks short.
        __m256i inBlock = _mm256_max_epi32(target, lanesUp(target, 1));
        inBlock = _mm256_max_epi32(inBlock, lanesUp(inBlock, 2));
        inBlock = _mm256_max_epi32(inBlock, lanesUp(inBlock, 4));
        const __m256i running = _mm256_max_epi32(inBlock, carry);
        const __m256i before =
            _mm256_blend_epi32(_mm256_permutevar8x32_epi32(running, previousLane), carry, 0x01);
        const __m256i moves = _mm256_cmpgt_epi32(target, before);
        const __m256i shifted = _mm256_i32gather_epi32(sources, target, 4);
        const __m256i fallback =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(above + x - FallbackOffset));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + x),
                            _mm256_blendv_epi8(fallback, shifted, moves));
        carry = _mm256_max_epi32(carry, _mm256_permutevar8x32_epi32(inBlock, sevens));
    }
    *last = _mm256_cvtsi256_si32(carry);
    return x;
}

// GCC 12 warns of the undefined vectors its own AVX-512 intrinsics pass for unused inputs.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

// The same step sixteen pixels at a time, for processors that have it. A block's sources lie
// within 16 + MaxShift consecutive pixels, so three loads and two permutes fetch them, which is
// much cheaper than a gather on most processors.
constexpr int Vector16MinStrip = 16 + MaxShift;

bool cpuHasAvx512()
{
    static const bool has = __builtin_cpu_supports("avx512f");
    return has;
}

__attribute__((target("avx512f"))) inline __m512i lanesUp16(__m512i v, int k)
{
    const __m512i index = _mm512_max_epi32(
        _mm512_sub_epi32(_mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15),
                         _mm512_set1_epi32(k)),
        _mm512_setzero_si512());
    return _mm512_permutexvar_epi32(index, v);
}

__attribute__((target("avx512f"))) int renderBlocksAvx512(QRgb* row, const QRgb* above, int strip,
                                                          int width, int* last)
{
    const __m512i byteMask = _mm512_set1_epi32(0xFF);
    const __m512i ground = _mm512_set1_epi32(56);
    const __m512i groundLessThree = _mm512_set1_epi32(56 - 3);
    const __m512i ones = _mm512_set1_epi32(1);
    const __m512i sixteens = _mm512_set1_epi32(16);
    const __m512i lastLane = _mm512_set1_epi32(15);
    const __m512i zero = _mm512_setzero_si512();
    const __m512i stepOne = _mm512_setr_epi32(0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1);
    const auto* sources = reinterpret_cast<const int*>(row - strip);
    __m512i carry = _mm512_set1_epi32(*last);
    __m512i columns =
        _mm512_add_epi32(_mm512_set1_epi32(strip),
                         _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
    int x = strip;
    for (; x + 16 <= width; x += 16, columns = _mm512_add_epi32(columns, sixteens)) {
        _mm_prefetch(reinterpret_cast<const char*>(row + x + 2048), _MM_HINT_T0);
        const __m512i pixels = _mm512_loadu_si512(row + x);
        const __m512i red = _mm512_and_si512(_mm512_srli_epi32(pixels, 16), byteMask);
        const __m512i quotientOdd =
            _mm512_and_si512(_mm512_srai_epi32(_mm512_sub_epi32(red, ground), 3), ones);
        const __m512i shift = _mm512_max_epi32(
            _mm512_srai_epi32(_mm512_add_epi32(_mm512_sub_epi32(red, groundLessThree), quotientOdd),
                              3),
            zero);
        const __m512i target = _mm512_add_epi32(columns, shift);
        // Each lane's target against the one before: one more everywhere means one shift.
        const __m512i up = lanesUp16(target, 1);
        if (_mm512_cmpeq_epi32_mask(_mm512_sub_epi32(target, up), stepOne) == 0xFFFF) {
            // One depth over the whole block, as over most of a map: the targets run on one by
            // one, so a lane moves exactly where its target passes the carry, and the sources
            // are sixteen pixels in a row.
            const int s = _mm_cvtsi128_si32(_mm512_castsi512_si128(shift));
            const __mmask16 moves = _mm512_cmpgt_epi32_mask(target, carry);
            const __m512i fallback = _mm512_loadu_si512(above + x - FallbackOffset);
            const __m512i shifted = _mm512_loadu_si512(sources + x + s);
            _mm512_storeu_si512(row + x, _mm512_mask_blend_epi32(moves, fallback, shifted));
            carry = _mm512_max_epi32(carry, _mm512_set1_epi32(x + 15 + s));
            continue;
        }
        __m512i inBlock = _mm512_max_epi32(target, up);
        inBlock = _mm512_max_epi32(inBlock, lanesUp16(inBlock, 2));
        inBlock = _mm512_max_epi32(inBlock, lanesUp16(inBlock, 4));
        inBlock = _mm512_max_epi32(inBlock, lanesUp16(inBlock, 8));
        const __m512i running = _mm512_max_epi32(inBlock, carry);
        // Lane i gets lane i - 1 of the running maximum, lane 0 the carry.
        const __m512i before = _mm512_alignr_epi32(running, carry, 15);
        const __mmask16 moves = _mm512_cmpgt_epi32_mask(target, before);
        const __m512i fallback = _mm512_loadu_si512(above + x - FallbackOffset);
        // Lane i's source is window[target_i - x], offsets 0 to 15 + MaxShift: the first 32 from
        // two loads, the rest from a third. The third load may reach a few pixels of this block
        // not written yet; no lane takes them, as every source lies left of x.
        const int* window = sources + x;
        const __m512i offset = _mm512_sub_epi32(target, _mm512_set1_epi32(x));
        const __m512i low = _mm512_permutex2var_epi32(_mm512_loadu_si512(window), offset,
                                                      _mm512_loadu_si512(window + 16));
        const __mmask16 far = _mm512_cmpge_epi32_mask(offset, _mm512_set1_epi32(32));
        const __m512i shifted =
            _mm512_mask_permutexvar_epi32(low, far, offset, _mm512_loadu_si512(window + 32));
        _mm512_storeu_si512(row + x, _mm512_mask_blend_epi32(moves, fallback, shifted));
        carry = _mm512_max_epi32(carry, _mm512_permutexvar_epi32(lastLane, inBlock));
    }
    *last = _mm512_cvtsi512_si32(carry);
    return x;
}

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

} // namespace

StereogramRenderer::StereogramRenderer(RasterImage& output) : m_output(output) {}

int StereogramRenderer::shiftForRed(int red)
{
    return red < 0 || red > 255 ? 0 : ShiftTable[size_t(red)];
}

int StereogramRenderer::progressFor(int row, int height)
{
    if (height <= 0) {
        return 100;
    }
    const long long scaled = 100LL * std::max(row, 0);
    long long value = scaled / height;
    const long long twiceRest = 2 * (scaled % height);
    if (twiceRest > height || (twiceRest == height && value % 2 == 1)) {
        ++value;
    }
    return int(std::min(value, 100LL));
}

void StereogramRenderer::PrepareOutput(const RasterImage& patternStrip, const RasterImage& depthMap)
{
    PrepareSize(patternStrip, depthMap);
    for (int y = 0; y < m_output.height(); ++y) {
        layRow(y, patternStrip, depthMap);
    }
}

void StereogramRenderer::PrepareSize(const RasterImage& patternStrip, const RasterImage& depthMap)
{
    const int stripWidth = patternStrip.width();
    const int depthWidth = depthMap.width();
    const int height = depthMap.height();

    // Every pixel is laid out afterwards, so the picture needs no clearing first. A picture of
    // the same size is written over in place (when its pixels are shared, the first write gives
    // it its own).
    const int width = stripWidth + depthWidth;
    if (m_output.width() != width || m_output.height() != height || m_output.isEmpty()) {
        QImage picture;
        if (width > 0 && height > 0) {
            picture = QImage(width, height, QImage::Format_RGB32);
            if (picture.isNull()) {
                throw std::bad_alloc();
            }
        }
        m_output = RasterImage();
        m_output.setImage(picture);
        m_output.setSize(width, height);
    }
    PrepareFilledOutput(stripWidth);
}

void StereogramRenderer::PrepareFilledOutput(int stripWidth)
{
    m_blackRow.assign(size_t(m_output.width()), Black);
    m_stripWidth = stripWidth;
    m_currentRow = 0;
    m_rendering = true;
    m_renderDone = false;
}

void StereogramRenderer::layStripRow(QRgb* row, const RasterImage& patternStrip, int y)
{
    const int stripWidth = patternStrip.width();
    if (patternStrip.isEmpty()) {
        std::fill(row, row + stripWidth, White);
    } else {
        std::memcpy(row, patternStrip.constScanLine(y % patternStrip.height()),
                    size_t(stripWidth) * sizeof(QRgb));
    }
}

void StereogramRenderer::layRow(int y, const RasterImage& patternStrip, const RasterImage& depthMap)
{
    if (m_output.isEmpty()) {
        return;
    }
    const int stripWidth = m_stripWidth;
    QRgb* row = m_output.scanLine(y);
    layStripRow(row, patternStrip, y);
    if (!depthMap.isEmpty()) {
        std::memcpy(row + stripWidth, depthMap.constScanLine(y),
                    size_t(m_output.width() - stripWidth) * sizeof(QRgb));
    }
}

bool StereogramRenderer::RedoRow(int y, const RasterImage& patternStrip,
                                 const RasterImage& depthMap)
{
    if (y < 0 || y >= m_output.height() || patternStrip.width() != m_stripWidth ||
        depthMap.width() != m_output.width() - m_stripWidth ||
        depthMap.height() != m_output.height()) {
        return false;
    }
    layRow(y, patternStrip, depthMap);
    renderRowAt(y, m_stripWidth);
    return true;
}

int StereogramRenderer::RenderRow(int patternStripWidth, int depthMapHeight)
{
    const int y = m_currentRow;
    if (y >= m_output.height()) {
        m_renderDone = true;
        return EndMark;
    }
    const int progress = progressFor(y, depthMapHeight);
    renderRowAt(y, patternStripWidth);
    ++m_currentRow;
    return progress;
}

void StereogramRenderer::renderRowAt(int y, int patternStripWidth)
{
    if (m_output.isEmpty()) {
        return;
    }
    QRgb* row = m_output.scanLine(y);
    const QRgb* above =
        y >= FallbackOffset ? m_output.constScanLine(y - FallbackOffset) : m_blackRow.data();
    if (patternStripWidth == m_stripWidth && m_stripWidth > MaxShift) {
        renderRowFast(row, above);
    } else {
        renderRowChecked(row, above, std::max(patternStripWidth, 0));
    }
}

// The usual case: every source lies inside the row, so the loop needs no bounds checks, and
// both candidates are read and one is selected without a branch (depth maps full of noise
// would otherwise mispredict at every pixel). `last` is the running maximum of x + shift.
void StereogramRenderer::renderRowFast(QRgb* row, const QRgb* above)
{
    const int strip = m_stripWidth;
    const int width = m_output.width();
    int x = strip;
    int last = 0;
    if (strip >= Vector16MinStrip && cpuHasAvx512()) {
        x = renderBlocksAvx512(row, above, strip, width, &last);
    }
    if (strip >= VectorMinStrip && cpuHasAvx2()) {
        x = renderBlocksAvx2(row, above, strip, x, width, &last);
    }
    const QRgb* shifted = row - strip;
    const QRgb* fallback = above - FallbackOffset;
    for (; x < width; ++x) {
        const int target = x + shiftOf(row[x]);
        // All ones when the source moves past the last one used, else all zeros.
        const QRgb takeShifted = QRgb(0) - QRgb(target > last);
        row[x] = (shifted[target] & takeShifted) | (fallback[x] & ~takeShifted);
        last = std::max(last, target);
    }
}

// Narrow strips, and a strip resized while rendering: sources may lie right of x, past the
// row's end or left of column 0; those read as the invalid colour, which writes black.
void StereogramRenderer::renderRowChecked(QRgb* row, const QRgb* above, int startX)
{
    const int strip = m_stripWidth;
    const int width = m_output.width();
    int last = 0;
    for (int x = startX; x < width; ++x) {
        const int target = x + shiftOf(row[x]);
        if (target > last) {
            const int source = target - strip;
            row[x] = source >= 0 && source < width ? row[source] : Black;
            last = target;
        } else {
            const int source = x - FallbackOffset;
            row[x] = source >= 0 ? above[source] : Black;
        }
    }
}

RasterImage StereogramRenderer::renderAll(const RasterImage& patternStrip,
                                          const RasterImage& depthMap)
{
    RasterImage output;
    StereogramRenderer renderer(output);
    renderer.PrepareOutput(patternStrip, depthMap);
    while (renderer.RenderRow(patternStrip.width(), depthMap.height()) != EndMark) {
    }
    return output;
}
