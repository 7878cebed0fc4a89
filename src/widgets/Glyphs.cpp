#include "widgets/Glyphs.h"

#include "widgets/LazyIcon.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int Size = 20;
constexpr int PixelSize = 16;

// The output window's glyphs are drawn on whole pixels in black one-pixel lines, at the size its
// buttons show them; the others smoothly, outlined in dark grey, at 20 pixels.
bool onPixels(Glyph glyph)
{
    return glyph == Glyph::SavePicture || glyph == Glyph::FullScreen ||
           glyph == Glyph::PrintPicture;
}

void drawPage(QPainter& p, const QColor& fill)
{
    QPolygonF page({{4, 2}, {12, 2}, {16, 6}, {16, 18}, {4, 18}});
    p.setBrush(fill);
    p.drawPolygon(page);
    p.drawPolyline(QPolygonF({{12, 2}, {12, 6}, {16, 6}}));
}

void drawFloppy(QPainter& p)
{
    p.setBrush(QColor(40, 70, 150));
    p.drawRect(QRectF(3, 3, 14, 14));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6, 3, 8, 5));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(5, 11, 10, 6));
}

void drawGlyph(QPainter& p, Glyph glyph)
{
    switch (glyph) {
    case Glyph::NewFile:
        drawPage(p, Qt::white);
        break;
    case Glyph::OpenFile:
        p.setBrush(QColor(230, 190, 80));
        p.drawPolygon(QPolygonF({{2, 5}, {7, 5}, {9, 7}, {17, 7}, {17, 16}, {2, 16}}));
        p.setBrush(QColor(250, 220, 120));
        p.drawPolygon(QPolygonF({{4, 10}, {19, 10}, {17, 16}, {2, 16}}));
        break;
    case Glyph::SaveFile:
        drawFloppy(p);
        break;
    case Glyph::SaveFileAs:
        drawFloppy(p);
        p.setPen(QPen(QColor(200, 40, 40), 2));
        p.drawLine(QPointF(12, 18), QPointF(18, 12));
        break;
    case Glyph::Cut:
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(3, 12, 5, 5));
        p.drawEllipse(QRectF(12, 12, 5, 5));
        p.drawLine(QPointF(7, 12), QPointF(14, 2));
        p.drawLine(QPointF(13, 12), QPointF(6, 2));
        break;
    case Glyph::Copy:
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3, 2, 9, 11));
        p.drawRect(QRectF(8, 7, 9, 11));
        break;
    case Glyph::Paste:
        p.setBrush(QColor(190, 140, 80));
        p.drawRect(QRectF(3, 3, 12, 15));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(8, 8, 9, 10));
        p.setBrush(QColor(120, 120, 120));
        p.drawRect(QRectF(6, 1, 6, 3));
        break;
    case Glyph::Make3D:
        // Two offset squares: the eyes' two views of one shape.
        p.setBrush(QColor(220, 40, 40, 200));
        p.drawRect(QRectF(2, 5, 10, 10));
        p.setBrush(QColor(40, 120, 230, 200));
        p.drawRect(QRectF(8, 5, 10, 10));
        break;
    case Glyph::Print:
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5, 2, 10, 6));
        p.setBrush(QColor(170, 170, 170));
        p.drawRect(QRectF(2, 8, 16, 7));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5, 12, 10, 6));
        break;
    case Glyph::Help: {
        // Drawn, not typeset: a font loaded for one glyph would slow the start.
        p.setBrush(QColor(255, 240, 120));
        p.drawEllipse(QRectF(2, 2, 16, 16));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(30, 30, 30), 2, Qt::SolidLine, Qt::RoundCap));
        QPainterPath question;
        question.moveTo(7, 8);
        question.cubicTo(7, 4.5, 13, 4.5, 13, 8);
        question.cubicTo(13, 10, 10, 10, 10, 12.5);
        p.drawPath(question);
        p.drawPoint(QPointF(10, 15.5));
        break;
    }
    case Glyph::Select:
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(30, 30, 30), 1, Qt::DashLine));
        p.drawRect(QRectF(3, 3, 14, 14));
        break;
    case Glyph::Pencil:
        p.setBrush(QColor(240, 190, 60));
        p.drawPolygon(QPolygonF({{4, 16}, {5, 12}, {14, 3}, {17, 6}, {8, 15}}));
        p.drawLine(QPointF(5, 12), QPointF(8, 15));
        break;
    case Glyph::Fill:
        p.setBrush(QColor(200, 200, 200));
        p.drawPolygon(QPolygonF({{3, 9}, {9, 3}, {15, 9}, {9, 15}}));
        p.setBrush(QColor(40, 90, 220));
        p.drawEllipse(QRectF(14, 12, 4, 6));
        break;
    case Glyph::Line:
        p.setPen(QPen(QColor(30, 30, 30), 2));
        p.drawLine(QPointF(3, 17), QPointF(17, 3));
        break;
    case Glyph::Rectangle:
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(30, 30, 30), 2));
        p.drawRect(QRectF(3, 5, 14, 10));
        break;
    case Glyph::Ellipse:
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(30, 30, 30), 2));
        p.drawEllipse(QRectF(2, 5, 16, 10));
        break;
    case Glyph::Text:
        // A capital A with serifs, drawn for the same reason as the question mark.
        p.setPen(QPen(QColor(30, 30, 30), 2.2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        p.drawPolyline(QPolygonF({{4.5, 17}, {10, 3}, {15.5, 17}}));
        p.drawLine(QPointF(6.5, 12), QPointF(13.5, 12));
        p.setPen(QPen(QColor(30, 30, 30), 1.5));
        p.drawLine(QPointF(2.5, 17), QPointF(7, 17));
        p.drawLine(QPointF(13, 17), QPointF(17.5, 17));
        break;
    case Glyph::PickColour:
        p.setBrush(QColor(120, 120, 120));
        p.drawPolygon(QPolygonF({{3, 17}, {4, 13}, {12, 5}, {15, 8}, {7, 16}}));
        p.setBrush(QColor(30, 30, 30));
        p.drawEllipse(QRectF(12, 2, 6, 6));
        break;
    case Glyph::Smooth: {
        QLinearGradient gradient(2, 0, 18, 0);
        gradient.setColorAt(0, QColor(60, 60, 60));
        gradient.setColorAt(1, QColor(240, 240, 240));
        p.setBrush(gradient);
        p.drawRect(QRectF(2, 5, 16, 10));
        break;
    }
    case Glyph::PaintMix: {
        const QRectF left(1.5, 3.5, 11, 11);
        const QRectF right(7.5, 5.5, 11, 11);
        QPainterPath overlap;
        overlap.addEllipse(left);
        QPainterPath second;
        second.addEllipse(right);
        overlap = overlap.intersected(second);
        p.setBrush(QColor(230, 60, 60));
        p.drawEllipse(left);
        p.setBrush(QColor(60, 110, 230));
        p.drawEllipse(right);
        p.setBrush(QColor(150, 70, 170));
        p.drawPath(overlap);
        // Both outlines whole: nothing is hidden.
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(left);
        p.drawEllipse(right);
        break;
    }
    case Glyph::PaintOpaque:
        p.setBrush(QColor(230, 60, 60));
        p.drawEllipse(QRectF(1.5, 3.5, 11, 11));
        p.setBrush(QColor(60, 110, 230));
        p.drawRect(QRectF(7.5, 6.5, 11, 11));
        break;
    case Glyph::SavePicture: // a diskette
        p.fillRect(1, 1, 14, 14, QColor(0x00, 0x00, 0x80));
        p.fillRect(4, 2, 8, 5, Qt::white);
        p.fillRect(5, 10, 6, 5, QColor(0xC0, 0xC0, 0xC0));
        p.drawRect(1, 1, 13, 13);
        break;
    case Glyph::FullScreen: // a monitor on its stand
        p.fillRect(1, 1, 14, 10, QColor(0x00, 0x80, 0x80));
        p.drawRect(1, 1, 13, 9);
        p.fillRect(6, 11, 4, 2, Qt::darkGray);
        p.fillRect(3, 13, 10, 2, Qt::darkGray);
        break;
    case Glyph::PrintPicture: // a printer with a sheet
        p.fillRect(4, 1, 8, 6, Qt::white);
        p.drawRect(4, 1, 7, 5);
        p.fillRect(1, 7, 14, 6, QColor(0xC0, 0xC0, 0xC0));
        p.drawRect(1, 7, 13, 5);
        p.fillRect(4, 12, 8, 3, Qt::white);
        p.drawRect(4, 12, 7, 2);
        break;
    }
}

QIcon drawnIcon(Glyph glyph)
{
    const bool pixels = onPixels(glyph);
    QPixmap pixmap(pixels ? PixelSize : Size, pixels ? PixelSize : Size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, !pixels);
    painter.setPen(pixels ? QPen(Qt::black) : QPen(QColor(30, 30, 30), 1.2));
    drawGlyph(painter, glyph);
    painter.end();
    return QIcon(pixmap);
}

} // namespace

QIcon glyphIcon(Glyph glyph)
{
    // Several buttons share a picture; each is drawn once, when a button is first painted.
    static QHash<Glyph, QIcon> drawn;
    if (const auto found = drawn.constFind(glyph); found != drawn.constEnd()) {
        return *found;
    }
    return *drawn.insert(glyph, QIcon(new LazyIconEngine([glyph] { return drawnIcon(glyph); })));
}
