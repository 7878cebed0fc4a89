#include "widgets/BevelPanel.h"

#include <QPainter>

BevelPanel::BevelPanel(Bevel outer, Bevel inner, QWidget* parent, int bevelWidth, int borderWidth)
    : QWidget(parent), m_outer(outer), m_inner(inner), m_bevelWidth(bevelWidth),
      m_borderWidth(borderWidth)
{}

void BevelPanel::setColor(const QColor& color)
{
    m_color = color;
    update();
}

int BevelPanel::frameWidth() const
{
    return (m_outer != Bevel::None ? m_bevelWidth : 0) + m_borderWidth +
           (m_inner != Bevel::None ? m_bevelWidth : 0);
}

void BevelPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor fill = m_color.isValid() ? m_color : palette().color(QPalette::Window);
    const QColor light = palette().color(QPalette::Light);
    const QColor dark = palette().color(QPalette::Dark);
    QRect r = rect();
    painter.fillRect(r, fill);
    auto bevel = [&](Bevel kind) {
        if (kind == Bevel::None) {
            return;
        }
        const QColor topLeft = kind == Bevel::Lowered ? dark : light;
        const QColor bottomRight = kind == Bevel::Lowered ? light : dark;
        for (int i = 0; i < m_bevelWidth && r.width() > 0 && r.height() > 0; ++i) {
            painter.fillRect(r.left(), r.top(), r.width(), 1, topLeft);
            painter.fillRect(r.left(), r.top(), 1, r.height(), topLeft);
            painter.fillRect(r.left() + 1, r.bottom(), r.width() - 1, 1, bottomRight);
            painter.fillRect(r.right(), r.top() + 1, 1, r.height() - 1, bottomRight);
            r.adjust(1, 1, -1, -1);
        }
    };
    bevel(m_outer);
    r.adjust(m_borderWidth, m_borderWidth, -m_borderWidth, -m_borderWidth);
    bevel(m_inner);
}
