#include "document/ImageFiles.h"

#include "document/THeightMapFile.h"
#include "render/RasterImage.h"

#include <QFileInfo>

bool LoadGreyBitmap(RasterImage& image, const QString& fileName, QString* error)
{
    if (!image.load(fileName, error)) {
        return false;
    }
    makeGrey(image);
    return true;
}

void makeGrey(RasterImage& image)
{
    if (image.isEmpty()) {
        return;
    }
    for (int y = 0; y < image.height(); ++y) {
        QRgb* row = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = row[x];
            const int v = (qBlue(p) + qGreen(p) + qRed(p)) / 3;
            row[x] = qRgb(v, v, v);
        }
    }
}

namespace {

bool isHeightMapName(const QString& fileName)
{
    return QFileInfo(fileName).suffix().compare(QLatin1String("bkp"), Qt::CaseInsensitive) == 0;
}

} // namespace

QString depthMapFileName(const QString& fileName)
{
    return isHeightMapName(fileName) ? fileName
                                     : changeFileExtension(fileName, QStringLiteral(".BKP"));
}

bool loadDepthMap(RasterImage& image, const QString& fileName, QString* error)
{
    if (!isHeightMapName(fileName)) {
        return LoadGreyBitmap(image, fileName, error);
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
