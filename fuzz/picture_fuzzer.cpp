// Feeds arbitrary bytes to the picture loader: the check for files that end before their
// picture data, then Qt's decoders. Whatever it accepts is an opaque picture with pixels; what
// it refuses leaves the picture as it was.
// Run: picture_fuzzer -max_len=65536 -dict=fuzz/picture.dict NEW_DIR fuzz/corpus/picture

#include "raster/RasterImage.h"

#include <QImageReader>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Large enough for every picture of a small file worth decoding, small enough for speed.
    QImageReader::setAllocationLimit(16);
    // The decoders' warnings about broken input would take most of the time.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    RasterImage picture(1, 1);
    picture.setPixel(0, 0, colorref::rgb(1, 2, 3));
    QString reason;
    if (!picture.loadFromData(QByteArrayView(data, qsizetype(size)), "bmp", &reason)) {
        if (reason.isEmpty() || picture.width() != 1 || picture.height() != 1 ||
            picture.pixel(0, 0) != colorref::rgb(1, 2, 3)) {
            std::abort();
        }
        return 0;
    }
    if (picture.isEmpty() || picture.image().format() != QImage::Format_RGB32) {
        std::abort();
    }
    return 0;
}
