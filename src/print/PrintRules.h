#pragma once

#include <QRect>
#include <QSize>

class QImage;
class QPainter;

// Where and how the 3D picture lands on the printed page. At rates of 100 % a picture is as large
// on paper as on the screen: each picture pixel becomes as many printer dots as the printer has
// dots per screen pixel, on each axis by that axis's resolution.
namespace printing {

// True for a rate that can be printed: more than 0 and finite. A rate of 0 or less is no scale:
// the print refuses it and the preview never hands one back.
bool printableRate(double percent);

// The rectangle in printer dots that the picture covers, at the page's top-left corner:
// right = Round(width × printerDpiX / screenDpi × rateX / 100), bottom likewise with the
// heights. The product of pixels and dots per inch is exact; the rest is floating point, and
// halves round to the even integer (100 pixels at 300 dpi on a 96-pixel screen give 312).
// A rate that is not printable gives an empty rectangle; sides beyond the int range stop there.
QRect targetRect(QSize picture, int printerDpiX, int printerDpiY, int screenDpi, double rateX,
                 double rateY);

// Stretches the whole picture over `target`: every picture pixel becomes a block of dots, not
// smoothed, and its colours reach the page unchanged (no lossy compression). An empty picture
// or target draws nothing.
void drawPicture(QPainter& painter, const QImage& picture, const QRect& target);

} // namespace printing
