#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QString>

// Picture files in any format Qt reads or writes, as QImage. Errors name the file and the
// reason; the checks before decoding refuse what Qt's decoders would turn into made-up pixels.

// Reads a picture file, leaving the picture in the format its decoder gives (an 8-bit grey PNG
// stays 8-bit grey). Only a regular file is read, and a file that ends before its picture data
// is refused. On failure `picture` is unchanged and `error` names the file and the reason.
bool readPictureFile(const QString& path, QImage* picture, QString* error = nullptr);
// The same on a file's bytes; `formatHint` (an extension such as "bmp") is tried when the
// bytes do not tell the format. On failure `reason` says why, without a file name.
bool decodePicture(QByteArrayView bytes, const QByteArray& formatHint, QImage* picture,
                   QString* reason);

// Writes `picture` in the format imageFormatForPath gives, through a temporary file that
// replaces `path` only when complete. A null picture is refused. On failure an existing file is
// untouched and `error` names the file and the reason.
bool savePictureFile(const QImage& picture, const QString& path, QString* error = nullptr);

// The format `path` is written in: its extension when Qt writes that format (png, jpg, ...),
// otherwise "bmp".
QByteArray imageFormatForPath(const QString& path);

// Whether the extension of `path` names a picture format Qt writes.
bool isPictureFormat(const QString& path);
// The extension of `path` in capitals when it names a picture format that Qt reads, or another
// common one, but cannot write (GIF, TIFF, WebP, ...); otherwise empty.
QString unwritablePictureFormat(const QString& path);
