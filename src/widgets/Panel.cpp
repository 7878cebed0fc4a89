#include "widgets/Panel.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace {

void drawBevel(QPainter& painter, const QRect& r, Panel::Bevel bevel, const QPalette& palette)
{
    if (bevel == Panel::Bevel::None) {
        return;
    }
    const QColor light = palette.color(QPalette::Light);
    const QColor dark = palette.color(QPalette::Dark);
    const QColor topLeft = bevel == Panel::Bevel::Lowered ? dark : light;
    const QColor bottomRight = bevel == Panel::Bevel::Lowered ? light : dark;
    painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), topLeft);
    painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), topLeft);
    painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
    painter.fillRect(QRect(r.right(), r.top() + 1, 1, r.height() - 1), bottomRight);
}

} // namespace

Panel::Panel(QWidget* parent) : QWidget(parent), m_color(palette().color(QPalette::Window))
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

void Panel::setBorderWidth(int width)
{
    m_border = width;
    update();
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

int Panel::edgeWidth() const
{
    return m_border + (m_outer != Bevel::None ? 1 : 0) + (m_inner != Bevel::None ? 1 : 0);
}

QRect Panel::contentRect() const
{
    const int edge = edgeWidth();
    return rect().adjusted(edge, edge, -edge, -edge);
}

void Panel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_color);
    QRect r = rect();
    for (int i = 0; i < m_border; ++i) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
    }
    drawBevel(painter, r, m_outer, palette());
    if (m_outer != Bevel::None) {
        r.adjust(1, 1, -1, -1);
    }
    drawBevel(painter, r, m_inner, palette());
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
