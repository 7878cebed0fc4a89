#include "pickers/PaintModeBar.h"

#include "tools/DrawingState.h"
#include "widgets/Glyphs.h"
#include "widgets/Panel.h"

#include <QButtonGroup>
#include <QLabel>
#include <QPainter>
#include <QToolButton>

namespace {

constexpr int GlyphSize = 20;

QToolButton* modeButton(QWidget* parent, QPoint at, bool mix)
{
    auto* button = new QToolButton(parent);
    button->setGeometry(at.x(), at.y(), 28, 28);
    button->setCheckable(true);
    button->setAutoRaise(false);
    button->setIcon(glyphIcon(mix ? Glyph::PaintMix : Glyph::PaintOpaque));
    button->setIconSize(QSize(GlyphSize, GlyphSize));
    return button;
}

} // namespace

Swatch::Swatch(QWidget* parent) : QWidget(parent)
{
    // A press on the swatch belongs to the window around it.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Swatch::setColor(ColorRef color)
{
    m_color = color;
    update();
}

void Swatch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.fillRect(rect().adjusted(1, 1, -1, -1), QColor(colorref::toRgb(m_color)));
}

PaintModeBar::PaintModeBar(QWidget* window, DrawingState& state, const Layout& layout)
{
    panel = new Panel(Panel::Bevel::Lowered, Panel::Bevel::None, window);
    panel->setTopLeftCorners(Panel::Corners::Both);
    panel->setGeometry(0, window->height() - layout.height, window->width(), layout.height);

    sb1 = modeButton(panel, layout.sb1, true);
    sb2 = modeButton(panel, layout.sb2, false);
    auto* group = new QButtonGroup(panel);
    group->addButton(sb1);
    group->addButton(sb2);
    group->setExclusive(true);
    sb1->setChecked(true);
    QObject::connect(sb1, &QToolButton::clicked, panel, [&state] { state.OpaquePaint = false; });
    QObject::connect(sb2, &QToolButton::clicked, panel, [&state] { state.OpaquePaint = true; });

    Label1 = new QLabel(QStringLiteral("Color:"), panel);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    font.setBold(true);
    Label1->setFont(font);
    QPalette black = Label1->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    Label1->setPalette(black);
    // Never resized, so it is fitted to its text when first shown: measuring it now would load
    // its font at start, for a window that may never be shown.
    Label1->move(layout.label);

    swatch = new Swatch(panel);
    swatch->setGeometry(layout.swatch.x(), layout.swatch.y(), 30, 26);
}
