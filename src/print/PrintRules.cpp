#include "print/PrintRules.h"

#include <QImage>
#include <QPainter>

#include <cmath>
#include <cstdint>
#include <limits>

namespace printing {

namespace {

// One side of the target rectangle. The product is taken in 64 bits: it equals the 32-bit one
// wherever that does not overflow, and stays right where it would.
int scaledSide(int pixels, int printerDpi, int screenDpi, double percent)
{
    if (pixels <= 0 || printerDpi <= 0 || screenDpi <= 0) {
        return 0;
    }
    const std::int64_t dots = std::int64_t{pixels} * printerDpi;
    const double side = static_cast<double>(dots) / screenDpi * percent / 100;
    // nearbyint rounds halves to even in the default rounding mode, which nothing here changes.
    const double rounded = std::nearbyint(side);
    return rounded >= std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                      : static_cast<int>(rounded);
}

} // namespace

bool printableRate(double percent)
{
    return std::isfinite(percent) && percent > 0;
}

QRect targetRect(QSize picture, int printerDpiX, int printerDpiY, int screenDpi, double rateX,
                 double rateY)
{
    if (!printableRate(rateX) || !printableRate(rateY)) {
        return {};
    }
    return QRect(0, 0, scaledSide(picture.width(), printerDpiX, screenDpi, rateX),
                 scaledSide(picture.height(), printerDpiY, screenDpi, rateY));
}

void drawPicture(QPainter& painter, const QImage& picture, const QRect& target)
{
    if (picture.isNull() || target.isEmpty()) {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    // Without it the PDF engine stores the picture as JPEG and most pixels change.
    painter.setRenderHint(QPainter::LosslessImageRendering, true);
    painter.drawImage(target, picture);
    painter.restore();
}

} // namespace printing
