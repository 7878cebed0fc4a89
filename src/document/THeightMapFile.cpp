#include "document/THeightMapFile.h"

#include "files/RegularFile.h"

#include <QDir>
#include <QSaveFile>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

constexpr int HeaderSize = 6;
constexpr int MaxRun = 255;
constexpr int MaxSide = 65535;

// The least number of bytes that can describe a width x height picture: every row needs at
// least ceil(width / 255) records.
qint64 minimumSize(qint64 width, qint64 height)
{
    return HeaderSize + height * ((width + MaxRun - 1) / MaxRun) * 2;
}

// Writes the runs of one row at `out`, which has room for 2 * width bytes; returns the end.
char* encodeRow(char* out, const QRgb* row, int width)
{
    int x = 0;
    while (x < width) {
        const int value = qBlue(row[x]);
        int run = 1;
        while (run < MaxRun && x + run < width && qBlue(row[x + run]) == value) {
            ++run;
        }
        *out++ = char(run);
        *out++ = char(value);
        x += run;
    }
    return out;
}

QString fileError(const char* what, const QString& fileName, const QString& reason)
{
    return QStringLiteral("%1 %2: %3")
        .arg(QLatin1String(what), QDir::toNativeSeparators(fileName), reason);
}

} // namespace

namespace {

// Hands the file's bytes to `sink` in pieces of at most a few hundred kilobytes, so even a
// picture without any runs is written through one small buffer that stays in the cache.
// Stops early and returns false when `sink` does.
bool encodeTo(const RasterImage& image, const std::function<bool(const char*, qsizetype)>& sink)
{
    const int width = image.width();
    const int height = image.height();
    const char head[HeaderSize] = {'H',
                                   'M',
                                   char(width & 0xFF),
                                   char((width >> 8) & 0xFF),
                                   char(height & 0xFF),
                                   char((height >> 8) & 0xFF)};
    if (!sink(head, HeaderSize)) {
        return false;
    }
    if (image.isEmpty()) {
        return true;
    }
    const qsizetype rowRoom = 2 * qsizetype(width);
    std::vector<char> buffer(size_t(std::max<qsizetype>(256 * 1024, rowRoom)));
    char* const begin = buffer.data();
    char* out = begin;
    for (int y = 0; y < height; ++y) {
        if (begin + buffer.size() - out < rowRoom) {
            if (!sink(begin, out - begin)) {
                return false;
            }
            out = begin;
        }
        out = encodeRow(out, image.constScanLine(y), width);
    }
    return sink(begin, out - begin);
}

} // namespace

QByteArray THeightMapFile::encode(const RasterImage& image)
{
    QByteArray out;
    encodeTo(image, [&out](const char* bytes, qsizetype size) {
        out.append(bytes, size);
        return true;
    });
    return out;
}

bool THeightMapFile::save(const QString& fileName, const RasterImage& image, QString* error)
{
    auto fail = [&](const QString& reason) {
        if (error) {
            *error = fileError("Cannot write", fileName, reason);
        }
        return false;
    };
    if (image.isEmpty()) {
        return fail(QStringLiteral("the picture has no pixels"));
    }
    if (image.width() > MaxSide || image.height() > MaxSide) {
        return fail(QStringLiteral("a height-map file holds at most 65535 x 65535 pixels, the "
                                   "picture is %1 x %2")
                        .arg(image.width())
                        .arg(image.height()));
    }
    QSaveFile file(fileName);
    QString reason;
    if (!openToReplace(file, QIODevice::WriteOnly, &reason)) {
        return fail(reason);
    }
    const bool written = encodeTo(image, [&](const char* bytes, qsizetype size) {
        return writeAll(file, bytes, size, &reason);
    });
    if (!written) {
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit()) {
        return fail(file.errorString());
    }
    return true;
}

bool THeightMapFile::decode(QByteArrayView bytes, QString* reason)
{
    m_picture = RasterImage();
    auto refuse = [&](const QString& why) {
        m_picture = RasterImage();
        if (reason) {
            *reason = why;
        }
        return false;
    };
    if (bytes.size() < HeaderSize) {
        return refuse(QStringLiteral("the file is shorter than its header"));
    }
    const auto* data = reinterpret_cast<const uchar*>(bytes.data());
    if (data[0] != 'H' || data[1] != 'M') {
        return refuse(QStringLiteral("not a height-map file (it does not start with \"HM\")"));
    }
    const int width = data[2] | (data[3] << 8);
    const int height = data[4] | (data[5] << 8);
    if (width == 0 || height == 0) {
        return refuse(
            QStringLiteral("the header gives a picture of %1 x %2 pixels").arg(width).arg(height));
    }
    if (bytes.size() < minimumSize(width, height)) {
        return refuse(
            QStringLiteral("the file is too short for its %1 x %2 picture").arg(width).arg(height));
    }
    if (qint64(width) * height > MaxLoadPixels) {
        return refuse(
            QStringLiteral("the %1 x %2 picture is too large to load").arg(width).arg(height));
    }
    QImage pixels(width, height, QImage::Format_RGB32);
    if (pixels.isNull()) {
        return refuse(
            QStringLiteral("not enough memory for the %1 x %2 picture").arg(width).arg(height));
    }
    const uchar* next = data + HeaderSize;
    const uchar* const end = data + bytes.size();
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(pixels.scanLine(y));
        int x = 0;
        while (x < width) {
            if (end - next < 2) {
                return refuse(
                    QStringLiteral("the file ends in row %1 of %2").arg(y + 1).arg(height));
            }
            const int count = next[0];
            const QRgb color = qRgb(next[1], next[1], next[1]);
            next += 2;
            if (count <= 4 && x + 4 <= width) {
                // Most runs of a rough map are a pixel or two long: four stores cost less than
                // a loop, and the runs after this one write over what lies past its end.
                row[x] = color;
                row[x + 1] = color;
                row[x + 2] = color;
                row[x + 3] = color;
                x += count;
                continue;
            }
            const int stop = std::min(width, x + count);
            std::fill(row + x, row + stop, color);
            x = stop;
        }
    }
    m_picture.setImage(pixels);
    m_picture.setPalette(greypalette::make());
    return true;
}

bool THeightMapFile::load(const QString& fileName, QString* error)
{
    m_picture = RasterImage();
    RegularFile file;
    QByteArray bytes;
    QString reason;
    if (!file.open(fileName, MaxFileBytes, &reason) || !file.readAll(&bytes, &reason) ||
        !decode(bytes, &reason)) {
        if (error) {
            *error = fileError("Cannot read", fileName, reason);
        }
        return false;
    }
    return true;
}
