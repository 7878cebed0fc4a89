#include "pickers/TfmColor.h"

#include "pickers/PaintModeBar.h"
#include "tools/DrawingState.h"
#include "widgets/Panel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

#include <cmath>

namespace {

const QSize Frame(ColorRing::BorderWidth, ColorRing::BorderHeight);

// Shows the picker raster unscaled from its top-left corner.
class PickerView final : public QWidget
{
public:
    PickerView(ColorRing& ring, QWidget* parent) : QWidget(parent), m_ring(ring)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).drawImage(0, 0, m_ring.raster().image());
    }

private:
    ColorRing& m_ring;
};

// A black circle outline 5 pixels across, unfilled.
class HueMarker final : public QWidget
{
public:
    explicit HueMarker(QWidget* parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        resize(5, 5);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        static constexpr const char* Rows[] = {".XXX.", "X...X", "X...X", "X...X", ".XXX."};
        QPainter painter(this);
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 5; ++x) {
                if (Rows[y][x] == 'X') {
                    painter.fillRect(x, y, 1, 1, Qt::black);
                }
            }
        }
    }
};

// A rectangle outline 3 x 4 that inverts what lies under it, so it shows on any colour.
class SquareMarker final : public QWidget
{
public:
    explicit SquareMarker(QWidget* parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        resize(3, 4);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
        painter.fillRect(0, 0, 3, 1, Qt::white);
        painter.fillRect(0, 3, 3, 1, Qt::white);
        painter.fillRect(0, 1, 1, 2, Qt::white);
        painter.fillRect(2, 1, 1, 2, Qt::white);
    }
};

} // namespace

TfmColor::TfmColor(DrawingState& state, QWidget* owner) : FloatingPalette(owner), m_state(state)
{
    setObjectName(QStringLiteral("fmColor"));
    setWindowTitle(QStringLiteral("High Color"));
    setWindowFlag(Qt::WindowMinimizeButtonHint);
    setMinimumWidth(ColorRing::MinWidth - ColorRing::BorderWidth);
    setMaximumWidth(ColorRing::MaxWidth - ColorRing::BorderWidth);

    QSize window(ColorRing::DesignWidth, 0);
    const ColorRef centre = m_ring.create(window);
    resize(window - Frame);

    Panel1 = new Panel(Panel::Bevel::Lowered, Panel::Bevel::Lowered, this, 1, 1);
    Panel1->setTopLeftCorners(Panel::Corners::Both);
    Panel1->setColor(QColor(colorref::toRgb(ColorRing::DefaultPanelColor)));
    Image1 = new PickerView(m_ring, Panel1);
    Image1->move(ColorRing::PanelInset, ColorRing::PanelInset);
    Image1->installEventFilter(this);
    Shape1 = new HueMarker(Panel1);
    Shape2 = new SquareMarker(Panel1);

    const PaintModeBar bar(this, m_state,
                           {ColorRing::BottomPanelHeight, {3, 3}, {39, 3}, {72, 3}, {107, 7}});
    Panel2 = bar.panel;
    sb1 = bar.sb1;
    sb2 = bar.sb2;
    Label1 = bar.Label1;
    Shape3 = bar.swatch;

    layOut();
    placeMarkers();
    watchPresses();

    m_state.CurrentColor = centre;
    Shape3->setColor(centre);
    m_state.OpaquePaint = false;
}

QSize TfmColor::outerSize() const
{
    return size() + Frame;
}

void TfmColor::FormActivate()
{
    m_state.CurrentColor = Shape3->color();
    m_state.OpaquePaint = !sb1->isChecked();
}

void TfmColor::followCurrentColor()
{
    Shape3->setColor(m_state.CurrentColor);
}

void TfmColor::setPaintModeButtonsVisible(bool visible)
{
    sb1->setVisible(visible);
    sb2->setVisible(visible);
}

// The height follows the width on every size change; only a new width moves the swatch and
// the markers and repaints the picker. Neither the colour nor the swatch's colour changes.
void TfmColor::resizeEvent(QResizeEvent* event)
{
    FloatingPalette::resizeEvent(event);
    if (!Panel2) {
        return;
    }
    QSize window = outerSize();
    const bool redrawn = m_ring.resize(window);
    if (window - Frame != size()) {
        resize(window - Frame);
    }
    layOut();
    if (redrawn) {
        Shape3->move(window.width() - Shape3->width() - 10, Shape3->y());
        placeMarkers();
        Image1->update();
    }
}

void TfmColor::layOut()
{
    const int panelHeight = height() - ColorRing::BottomPanelHeight;
    Panel1->setGeometry(0, 0, width(), panelHeight);
    const int inset = 2 * ColorRing::PanelInset;
    Image1->resize(std::max(width() - inset, 0), std::max(panelHeight - inset, 0));
    Panel2->setGeometry(0, panelHeight, width(), ColorRing::BottomPanelHeight);
}

void TfmColor::placeMarkers()
{
    Shape1->move(m_ring.HueMarker);
    Shape2->move(m_ring.SquareMarker);
}

bool TfmColor::eventFilter(QObject* watched, QEvent* event)
{
    // Presses bring the window to the front first.
    FloatingPalette::eventFilter(watched, event);
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease) {
        const QPointF at = static_cast<QMouseEvent*>(event)->position();
        Image1MouseUp(
            QPoint(static_cast<int>(std::floor(at.x())), static_cast<int>(std::floor(at.y()))));
        return true;
    }
    return false;
}

// A release dragged out of the picture still counts: the picture keeps the pointer while a
// button is held.
void TfmColor::Image1MouseUp(QPoint at)
{
    const std::optional<ColorRef> color = m_ring.pick(at.x(), at.y());
    placeMarkers();
    if (!color) {
        return;
    }
    m_state.CurrentColor = *color;
    Shape3->setColor(*color);
    Image1->update();
}
