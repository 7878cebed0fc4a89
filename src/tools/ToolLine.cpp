#include "tools/ToolLine.h"

#include "raster/CanvasStateSaver.h"
#include "tools/DrawingState.h"

#include <algorithm>

ToolLine::ToolLine(DrawingState& state, ToolHost& host)
    : ToolLine(state, host, ToolHost::OptionPanel::Line)
{}

ToolLine::ToolLine(DrawingState& state, ToolHost& host, ToolHost::OptionPanel panel)
    : TOneTool(state, host)
{
    m_host.ShowCurrentPalette();
    m_host.showOptionPanel(panel);
    m_host.setPointerShape(ToolHost::PointerShape::Cross);
}

ToolLine::~ToolLine()
{
    m_host.HidePalettes();
    m_host.hideOptionPanel();
}

void ToolLine::MouseDown(int x, int y)
{
    RasterImage& image = *m_state.ActiveImage;
    if (Active) {
        // A second button.
        discard();
        return;
    }
    SaveUndo();
    Active = true;
    m_startX = x;
    m_startY = y;
    m_area = image.clipRect();
    m_painted = QRect();
    m_brushOnly = QRect();
    // Shares the pixels until the first shape is painted.
    m_backup = std::make_unique<RasterImage>(image);
    image.pen() = Pen{m_state.CurrentColor, m_state.ShapeLineWidth, PenStyle::Solid,
                      m_state.OpaquePaint ? PenMode::Copy : PenMode::Mask};
    setUpBrush(image);
}

void ToolLine::MouseMove(int x, int y)
{
    if (Active) {
        paintTo(x, y);
    }
}

void ToolLine::MouseUp(int x, int y)
{
    if (!Active) {
        return;
    }
    Active = false;
    paintTo(x, y);
    m_backup.reset();
}

void ToolLine::KeyPress(QChar key)
{
    if (key.unicode() == 27 && Active) {
        discard();
    }
}

void ToolLine::discard()
{
    restore();
    m_backup.reset();
    Active = false;
    m_host.imageChanged(m_painted);
}

QRect ToolLine::shapeBounds(int x, int y) const
{
    const int reach = m_state.ShapeLineWidth / 2 + 1;
    const QRect corners(QPoint(std::min(x, m_startX), std::min(y, m_startY)),
                        QPoint(std::max(x, m_startX), std::max(y, m_startY)));
    return corners.adjusted(-reach, -reach, reach, reach) & m_area;
}

void ToolLine::paintTo(int x, int y)
{
    RasterImage& image = *m_state.ActiveImage;
    const QRect brushOnly = brushOnlyArea(image, x, y);
    restore(brushOnly & m_brushOnly);
    const QRect before = m_painted;
    m_painted = shapeBounds(x, y);
    m_brushOnly = brushOnly;
    drawShape(image, x, y);
    m_host.imageChanged(before | m_painted);
}

void ToolLine::restore(const QRect& keep)
{
    RasterImage& image = *m_state.ActiveImage;
    const CanvasStateSaver saved(image);
    image.setCopyMode(CopyMode::SourceCopy);
    const QRect inner = keep & m_painted;
    if (inner.isEmpty()) {
        image.copyRect(m_painted, *m_backup, m_painted);
        return;
    }
    // The bands above and below the kept rectangle, then the pieces left and right of it.
    const QRect pieces[] = {
        QRect(QPoint(m_painted.left(), m_painted.top()),
              QPoint(m_painted.right(), inner.top() - 1)),
        QRect(QPoint(m_painted.left(), inner.bottom() + 1),
              QPoint(m_painted.right(), m_painted.bottom())),
        QRect(QPoint(m_painted.left(), inner.top()), QPoint(inner.left() - 1, inner.bottom())),
        QRect(QPoint(inner.right() + 1, inner.top()), QPoint(m_painted.right(), inner.bottom())),
    };
    for (const QRect& piece : pieces) {
        if (piece.isValid()) {
            image.copyRect(piece, *m_backup, piece);
        }
    }
}

QRect ToolLine::brushOnlyArea(const RasterImage&, int, int) const
{
    return {};
}

void ToolLine::drawShape(RasterImage& image, int x, int y)
{
    image.moveTo(m_startX, m_startY);
    image.lineTo(x, y);
}

void ToolLine::setUpBrush(RasterImage&) {}

void ToolLine::setUpShapeBrush(RasterImage& image) const
{
    image.brush() =
        Brush{m_state.CurrentColor, m_state.ShapeSolid ? BrushStyle::Solid : BrushStyle::Clear, {}};
}
