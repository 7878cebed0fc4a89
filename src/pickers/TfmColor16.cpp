#include "pickers/TfmColor16.h"

#include "document/Prompts.h"
#include "pickers/PaintModeBar.h"
#include "raster/RasterImage.h"
#include "tools/DrawingState.h"
#include "widgets/Panel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

#include <cmath>
#include <functional>

namespace {

constexpr int ClientWidth = 155;
constexpr int ClientHeight = 153;

QPoint pointOf(const QMouseEvent* event)
{
    const QPointF at = event->position();
    return QPoint(static_cast<int>(std::floor(at.x())), static_cast<int>(std::floor(at.y())));
}

// The grid of cells. It keeps its own selection: a left press (and a left drag) moves it to the
// cell under the pointer, the arrow keys move it one cell; other buttons leave it. While the
// grid has the keyboard focus a dotted rectangle marks the selected cell.
class ColorGrid final : public QWidget
{
public:
    ColorGrid(ColorCells& cells, std::function<void()> released,
              std::function<void()> doubleClicked, QWidget* parent)
        : QWidget(parent), m_cells(cells), m_released(std::move(released)),
          m_doubleClicked(std::move(doubleClicked))
    {
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        RasterImage grid(ColorCells::GridWidth, ColorCells::GridHeight);
        m_cells.drawGrid(grid);
        QPainter painter(this);
        painter.drawImage(0, 0, grid.image());
        if (hasFocus()) {
            drawFocusRect(painter);
        }
    }

    void mousePressEvent(QMouseEvent* event) override { select(event); }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (event->buttons() & Qt::LeftButton) {
            select(event);
        }
    }
    void mouseReleaseEvent(QMouseEvent*) override { m_released(); }
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        select(event);
        if (event->button() == Qt::LeftButton) {
            m_doubleClicked();
        }
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        switch (event->key()) {
        case Qt::Key_Left:
            m_cells.moveSelection(-1, 0);
            break;
        case Qt::Key_Right:
            m_cells.moveSelection(1, 0);
            break;
        case Qt::Key_Up:
            m_cells.moveSelection(0, -1);
            break;
        case Qt::Key_Down:
            m_cells.moveSelection(0, 1);
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
        }
        update();
    }

    void focusInEvent(QFocusEvent*) override { update(); }
    void focusOutEvent(QFocusEvent*) override { update(); }

private:
    void select(const QMouseEvent* event)
    {
        if (event->button() != Qt::LeftButton && !(event->buttons() & Qt::LeftButton)) {
            return;
        }
        if (const auto cell = ColorCells::cellAt(pointOf(event));
            cell && *cell != m_cells.selected) {
            m_cells.selected = *cell;
            update();
        }
    }

    // Every other pixel of the cell's border inverted.
    void drawFocusRect(QPainter& painter) const
    {
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
        const QRect cell(m_cells.selected.x() * ColorCells::CellWidth,
                         m_cells.selected.y() * ColorCells::CellHeight, ColorCells::CellWidth,
                         ColorCells::CellHeight);
        int step = 0;
        auto dot = [&](int x, int y) {
            if (step++ % 2 == 0) {
                painter.fillRect(x, y, 1, 1, Qt::white);
            }
        };
        for (int x = cell.left(); x < cell.right(); ++x) {
            dot(x, cell.top());
        }
        for (int y = cell.top(); y < cell.bottom(); ++y) {
            dot(cell.right(), y);
        }
        for (int x = cell.right(); x > cell.left(); --x) {
            dot(x, cell.bottom());
        }
        for (int y = cell.bottom(); y > cell.top(); --y) {
            dot(cell.left(), y);
        }
    }

    ColorCells& m_cells;
    std::function<void()> m_released;
    std::function<void()> m_doubleClicked;
};

} // namespace

TfmColor16::TfmColor16(DrawingState& state, Prompts& prompts, QWidget* owner)
    : FloatingPalette(owner), m_state(state), m_prompts(prompts)
{
    setObjectName(QStringLiteral("fmColor16"));
    setWindowTitle(QStringLiteral("Colors"));
    setFixedSize(ClientWidth, ClientHeight);

    // The panel clips the grid, which covers all of it but its last column and row.
    GridPanel = new Panel(Panel::Bevel::Lowered, Panel::Bevel::Raised, this, 2);
    GridPanel->setTopLeftCorners(Panel::Corners::Both);
    GridPanel->setGeometry(4, 8, 141, 97);
    DG = new ColorGrid(
        m_cells, [this] { DGMouseUp(); }, [this] { DGDblClick(); }, GridPanel);
    DG->setGeometry(0, 0, ColorCells::GridWidth, ColorCells::GridHeight);

    const PaintModeBar bar(this, m_state, {39, {7, 5}, {39, 5}, {80, 7}, {115, 7}});
    Panel2 = bar.panel;
    sb1 = bar.sb1;
    sb2 = bar.sb2;
    Label1 = bar.Label1;
    Shape1 = bar.swatch;
    Shape1->setColor(colorref::rgb(255, 255, 0));

    watchPresses();
}

void TfmColor16::FormActivate()
{
    m_state.CurrentColor = Shape1->color();
    m_state.OpaquePaint = !sb1->isChecked();
}

void TfmColor16::followCurrentColor()
{
    Shape1->setColor(m_state.CurrentColor);
}

void TfmColor16::setPaintModeButtonsVisible(bool visible)
{
    sb1->setVisible(visible);
    sb2->setVisible(visible);
}

void TfmColor16::DGMouseUp()
{
    const ColorRef color = m_cells.selectedColor();
    Shape1->setColor(color);
    m_state.CurrentColor = color;
}

// The colour becomes the painting colour when the window is next left or a cell is clicked.
void TfmColor16::DGDblClick()
{
    ColorRef color = m_cells.dialogColor;
    if (!m_prompts.chooseColor(color)) {
        return;
    }
    m_cells.dialogConfirmed(color);
    Shape1->setColor(color);
    // The closing dialog uncovers the grid; a window system that keeps the grid's picture
    // would show the old colour until something else repaints it.
    DG->update();
}
