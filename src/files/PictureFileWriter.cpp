#include "files/PictureFileWriter.h"

#include "files/RegularFile.h"

#include <QBuffer>
#include <QImageWriter>
#include <QSaveFile>

#include <algorithm>
#include <cstring>
#include <memory>
#include <spng.h>
#include <vector>

namespace {

// Bytes handed to the file at a time: large enough that system calls do not count, small
// enough to stay in the cache.
constexpr qsizetype ChunkBytes = qsizetype(1) << 20;

constexpr qsizetype BitmapHeaderBytes = 14 + 40;

void put16(uchar* p, quint32 v)
{
    p[0] = uchar(v);
    p[1] = uchar(v >> 8);
}

void put32(uchar* p, quint32 v)
{
    put16(p, v);
    put16(p + 2, v >> 16);
}

// Pixels B, G, R, 0xFF in memory to B, G, R. Each pixel is stored as 4 bytes, the fourth
// overwritten by the next pixel, so `out` needs one byte to spare after the row.
void toBgr(const QRgb* row, int width, uchar* out)
{
    for (int x = 0; x < width; ++x) {
        std::memcpy(out + 3 * x, row + x, sizeof(QRgb));
    }
}

void toRgb(const QRgb* row, int width, uchar* out)
{
    for (int x = 0; x < width; ++x) {
        const QRgb p = row[x];
        out[3 * x] = uchar(qRed(p));
        out[3 * x + 1] = uchar(qGreen(p));
        out[3 * x + 2] = uchar(qBlue(p));
    }
}

// The header's sizes are 32-bit fields: a larger picture cannot be a Windows bitmap.
bool writeBitmap(const QImage& picture, QSaveFile& file, QString* reason)
{
    const int width = picture.width();
    const int height = picture.height();
    const qsizetype rowBytes = (qsizetype(width) * 3 + 3) / 4 * 4;
    const qsizetype pixelBytes = rowBytes * height;
    if (BitmapHeaderBytes + pixelBytes > qsizetype(0xFFFFFFFF)) {
        *reason = QStringLiteral("the %1 x %2 picture is too large for a Windows bitmap")
                      .arg(width)
                      .arg(height);
        return false;
    }
    uchar header[BitmapHeaderBytes] = {'B', 'M'};
    put32(header + 2, quint32(BitmapHeaderBytes + pixelBytes));
    put32(header + 10, quint32(BitmapHeaderBytes));
    put32(header + 14, 40);
    put32(header + 18, quint32(width));
    put32(header + 22, quint32(height)); // positive: the rows run from the bottom up
    put16(header + 26, 1);               // planes
    put16(header + 28, 24);              // bits per pixel
    put32(header + 34, quint32(pixelBytes));
    put32(header + 38, quint32(picture.dotsPerMeterX()));
    put32(header + 42, quint32(picture.dotsPerMeterY()));
    if (!writeAll(file, header, BitmapHeaderBytes, reason)) {
        return false;
    }
    const int rowsPerChunk = int(std::max<qsizetype>(1, ChunkBytes / rowBytes));
    std::vector<uchar> chunk(size_t(rowsPerChunk * rowBytes + 1), 0);
    for (int y = height - 1; y >= 0;) {
        const int rows = std::min(rowsPerChunk, y + 1);
        for (int i = 0; i < rows; ++i, --y) {
            uchar* out = chunk.data() + i * rowBytes;
            toBgr(reinterpret_cast<const QRgb*>(picture.constScanLine(y)), width, out);
            // Clear what the last pixel's fourth byte left in the row's padding.
            std::fill(out + 3 * qsizetype(width), out + rowBytes, uchar(0));
        }
        if (!writeAll(file, chunk.data(), rows * rowBytes, reason)) {
            return false;
        }
    }
    return true;
}

struct SpngFree
{
    void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};

struct PngSink
{
    QSaveFile* file;
    QString error;
};

int writePngBytes(spng_ctx*, void* user, void* data, size_t length)
{
    auto* sink = static_cast<PngSink*>(user);
    return writeAll(*sink->file, data, qint64(length), &sink->error) ? 0 : SPNG_IO_ERROR;
}

bool writePng(const QImage& picture, QSaveFile& file, QString* reason)
{
    PngSink sink{&file, {}};
    const std::unique_ptr<spng_ctx, SpngFree> context(spng_ctx_new(SPNG_CTX_ENCODER));
    if (!context) {
        *reason = QStringLiteral("not enough memory for the PNG encoder");
        return false;
    }
    spng_ctx* ctx = context.get();
    spng_ihdr header = {};
    header.width = quint32(picture.width());
    header.height = quint32(picture.height());
    header.bit_depth = 8;
    header.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
    spng_phys resolution = {};
    resolution.ppu_x = quint32(picture.dotsPerMeterX());
    resolution.ppu_y = quint32(picture.dotsPerMeterY());
    resolution.unit_specifier = 1; // metre
    std::vector<uchar> row(size_t(picture.width()) * 3);
    int result = spng_set_png_stream(ctx, writePngBytes, &sink);
    if (result == 0) {
        result = spng_set_ihdr(ctx, &header);
    }
    if (result == 0) {
        result = spng_set_phys(ctx, &resolution);
    }
    if (result == 0) {
        result = spng_set_option(ctx, SPNG_FILTER_CHOICE, SPNG_DISABLE_FILTERING);
    }
    if (result == 0) {
        result = spng_set_option(ctx, SPNG_IMG_COMPRESSION_LEVEL, 1);
    }
    if (result == 0) {
        result = spng_encode_image(ctx, nullptr, 0, SPNG_FMT_PNG,
                                   SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE);
    }
    for (int y = 0; result == 0 && y < picture.height(); ++y) {
        toRgb(reinterpret_cast<const QRgb*>(picture.constScanLine(y)), picture.width(), row.data());
        result = spng_encode_row(ctx, row.data(), row.size());
        if (result == SPNG_EOI && y == picture.height() - 1) {
            result = 0;
        }
    }
    if (result != 0) {
        *reason = !sink.error.isEmpty() ? sink.error : QString::fromUtf8(spng_strerror(result));
        return false;
    }
    return true;
}

} // namespace

bool writePictureFile(const QImage& picture, const QString& path, const QByteArray& format,
                      QString* reason)
{
    QSaveFile file(path);
    if (!openToReplace(file, QIODevice::WriteOnly, reason)) {
        return false;
    }
    bool written = false;
    if (picture.format() == QImage::Format_RGB32 && format == "bmp") {
        written = writeBitmap(picture, file, reason);
    } else if (picture.format() == QImage::Format_RGB32 && format == "png") {
        written = writePng(picture, file, reason);
    } else {
        // Qt's encoders do not all check their writes, so they write to memory first.
        QByteArray encoded;
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, format);
        written = writer.write(picture);
        if (!written) {
            *reason = writer.errorString();
        } else {
            written = writeAll(file, encoded.constData(), encoded.size(), reason);
        }
    }
    if (!written) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *reason = file.errorString();
        return false;
    }
    return true;
}
