#include "widgets/Panel.h"

#include <QFontMetrics>
#include <QPainter>
#include <qdrawutil.h>

#include <algorithm>

Panel::Panel(QWidget* parent) : QWidget(parent), m_color(palette().color(QPalette::Window))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

Panel::Panel(Bevel outer, Bevel inner, QWidget* parent, int bevelWidth, int gap)
    : QWidget(parent), m_outer(outer), m_inner(inner), m_bevelWidth(bevelWidth), m_gap(gap)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Panel::setBevelOuter(Bevel bevel)
{
    m_outer = bevel;
    update();
}

void Panel::setBevelInner(Bevel bevel)
{
    m_inner = bevel;
    update();
}

void Panel::setTopLeftCorners(Corners corners)
{
    m_corners = corners;
    update();
}

void Panel::setBorderWidth(int width)
{
    m_border = width;
    update();
}

QColor Panel::color() const
{
    return m_color.isValid() ? m_color : palette().color(QPalette::Window);
}

void Panel::setColor(const QColor& color)
{
    m_color = color;
    update();
}

void Panel::setText(const QString& text)
{
    if (text != m_text) {
        m_text = text;
        update();
    }
}

int Panel::frameWidth() const
{
    return m_border + (m_outer != Bevel::None ? m_bevelWidth : 0) + m_gap +
           (m_inner != Bevel::None ? m_bevelWidth : 0);
}

QRect Panel::contentRect() const
{
    const int edge = frameWidth();
    return rect().adjusted(edge, edge, -edge, -edge);
}

// One ring at a time: qDrawShadePanel gives both corners where the colours meet to the
// bottom-right colour, so the corners that belong to the top-left colour are painted over.
void Panel::drawBevel(QPainter& painter, QRect& r, Bevel bevel) const
{
    if (bevel == Bevel::None) {
        return;
    }
    const bool lowered = bevel == Bevel::Lowered;
    const QColor topLeft = palette().color(lowered ? QPalette::Dark : QPalette::Light);
    const QColor bottomRight = palette().color(lowered ? QPalette::Light : QPalette::Dark);
    for (int i = 0; i < m_bevelWidth; ++i) {
        if (r.width() > 1 && r.height() > 1) {
            qDrawShadePanel(&painter, r, palette(), lowered, 1);
            if (m_corners != Corners::None) {
                painter.fillRect(r.right(), r.top(), 1, 1, topLeft);
            }
            if (m_corners == Corners::Both) {
                painter.fillRect(r.left(), r.bottom(), 1, 1, topLeft);
            }
        } else {
            // qDrawShadePanel draws beside a ring one pixel thin and nothing for one of no
            // size. Only the main window's panes get this thin, squeezed to a pixel or two;
            // they get their edges as rectangles of the ring's size, the top-right corner in
            // the top-left colour whatever the corners setting. fillRect turns a negative size
            // around, so some edges land beside the ring.
            painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), topLeft);
            painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), topLeft);
            painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
            painter.fillRect(QRect(r.right(), r.top() + 1, 1, r.height() - 1), bottomRight);
        }
        r.adjust(1, 1, -1, -1);
    }
}

void Panel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), color());
    QRect r = rect();
    for (int i = 0; i < m_border; ++i) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
    }
    drawBevel(painter, r, m_outer);
    r.adjust(m_gap, m_gap, -m_gap, -m_gap);
    drawBevel(painter, r, m_inner);
    if (!m_text.isEmpty()) {
        // The designed fonts are narrow; a wider stand-in is narrowed until the text fits.
        const QRect area = contentRect().adjusted(1, 0, -1, 0);
        QFont font = this->font();
        const int natural = QFontMetrics(font).horizontalAdvance(m_text);
        if (natural > area.width() && area.width() > 0) {
            font.setStretch(std::max(50, 100 * area.width() / natural));
            painter.setFont(font);
        }
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter, m_text);
    }
}
