#pragma once

#include "raster/RasterImage.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The depth map's own file format (.bkp): "HM", then width and height as little-endian 16-bit
// numbers, then every row from the top as run records of two bytes (count 1..255, grey). Runs
// never continue into the next row and there is no trailer. A pixel is stored as its blue
// component, which for the greys of a depth map is the grey itself.
//
// One object serves one save or one load; after a successful load, picture() holds the greys
// with the grey palette attached.
class THeightMapFile final
{
public:
    // Pictures larger than this many pixels are refused by load: the format allows 65535 x 65535
    // (16 GiB of pixels), which a small hostile file could otherwise make us allocate.
    static constexpr qint64 MaxLoadPixels = qint64(1) << 28;
    // Larger files are not read: the largest picture loaded, every pixel a run of its own.
    static constexpr qint64 MaxFileBytes = 6 + 2 * MaxLoadPixels;

    const RasterImage& picture() const { return m_picture; }
    // The picture's size, as callers take it.
    QRect clipRect() const { return m_picture.clipRect(); }

    // Writes `image` to `fileName` through a temporary file that replaces the target only when
    // complete. Refuses pictures with no pixels or wider or taller than 65535. On failure
    // `error` names the file and the reason, and an earlier file is left as it was.
    bool save(const QString& fileName, const RasterImage& image, QString* error = nullptr);

    // Reads `fileName` into picture(). Refuses (false, `error` naming the file and the reason,
    // picture() empty) a path that is not a regular file, a file larger than MaxFileBytes or
    // without the mark, a zero width or height, a picture the file is too short to fill or too
    // large to allocate, a file that ends before its last row, and one that another program
    // cuts short while it is read.
    // A run passing the end of its row is cut there; a record with count 0 sets nothing.
    bool load(const QString& fileName, QString* error = nullptr);

    // The same encoding and decoding on bytes in memory. decode() reports why it refused in
    // `reason`, without a file name.
    static QByteArray encode(const RasterImage& image);
    bool decode(QByteArrayView bytes, QString* reason = nullptr);

private:
    RasterImage m_picture;
};
