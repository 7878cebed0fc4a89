#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Writes `picture` in `format` (a format name QImageWriter knows, such as "bmp" or "png")
// through a temporary file that replaces `path` only when complete; on failure an existing file
// is untouched and `reason` says why, without naming the file.
//
// An RGB32 picture goes straight from its rows to the file, without a copy of the whole picture:
// as a Windows bitmap byte for byte as QImageWriter writes it (24 bits, bottom-up), or as a PNG
// with the same pixels and resolution that libspng compresses fast (zlib level 1, rows
// unfiltered: about a tenth larger than QImageWriter's, in a fifth of the time). Other pictures
// and formats go through QImageWriter.
bool writePictureFile(const QImage& picture, const QString& path, const QByteArray& format,
                      QString* reason);
