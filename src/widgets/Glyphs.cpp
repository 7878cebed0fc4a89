#include "widgets/Glyphs.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int Size = 20;

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
    const QPen outline(QColor(30, 30, 30), 1.2);
    p.setPen(outline);
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
    }
}

} // namespace

QIcon glyphIcon(Glyph glyph)
{
    // Several buttons share a picture; each is drawn once.
    static QHash<Glyph, QIcon> drawn;
    if (const auto found = drawn.constFind(glyph); found != drawn.constEnd()) {
        return *found;
    }
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    drawGlyph(painter, glyph);
    painter.end();
    return *drawn.insert(glyph, QIcon(pixmap));
}
