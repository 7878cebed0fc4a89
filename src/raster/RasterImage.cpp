#include "raster/RasterImage.h"

#include "files/PictureFiles.h"
#include "raster/RasterInternals.h"

#include <QDir>
#include <QPainter>

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace {

QRgb combine(QRgb dest, QRgb source, PenMode mode)
{
    switch (mode) {
    case PenMode::Copy:
        return source;
    case PenMode::Xor:
        return (dest ^ source) | OpaqueBits;
    case PenMode::Not:
        return ~dest | OpaqueBits;
    case PenMode::Mask:
        return dest & source;
    case PenMode::Merge:
        return dest | source;
    }
    return source;
}

QImage toOpaqueRgb32(const QImage& image)
{
    if (image.isNull()) {
        return QImage();
    }
    if (!image.hasAlphaChannel()) {
        return image.convertToFormat(QImage::Format_RGB32);
    }
    QImage opaque(image.size(), QImage::Format_RGB32);
    opaque.fill(Qt::white);
    QPainter painter(&opaque);
    painter.drawImage(0, 0, image);
    return opaque;
}

} // namespace

RasterImage::RasterImage(int width, int height)
{
    setSize(width, height);
}

void RasterImage::setImage(const QImage& image)
{
    m_image = toOpaqueRgb32(image);
    m_width = m_image.width();
    m_height = m_image.height();
}

void RasterImage::setSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == m_width && height == m_height) {
        return;
    }
    m_width = width;
    m_height = height;
    if (width == 0 || height == 0) {
        m_image = QImage();
        return;
    }
    QImage resized(width, height, QImage::Format_RGB32);
    if (resized.isNull()) {
        throw std::bad_alloc();
    }
    resized.fill(resolve(m_brush.color));
    const int keepW = std::min(width, m_image.width());
    const int keepH = std::min(height, m_image.height());
    for (int y = 0; y < keepH; ++y) {
        std::memcpy(resized.scanLine(y), m_image.constScanLine(y), size_t(keepW) * sizeof(QRgb));
    }
    m_image = std::move(resized);
}

ColorRef RasterImage::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width() || y >= height()) {
        return colorref::Invalid;
    }
    return colorref::fromRgb(constScanLine(y)[x]);
}

void RasterImage::setPixel(int x, int y, ColorRef color)
{
    if (x < 0 || y < 0 || x >= width() || y >= height()) {
        return;
    }
    scanLine(y)[x] = resolve(color);
}

QRgb RasterImage::resolve(ColorRef color) const
{
    if (colorref::kind(color) == colorref::KindPaletteIndex && !m_palette.isEmpty()) {
        const qsizetype index = color & 0xFFFF;
        return m_palette.value(index < m_palette.size() ? index : 0).rgb();
    }
    return colorref::toRgb(color);
}

// The pixel writes shared by the shapes and lines (RasterDrawing.cpp) and the flood fill
// (RasterFill.cpp).
void RasterImage::paintRow(int y, int x0, int x1, QRgb color, bool usePattern, PenMode mode)
{
    if (y < 0 || y >= height()) {
        return;
    }
    x0 = std::max(x0, 0);
    x1 = std::min(x1, width() - 1);
    if (x0 > x1) {
        return;
    }
    QRgb* row = scanLine(y);
    if (usePattern) {
        const QImage& pattern = m_brush.pattern;
        const auto* patternRow =
            reinterpret_cast<const QRgb*>(pattern.constScanLine(y % pattern.height()));
        const int pw = pattern.width();
        for (int x = x0; x <= x1; ++x) {
            row[x] = combine(row[x], patternRow[x % pw] | OpaqueBits, mode);
        }
        return;
    }
    // One loop per mode, so that each is a plain loop the compiler vectorises.
    auto apply = [first = row + x0, last = row + x1 + 1](auto op) {
        std::transform(first, last, first, op);
    };
    switch (mode) {
    case PenMode::Copy:
        std::fill(row + x0, row + x1 + 1, color);
        break;
    case PenMode::Xor:
        apply([color](QRgb d) { return (d ^ color) | OpaqueBits; });
        break;
    case PenMode::Not:
        apply([](QRgb d) { return ~d | OpaqueBits; });
        break;
    case PenMode::Mask:
        apply([color](QRgb d) { return d & color; });
        break;
    case PenMode::Merge:
        apply([color](QRgb d) { return d | color; });
        break;
    }
}

void RasterImage::paintPixel(int x, int y, QRgb color, PenMode mode)
{
    if (x < 0 || y < 0 || x >= width() || y >= height()) {
        return;
    }
    QRgb& d = scanLine(y)[x];
    d = combine(d, color, mode);
}

bool RasterImage::preparePattern()
{
    if (m_brush.pattern.isNull()) {
        return false;
    }
    if (m_brush.pattern.format() != QImage::Format_RGB32) {
        m_brush.pattern = m_brush.pattern.convertToFormat(QImage::Format_RGB32);
    }
    return true;
}

bool RasterImage::load(const QString& path, QString* error)
{
    QImage decoded;
    if (!readPictureFile(path, &decoded, error)) {
        return false;
    }
    QString reason;
    if (!adopt(decoded, &reason)) {
        if (error) {
            *error =
                QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(path), reason);
        }
        return false;
    }
    return true;
}

bool RasterImage::loadFromData(QByteArrayView bytes, const QByteArray& formatHint, QString* reason)
{
    QImage decoded;
    return decodePicture(bytes, formatHint, &decoded, reason) && adopt(decoded, reason);
}

bool RasterImage::adopt(const QImage& decoded, QString* reason)
{
    const QImage opaque = toOpaqueRgb32(decoded);
    if (opaque.isNull()) {
        if (reason) {
            *reason = QStringLiteral("not enough memory for the %1 x %2 picture")
                          .arg(decoded.width())
                          .arg(decoded.height());
        }
        return false;
    }
    m_image = opaque;
    m_width = opaque.width();
    m_height = opaque.height();
    return true;
}

bool RasterImage::save(const QString& path, QString* error) const
{
    return savePictureFile(m_image, path, error);
}
