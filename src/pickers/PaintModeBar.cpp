#include "pickers/PaintModeBar.h"

#include "tools/DrawingState.h"
#include "widgets/Panel.h"

#include <QButtonGroup>
#include <QLabel>
#include <QPainter>
#include <QToolButton>

namespace {

constexpr int GlyphSize = 20;

bool inDisc(int x, int y, QPoint centre, int radius)
{
    const int dx = x - centre.x();
    const int dy = y - centre.y();
    return dx * dx + dy * dy <= radius * radius;
}

// Two discs, red at the upper left and green at the lower right. Mixed, the overlap shows grey;
// opaque, the green disc covers the red one.
QPixmap glyph(bool mix)
{
    QImage image(GlyphSize, GlyphSize, QImage::Format_ARGB32);
    const QPoint red(7, 7);
    const QPoint green(12, 12);
    const int radius = 6;
    for (int y = 0; y < GlyphSize; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < GlyphSize; ++x) {
            const bool inRed = inDisc(x, y, red, radius);
            const bool inGreen = inDisc(x, y, green, radius);
            if (inRed && inGreen) {
                row[x] = mix ? qRgb(128, 128, 128) : qRgb(0, 160, 0);
            } else if (inGreen) {
                row[x] = qRgb(0, 160, 0);
            } else if (inRed) {
                row[x] = qRgb(224, 0, 0);
            } else {
                row[x] = qRgba(0, 0, 0, 0);
            }
        }
    }
    return QPixmap::fromImage(image);
}

QToolButton* modeButton(QWidget* parent, QPoint at, bool mix)
{
    auto* button = new QToolButton(parent);
    button->setGeometry(at.x(), at.y(), 28, 28);
    button->setCheckable(true);
    button->setAutoRaise(false);
    button->setIcon(glyph(mix));
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
    Label1->move(layout.label);
    Label1->adjustSize();

    swatch = new Swatch(panel);
    swatch->setGeometry(layout.swatch.x(), layout.swatch.y(), 30, 26);
}
