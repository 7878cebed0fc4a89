#include "files/PictureFileCheck.h"

#include <algorithm>
#include <cstdlib>

namespace {

const QString EndsEarly = QStringLiteral("the file ends before its picture data");

quint32 le16(const uchar* p)
{
    return quint32(p[0]) | quint32(p[1]) << 8;
}

quint32 le32(const uchar* p)
{
    return le16(p) | le16(p + 2) << 16;
}

// Walks the run records of an RLE8 or RLE4 bitmap from `pos`: they must reach the end-of-bitmap
// record or the last row before the file ends.
bool rleComplete(const uchar* d, qint64 size, qint64 pos, qint64 height, bool fourBits)
{
    qint64 y = 0;
    while (y < height) {
        if (size - pos < 2) {
            return false;
        }
        const int count = d[pos];
        const int code = d[pos + 1];
        pos += 2;
        if (count > 0) {
            continue; // a run of `count` pixels
        }
        if (code == 0) {
            ++y; // end of row
        } else if (code == 1) {
            return true; // end of bitmap
        } else if (code == 2) {
            if (size - pos < 2) {
                return false;
            }
            y += d[pos + 1]; // a move right and down
            pos += 2;
        } else {
            const int bytes = fourBits ? (code + 1) / 2 : code; // `code` literal pixels
            pos += bytes + (bytes & 1);
            if (pos > size) {
                return false;
            }
        }
    }
    return true;
}

QString missingBitmapData(const uchar* d, qint64 size)
{
    if (size < 18) {
        return EndsEarly;
    }
    const qint64 offBits = le32(d + 10);
    const qint64 dibSize = le32(d + 14);
    if (dibSize != 12 && dibSize < 40) {
        return {};
    }
    if (size < 14 + dibSize) {
        return EndsEarly;
    }
    const bool core = dibSize == 12;
    const qint64 width = core ? qint64(le16(d + 18)) : qint32(le32(d + 18));
    const qint64 height = std::abs(core ? qint64(le16(d + 20)) : qint64(qint32(le32(d + 22))));
    const int bits = int(le16(d + (core ? 24 : 28)));
    const quint32 compression = core ? 0 : le32(d + 30);
    if (width <= 0 || bits <= 0 || bits > 32) {
        return {};
    }
    const qint64 used = core ? 0 : le32(d + 46);
    const qint64 colours = bits > 8 ? 0 : (used > 0 && used < (1 << bits) ? used : 1 << bits);
    const qint64 masks = dibSize == 40 && compression == 3   ? 12
                         : dibSize == 40 && compression == 6 ? 16
                                                             : 0;
    // The pixels start where the header says, but never inside the header or the palette.
    const qint64 start = std::max(offBits, 14 + dibSize + masks + colours * (core ? 3 : 4));
    if (start > size) {
        return EndsEarly;
    }
    if (compression == 1 || compression == 2) {
        return rleComplete(d, size, start, height, compression == 2) ? QString() : EndsEarly;
    }
    if (compression != 0 && compression != 3 && compression != 6) {
        return {};
    }
    const qint64 rowBytes = (width * bits + 31) / 32 * 4;
    if (height > (size - start) / rowBytes) {
        return QStringLiteral("the file ends before its picture data: %1 bytes hold fewer than "
                              "the %2 rows of %3 bytes its header gives")
            .arg(size)
            .arg(height)
            .arg(rowBytes);
    }
    return {};
}

// A JPEG's scans end with the end-of-image marker; entropy-coded data never holds it.
QString missingJpegData(const uchar* d, qint64 size)
{
    qint64 pos = 2;
    for (;;) {
        if (pos >= size) {
            return EndsEarly;
        }
        if (d[pos] != 0xFF) {
            return {};
        }
        while (pos < size && d[pos] == 0xFF) {
            ++pos; // fill bytes
        }
        if (pos >= size) {
            return EndsEarly;
        }
        const uchar marker = d[pos++];
        if (marker == 0xD9) {
            return {}; // ends before any scan: the decoder refuses it
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            continue; // markers without a length
        }
        if (size - pos < 2) {
            return EndsEarly;
        }
        const qint64 length = qint64(d[pos]) << 8 | d[pos + 1];
        if (length < 2) {
            return {};
        }
        pos += length;
        if (marker == 0xDA) {
            const QByteArrayView rest(d + std::min(pos, size), size - std::min(pos, size));
            return rest.contains(QByteArrayView("\xFF\xD9")) ? QString() : EndsEarly;
        }
    }
}

// Every block of a GIF must be whole. A file that ends between blocks without its trailer has
// all the data it describes and passes.
QString missingGifData(const uchar* d, qint64 size)
{
    auto colourTable = [](uchar flags) { return flags & 0x80 ? 3 * (2 << (flags & 7)) : 0; };
    auto skipSubBlocks = [&](qint64 pos) {
        while (pos < size) {
            const int length = d[pos++];
            if (length == 0) {
                return pos;
            }
            pos += length;
        }
        return size + 1;
    };
    if (size < 13) {
        return EndsEarly;
    }
    qint64 pos = 13 + colourTable(d[10]);
    while (pos < size) {
        const uchar kind = d[pos++];
        if (kind == 0x21) {
            pos = skipSubBlocks(pos + 1); // an extension: its label, then its data
        } else if (kind == 0x2C) {
            if (size - pos < 9) {
                return EndsEarly;
            }
            // The image descriptor, its own colour table, the code size, then the image data.
            pos = skipSubBlocks(pos + 9 + colourTable(d[pos + 8]) + 1);
        } else {
            return {}; // the trailer, or a broken block the decoder judges
        }
    }
    return pos > size ? EndsEarly : QString();
}

quint32 be32(const uchar* p)
{
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3];
}

// Every chunk up to the end marker must lie within the file. libpng allocates what a chunk's
// length claims before it reads the chunk, so one lying length in a small file would cost
// gigabytes. A file that ends between chunks without the marker is left to the decoder.
QString missingPngData(const uchar* d, qint64 size)
{
    constexpr qint64 ChunkFrame = 12; // length, type and check sum around the chunk's data
    qint64 pos = 8;
    while (pos < size) {
        if (size - pos < ChunkFrame) {
            return EndsEarly;
        }
        const qint64 length = be32(d + pos);
        const QByteArrayView type(d + pos + 4, 4);
        if (length > size - pos - ChunkFrame) {
            QString name;
            for (const char c : type) {
                name += QChar::fromLatin1(c >= 0x20 && c < 0x7F ? c : '?');
            }
            return QStringLiteral("the file ends before its picture data: its %1 chunk claims "
                                  "%2 bytes, %3 more than the file holds")
                .arg(name)
                .arg(length)
                .arg(length - (size - pos - ChunkFrame));
        }
        if (type == "IEND") {
            return {};
        }
        pos += ChunkFrame + length;
    }
    return {};
}

} // namespace

QString missingPictureData(QByteArrayView file)
{
    const auto* d = reinterpret_cast<const uchar*>(file.data());
    const qint64 size = file.size();
    if (file.startsWith("BM")) {
        return missingBitmapData(d, size);
    }
    if (file.startsWith("\xFF\xD8")) {
        return missingJpegData(d, size);
    }
    if (file.startsWith("\x89PNG\r\n\x1a\n")) {
        return missingPngData(d, size);
    }
    if (file.startsWith("GIF87a") || file.startsWith("GIF89a")) {
        return missingGifData(d, size);
    }
    return {};
}
