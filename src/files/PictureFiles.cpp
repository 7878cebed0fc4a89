#include "files/PictureFiles.h"

#include "files/PictureFileCheck.h"
#include "files/PictureFileWriter.h"
#include "files/PictureMemory.h"
#include "files/RegularFile.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>

bool readPictureFile(const QString& path, QImage* picture, QString* error)
{
    RegularFile file;
    QByteArray bytes;
    QString reason;
    if (!file.open(path, RegularFile::MaxPictureBytes, &reason) || !file.readAll(&bytes, &reason) ||
        !decodePicture(bytes, QFileInfo(path).suffix().toLower().toLatin1(), picture, &reason)) {
        if (error) {
            *error =
                QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(path), reason);
        }
        return false;
    }
    return true;
}

bool decodePicture(QByteArrayView bytes, const QByteArray& formatHint, QImage* picture,
                   QString* reason)
{
    auto fail = [&](const QString& why) {
        if (reason) {
            *reason = why;
        }
        return false;
    };
    if (const QString missing = missingPictureData(bytes); !missing.isEmpty()) {
        return fail(missing);
    }
    QByteArray data = QByteArray::fromRawData(bytes.data(), bytes.size());
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    // The content decides the format, as it does for a file name whose extension is wrong; the
    // extension only helps formats that cannot be told by their first bytes.
    QImageReader reader(&buffer);
    if (!reader.canRead() && QImageReader::supportedImageFormats().contains(formatHint)) {
        reader.setFormat(formatHint);
    }
    const QSize size = reader.size();
    const qint64 limit = qint64(QImageReader::allocationLimit()) << 20;
    if (size.isValid() && limit > 0 && qint64(size.width()) * size.height() * 4 > limit) {
        return fail(QStringLiteral("the %1 x %2 picture is too large to load")
                        .arg(size.width())
                        .arg(size.height()));
    }
    // Decoders fill the picture they are handed when it has the right size and format. A
    // cleared one keeps pixels that a file does not set (a bitmap's skipped runs) from showing
    // whatever the memory held.
    QImage loaded;
    if (size.isValid() && reader.imageFormat() != QImage::Format_Invalid) {
        loaded = newPicture(size.width(), size.height(), reader.imageFormat());
        loaded.fill(0);
    }
    if (!reader.read(&loaded)) {
        return fail(reader.errorString());
    }
    *picture = loaded;
    return true;
}

bool savePictureFile(const QImage& picture, const QString& path, QString* error)
{
    QString reason = QStringLiteral("the picture has no pixels");
    if (!picture.isNull() && writePictureFile(picture, path, imageFormatForPath(path), &reason)) {
        return true;
    }
    if (error) {
        *error = QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), reason);
    }
    return false;
}

bool isPictureFormat(const QString& path)
{
    const QByteArray suffix = QFileInfo(path).suffix().toLower().toLatin1();
    return !suffix.isEmpty() && QImageWriter::supportedImageFormats().contains(suffix);
}

QString unwritablePictureFormat(const QString& path)
{
    static const QList<QByteArray> common = {"avif", "dds", "exr",  "gif",  "hdr",  "heic", "heif",
                                             "icns", "jp2", "jxl",  "pcx",  "psd",  "svg",  "svgz",
                                             "tga",  "tif", "tiff", "wbmp", "webp", "xcf"};
    const QByteArray suffix = QFileInfo(path).suffix().toLower().toLatin1();
    if (suffix.isEmpty() || isPictureFormat(path) ||
        !(common.contains(suffix) || QImageReader::supportedImageFormats().contains(suffix))) {
        return {};
    }
    return QString::fromLatin1(suffix.toUpper());
}

QByteArray imageFormatForPath(const QString& path)
{
    return isPictureFormat(path) ? QFileInfo(path).suffix().toLower().toLatin1()
                                 : QByteArrayLiteral("bmp");
}
