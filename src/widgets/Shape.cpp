#include "widgets/Shape.h"

#include <QPainter>

Shape::Shape(QWidget* parent) : QWidget(parent) {}

void Shape::setOutline(Outline outline, int width, const QColor& color)
{
    m_outline = outline;
    m_outlineWidth = width;
    m_outlineColor = color;
    update();
}

void Shape::setFill(Fill fill, const QColor& color)
{
    m_fill = fill;
    m_fillColor = color;
    update();
}

void Shape::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_fill == Fill::Solid) {
        painter.fillRect(rect(), m_fillColor);
    } else if (m_fill == Fill::DiagonalCross) {
        painter.fillRect(rect(), QBrush(m_fillColor, Qt::DiagCrossPattern));
    }
    if (m_outline == Outline::None) {
        return;
    }
    // The outline lies inside the widget, never cut by its edge.
    if (m_outline == Outline::Solid) {
        const int w = m_outlineWidth;
        const QRect r = rect();
        painter.fillRect(QRect(r.left(), r.top(), r.width(), w), m_outlineColor);
        painter.fillRect(QRect(r.left(), r.bottom() - w + 1, r.width(), w), m_outlineColor);
        painter.fillRect(QRect(r.left(), r.top(), w, r.height()), m_outlineColor);
        painter.fillRect(QRect(r.right() - w + 1, r.top(), w, r.height()), m_outlineColor);
        return;
    }
    QPen pen(m_outlineColor, 1, Qt::CustomDashLine, Qt::FlatCap);
    pen.setDashPattern({3.0, 3.0});
    painter.setPen(pen);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
