#include "raster/RasterImage.h"
#include "raster/RasterInternals.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

void RasterImage::copyRect(const QRect& destRect, const RasterImage& source,
                           const QRect& sourceRect)
{
    const int dw = destRect.width();
    const int dh = destRect.height();
    if (dw == 0 || dh == 0 || isEmpty()) {
        return;
    }
    const int destLeft = dw < 0 ? destRect.left() + dw : destRect.left();
    const int destTop = dh < 0 ? destRect.top() + dh : destRect.top();
    const int destW = std::abs(dw);
    const int destH = std::abs(dh);
    const int colFrom = std::max(0, -destLeft);
    const int colTo = std::min(destW, width() - destLeft);
    const int rowFrom = std::max(0, -destTop);
    const int rowTo = std::min(destH, height() - destTop);
    if (colFrom >= colTo || rowFrom >= rowTo) {
        return;
    }
    if (m_copyMode == CopyMode::Blackness) {
        for (int r = rowFrom; r < rowTo; ++r) {
            QRgb* row = scanLine(destTop + r);
            std::fill(row + destLeft + colFrom, row + destLeft + colTo, OpaqueBits);
        }
        return;
    }

    const int sw = sourceRect.width();
    const int sh = sourceRect.height();
    if (sw == 0 || sh == 0 || source.isEmpty()) {
        return;
    }
    const int srcLeft = sw < 0 ? sourceRect.left() + sw : sourceRect.left();
    const int srcTop = sh < 0 ? sourceRect.top() + sh : sourceRect.top();
    const int srcW = std::abs(sw);
    const int srcH = std::abs(sh);
    const bool mirrorX = (dw < 0) != (sw < 0);
    const bool mirrorY = (dh < 0) != (sh < 0);

    // Nearest source pixel of destination offset i: the one under the centre of i.
    auto mapOffset = [](int i, int destSize, int srcSize, bool mirror) {
        const int s = int((2LL * i + 1) * srcSize / (2LL * destSize));
        return mirror ? srcSize - 1 - s : s;
    };

    // A shallow copy: when source and destination share pixels (a copy within one picture),
    // writing detaches this picture and the reads stay on the old pixels.
    const QImage src = source.m_image;
    const int srcWidth = src.width();
    const int srcHeight = src.height();

    std::vector<int> srcCols(size_t(colTo - colFrom));
    for (int c = colFrom; c < colTo; ++c) {
        srcCols[size_t(c - colFrom)] = srcLeft + mapOffset(c, destW, srcW, mirrorX);
    }
    // Identity columns: the stretch of each row that lies inside the source is taken in one run.
    const bool identity = destW == srcW && !mirrorX;
    const bool plain = m_copyMode == CopyMode::SourceCopy && identity;

    for (int r = rowFrom; r < rowTo; ++r) {
        const int sy = srcTop + mapOffset(r, destH, srcH, mirrorY);
        if (sy < 0 || sy >= srcHeight) {
            continue;
        }
        const auto* srcRow = reinterpret_cast<const QRgb*>(src.constScanLine(sy));
        QRgb* destRow = scanLine(destTop + r) + destLeft;
        if (identity) {
            const int first = std::max(colFrom, -(srcLeft));
            const int last = std::min(colTo, srcWidth - srcLeft);
            if (first >= last) {
                continue;
            }
            QRgb* d = destRow + first;
            const QRgb* sp = srcRow + srcLeft + first;
            const int n = last - first;
            if (plain) {
                std::memcpy(d, sp, size_t(n) * sizeof(QRgb));
                continue;
            }
            // Tight loops per mode, so the compiler can vectorise them (floating selections
            // are composed with OR and AND on every move step).
            switch (m_copyMode) {
            case CopyMode::SourceAnd:
                for (int i = 0; i < n; ++i) {
                    d[i] &= sp[i];
                }
                continue;
            case CopyMode::SourceOr:
                for (int i = 0; i < n; ++i) {
                    d[i] |= sp[i];
                }
                continue;
            default:
                break;
            }
        }
        for (int c = colFrom; c < colTo; ++c) {
            const int sx = srcCols[size_t(c - colFrom)];
            if (sx < 0 || sx >= srcWidth) {
                continue;
            }
            const QRgb s = srcRow[sx];
            QRgb& d = destRow[c];
            switch (m_copyMode) {
            case CopyMode::SourceCopy:
                d = s;
                break;
            case CopyMode::SourceAnd:
                d = d & s;
                break;
            case CopyMode::SourceXor:
                d = (d ^ s) | OpaqueBits;
                break;
            case CopyMode::SourceOr:
                d = d | s;
                break;
            case CopyMode::Blackness:
                d = OpaqueBits;
                break;
            }
        }
    }
}

void RasterImage::draw(int x, int y, const RasterImage& source)
{
    copyRect(QRect(x, y, source.width(), source.height()), source, source.clipRect());
}

void RasterImage::stretchDraw(const QRect& destRect, const RasterImage& source)
{
    copyRect(destRect, source, source.clipRect());
}
