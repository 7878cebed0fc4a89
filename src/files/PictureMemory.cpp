#include "files/PictureMemory.h"

#include <cstdlib>
#include <limits>
#include <sys/mman.h>

namespace {

constexpr size_t HugePage = size_t(2) << 20;

// Below this, a picture would mostly round up to a page it does not use.
constexpr size_t HugePageMinimum = 4 * HugePage;

void freePixels(void* pixels)
{
    std::free(pixels);
}

} // namespace

QImage newPicture(int width, int height, QImage::Format format)
{
    if (width <= 0 || height <= 0 || format == QImage::Format_Invalid) {
        return QImage();
    }
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    // Rows padded to 32 bits, as QImage pads its own.
    const qsizetype bytesPerLine = (qsizetype(width) * depth + 31) / 32 * 4;
    if (bytesPerLine > std::numeric_limits<int>::max() ||
        size_t(bytesPerLine) > std::numeric_limits<size_t>::max() / size_t(height) - HugePage) {
        return QImage();
    }
    const size_t bytes = size_t(bytesPerLine) * size_t(height);
    if (bytes < HugePageMinimum) {
        return QImage(width, height, format);
    }
    const size_t rounded = (bytes + HugePage - 1) / HugePage * HugePage;
    void* pixels = nullptr;
    if (::posix_memalign(&pixels, HugePage, rounded) != 0) {
        return QImage();
    }
    // Only advice: without transparent huge pages the memory comes in small pages as usual.
    ::madvise(pixels, rounded, MADV_HUGEPAGE);
    QImage picture(static_cast<uchar*>(pixels), width, height, bytesPerLine, format, freePixels,
                   pixels);
    if (picture.isNull()) {
        std::free(pixels);
    }
    return picture;
}
