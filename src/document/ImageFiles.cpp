#include "document/ImageFiles.h"

#include "render/RasterImage.h"

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
