#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Writes `picture` in `format` (a format name QImageWriter knows, such as "bmp" or "png")
// through a temporary file that replaces `path` only when complete; on failure an existing file
// is untouched and `reason` says why, without naming the file.
//
// An RGB32 picture goes straight from its rows to the file, without a copy of the whole picture.
// A bitmap comes out byte for byte as QImageWriter writes it (24 bits, bottom-up; see
// BatchCommandTest::make3dOutputUnchanged). A PNG keeps the pixels and resolution and is written
// by libspng at zlib level 1, rows unfiltered: about a tenth larger than QImageWriter's, in a
// fifth of the time, as QImageWriter tries every filter on every row and cannot get below about
// 330 ms on 4000 x 3000 (the batch_make3d benchmarks; size_vs_qt compares the sizes). Other
// pictures and formats go through QImageWriter.
bool writePictureFile(const QImage& picture, const QString& path, const QByteArray& format,
                      QString* reason);
