#include "document/ImageFiles.h"

#include "document/THeightMapFile.h"
#include "files/PictureFiles.h"
#include "files/PictureMemory.h"
#include "raster/RasterImage.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <utility>

namespace {

QRgb greyOf(QRgb pixel)
{
    const QRgb v = QRgb(qBlue(pixel) + qGreen(pixel) + qRed(pixel)) / 3;
    return 0xFF000000 | v * 0x010101;
}

void greyRgb32Row(const QRgb* row, int width, QRgb* dest)
{
    for (int x = 0; x < width; ++x) {
        dest[x] = greyOf(row[x]);
    }
}

// Rows of other formats go through RasterImage's conversion in bands of this many.
constexpr int BandRows = 16;

} // namespace

bool greyRows(const QImage& picture, int y, int count, QRgb* dest, qsizetype destStride)
{
    const int width = picture.width();
    switch (picture.format()) {
    case QImage::Format_RGB32:
        for (int i = 0; i < count; ++i) {
            greyRgb32Row(reinterpret_cast<const QRgb*>(picture.constScanLine(y + i)), width,
                         dest + i * destStride);
        }
        return true;
    case QImage::Format_Grayscale8:
        for (int i = 0; i < count; ++i) {
            const uchar* row = picture.constScanLine(y + i);
            QRgb* out = dest + i * destStride;
            for (int x = 0; x < width; ++x) {
                out[x] = 0xFF000000 | QRgb(row[x]) * 0x010101;
            }
        }
        return true;
    default:
        for (int done = 0; done < count; done += BandRows) {
            const int rows = std::min(BandRows, count - done);
            const RasterImage band(picture.copy(0, y + done, width, rows));
            if (band.height() != rows) {
                return false;
            }
            for (int i = 0; i < rows; ++i) {
                greyRgb32Row(band.constScanLine(i), width, dest + (done + i) * destStride);
            }
        }
        return true;
    }
}

bool LoadGreyBitmap(RasterImage& image, const QString& fileName, QString* error)
{
    QImage decoded;
    if (!readPictureFile(fileName, &decoded, error)) {
        return false;
    }
    // An RGB32 picture turns grey in place; any other gets a picture of its own.
    const bool inPlace = decoded.format() == QImage::Format_RGB32;
    QImage grey = inPlace ? std::move(decoded)
                          : newPicture(decoded.width(), decoded.height(), QImage::Format_RGB32);
    if (grey.isNull() ||
        !greyRows(inPlace ? grey : decoded, 0, grey.height(), reinterpret_cast<QRgb*>(grey.bits()),
                  grey.bytesPerLine() / qsizetype(sizeof(QRgb)))) {
        if (error) {
            *error = QStringLiteral("Cannot read %1: not enough memory for the %2 x %3 picture")
                         .arg(QDir::toNativeSeparators(fileName))
                         .arg(grey.isNull() ? decoded.width() : grey.width())
                         .arg(grey.isNull() ? decoded.height() : grey.height());
        }
        return false;
    }
    image.setImage(grey);
    return true;
}

namespace {

bool isHeightMapName(const QString& fileName)
{
    return QFileInfo(fileName).suffix().compare(QLatin1String("bkp"), Qt::CaseInsensitive) == 0;
}

// A height-map file under another name, which the depth map's Save As writes for any name but
// .bmp: read as one when the name's own format cannot read it. `error` is cleared then.
bool readMisnamedHeightMap(const QString& fileName, RasterImage* picture, QString* error)
{
    THeightMapFile file;
    if (!file.load(fileName)) {
        return false;
    }
    *picture = file.picture();
    if (error) {
        error->clear();
    }
    return true;
}

} // namespace

QString projectRelativePath(const QString& projectPath, const QString& name)
{
    const QDir base =
        projectPath.isEmpty() ? QDir::current() : QFileInfo(projectPath).absoluteDir();
    return QDir::cleanPath(base.absoluteFilePath(name));
}

QString depthMapFileName(const QString& fileName)
{
    return isHeightMapName(fileName) ? fileName
                                     : changeFileExtension(fileName, QStringLiteral(".BKP"));
}

bool readDepthPicture(const QString& fileName, QImage* picture, QString* error)
{
    if (!isHeightMapName(fileName)) {
        if (readPictureFile(fileName, picture, error)) {
            return true;
        }
        RasterImage misnamed;
        if (!readMisnamedHeightMap(fileName, &misnamed, error)) {
            return false;
        }
        *picture = misnamed.image();
        return true;
    }
    THeightMapFile file;
    if (!file.load(fileName, error)) {
        return false;
    }
    *picture = file.picture().image();
    return true;
}

bool loadDepthMap(RasterImage& image, const QString& fileName, QString* error)
{
    if (!isHeightMapName(fileName)) {
        return LoadGreyBitmap(image, fileName, error) ||
               readMisnamedHeightMap(fileName, &image, error);
    }
    THeightMapFile file;
    if (!file.load(fileName, error)) {
        return false;
    }
    image = file.picture();
    return true;
}

bool writeDepthMap(const RasterImage& image, const QString& fileName, QString* error)
{
    if (isPictureFormat(fileName)) {
        return image.save(fileName, error);
    }
    THeightMapFile file;
    return file.save(fileName, image, error);
}

QString changeFileExtension(const QString& path, const QString& extension)
{
    const qsizetype nameStart = path.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return (dot >= nameStart ? path.left(dot) : path) + extension;
}
