#include "tools/ToolSelect.h"

#include "document/ImageFiles.h"
#include "raster/CanvasStateSaver.h"
#include "tools/DrawingState.h"
#include "tools/ToolHost.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr QRgb WhitePixel = 0xFFFFFFFF;
constexpr QRgb BlackPixel = 0xFF000000;

// Runs `draw` on `image` with `mode` and puts the image's own copy mode back.
template <typename Draw> void withCopyMode(RasterImage& image, CopyMode mode, Draw draw)
{
    const CanvasStateSaver saved(image);
    image.setCopyMode(mode);
    draw();
}

} // namespace

ToolSelect::ToolSelect(DrawingState& state, ToolHost& host) : TOneTool(state, host)
{
    // Whatever pointer the last tool set.
    m_host.setPointerShape(ToolHost::PointerShape::Default);
}

ToolSelect::~ToolSelect()
{
    // A marquee still being dragged is taken away as well, or it would stay in the picture.
    if (m_marqueeShown) {
        toggleMarquee();
    }
    m_host.setPointerShape(ToolHost::PointerShape::Default);
}

QRect ToolSelect::selectionRect() const
{
    return QRect(left, top, width, height);
}

// A dotted rectangle of inverted pixels; drawn again on the same rectangle it is gone.
void ToolSelect::toggleMarquee()
{
    RasterImage& image = *m_state.ActiveImage;
    {
        const CanvasStateSaver saved(image);
        image.pen() = Pen{colorref::Black, 1, PenStyle::Dotted, PenMode::Not};
        image.brush().style = BrushStyle::Clear;
        image.rectangle(left, top, left + width, top + height);
    }
    m_marqueeShown = !m_marqueeShown;
    m_host.imageChanged(selectionRect().normalized());
}

void ToolSelect::restoreBackground(const QRect& area)
{
    RasterImage& image = *m_state.ActiveImage;
    if (area.isNull()) {
        withCopyMode(image, CopyMode::SourceCopy, [&] { image.draw(0, 0, m_background); });
    } else {
        const QRect part = area & m_background.clipRect();
        withCopyMode(image, CopyMode::SourceCopy,
                     [&] { image.copyRect(part, m_background, part); });
    }
    // The marquee went with the pixels it had inverted.
    m_marqueeShown = false;
    m_host.imageChanged(area.isNull() ? m_background.clipRect() : area & m_background.clipRect());
}

// Non-white content replaces the image; white content leaves it as it is.
void ToolSelect::compose()
{
    RasterImage& image = *m_state.ActiveImage;
    if (m_background.width() != image.width() || m_background.height() != image.height()) {
        // The image was resized meanwhile.
        restoreBackground();
        snapshot();
    }
    const QRect rect = selectionRect();
    withCopyMode(image, CopyMode::SourceOr,
                 [&] { image.copyRect(rect, m_mask, m_mask.clipRect()); });
    withCopyMode(image, CopyMode::SourceAnd,
                 [&] { image.copyRect(rect, m_content, m_content.clipRect()); });
    m_host.imageChanged(rect.normalized());
}

void ToolSelect::buildMask()
{
    m_mask.setSize(m_content.width(), m_content.height());
    for (int y = 0; y < m_content.height(); ++y) {
        const QRgb* from = m_content.constScanLine(y);
        QRgb* to = m_mask.scanLine(y);
        for (int x = 0; x < m_content.width(); ++x) {
            to[x] = (from[x] | BlackPixel) == WhitePixel ? BlackPixel : WhitePixel;
        }
    }
}

void ToolSelect::stretch()
{
    m_content = RasterImage(width, height);
    withCopyMode(m_content, CopyMode::SourceCopy,
                 [&] { m_content.stretchDraw(m_content.clipRect(), m_unscaled); });
    buildMask();
}

void ToolSelect::snapshot()
{
    const QImage& image = m_state.ActiveImage->image();
    m_background = RasterImage(image.copy());
    // A picture without pixels keeps its size.
    m_background.setSize(m_state.ActiveImage->width(), m_state.ActiveImage->height());
}

void ToolSelect::clearHole()
{
    const QRect hole = selectionRect().normalized() & m_background.clipRect();
    for (int y = hole.top(); y <= hole.bottom(); ++y) {
        QRgb* row = m_background.scanLine(y);
        std::fill(row + hole.left(), row + hole.right() + 1, WhitePixel);
    }
}

void ToolSelect::floatPicture(const RasterImage& picture)
{
    m_content = picture;
    left = 0;
    top = 0;
    width = m_content.width();
    height = m_content.height();
    buildMask();
    m_unscaled = m_content;
    snapshot();
    compose();
    toggleMarquee();
    Selected = true;
}

void ToolSelect::drop()
{
    if (m_marqueeShown) {
        toggleMarquee();
    }
    Selected = false;
    Marking = false;
    dragMode = DragMode::None;
}

void ToolSelect::MouseDown(int x, int y)
{
    if (!Selected) {
        // Another button pressed while a marquee is dragged starts it again from here.
        drop();
        SaveUndo();
        snapshot();
        Marking = true;
        left = x;
        top = y;
        width = 0;
        height = 0;
        // An empty marquee is shown: it has no pixels yet.
        m_marqueeShown = true;
        return;
    }
    const int right = left + width;
    const int bottom = top + height;
    if (left < x && x < right - 2 && top < y && y < bottom - 2) {
        dragMode = DragMode::Moving;
        m_last = QPoint(x, y);
    } else if (right - 2 <= x && x <= right + 2 && bottom - 2 <= y && y <= bottom + 2) {
        dragMode = DragMode::Resizing;
    } else {
        // Dropped: the selection stays painted where it is, and this press starts nothing.
        drop();
    }
}

void ToolSelect::MouseMove(int x, int y)
{
    if (Marking) {
        m_host.setPointerShape(ToolHost::PointerShape::ResizeNWSE);
        toggleMarquee();
        width = x - left;
        height = y - top;
        toggleMarquee();
        return;
    }
    if (!Selected) {
        return;
    }
    switch (dragMode) {
    case DragMode::Moving:
        // Only the moved pixels and the marquee around them differ from the background.
        restoreBackground(selectionRect().normalized().adjusted(-1, -1, 1, 1));
        top += y - m_last.y();
        left += x - m_last.x();
        m_last = QPoint(x, y);
        compose();
        toggleMarquee();
        break;
    case DragMode::Resizing:
        // The content is scaled at the release.
        if (x > left && y > top) {
            toggleMarquee();
            width = x - left;
            height = y - top;
            toggleMarquee();
        }
        break;
    case DragMode::None: {
        const int right = left + width;
        const int bottom = top + height;
        ToolHost::PointerShape shape = ToolHost::PointerShape::Default;
        if (left < x && x < right - 2 && top < y && y < bottom - 2) {
            shape = ToolHost::PointerShape::Drag;
        }
        if (right - 2 <= x && x < right + 2 && bottom - 2 <= y && y < bottom + 2) {
            shape = ToolHost::PointerShape::ResizeNWSE;
        }
        m_host.setPointerShape(shape);
        break;
    }
    }
}

void ToolSelect::MouseUp(int x, int y)
{
    if (Marking) {
        Marking = false;
        Selected = true;
        toggleMarquee();
        width = std::abs(width);
        height = std::abs(height);
        if (y < top) {
            top = y;
        }
        if (x < left) {
            left = x;
        }
        // Parts of the rectangle outside the image come out white, so transparent.
        m_content = RasterImage(width, height);
        m_content.copyRect(m_content.clipRect(), *m_state.ActiveImage, selectionRect());
        buildMask();
        m_unscaled = m_content;
        m_host.setPointerShape(ToolHost::PointerShape::Default);
        // The hole shows only once the selection is moved, resized or cut.
        clearHole();
        toggleMarquee();
    } else if (Selected && dragMode == DragMode::Resizing) {
        stretch();
        restoreBackground();
        compose();
        toggleMarquee();
    }
    dragMode = DragMode::None;
}

void ToolSelect::KeyPress(QChar key)
{
    if (key.unicode() == 27 && Marking) {
        drop();
        m_host.setPointerShape(ToolHost::PointerShape::Default);
    }
}

void ToolSelect::SelectAll()
{
    drop();
    const int right = m_state.ActiveImage->width();
    const int bottom = m_state.ActiveImage->height();
    MouseDown(0, 0);
    MouseMove(right, bottom);
    MouseUp(right, bottom);
}

void ToolSelect::Delete()
{
    if (!Selected) {
        return;
    }
    if (m_marqueeShown) {
        toggleMarquee();
    }
    // Undo brings back the picture as it was just before.
    SaveUndo();
    // Where a moved selection came from is white already.
    RasterImage& image = *m_state.ActiveImage;
    const QRect area = selectionRect().normalized() & image.clipRect();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        QRgb* row = image.scanLine(y);
        std::fill(row + area.left(), row + area.right() + 1, WhitePixel);
    }
    m_host.imageChanged(area);
    drop();
}

bool ToolSelect::LoadFromFile(const QString& fileName, QString* error)
{
    RasterImage picture;
    const bool loaded = m_state.DepthMapActive ? LoadGreyBitmap(picture, fileName, error)
                                               : picture.load(fileName, error);
    if (!loaded) {
        return false;
    }
    drop();
    floatPicture(picture);
    if (!m_content.isEmpty()) {
        m_host.putClipboardPicture(m_content.image());
    }
    return true;
}

void ToolSelect::Paste()
{
    const QImage picture = m_host.clipboardHasPicture() ? m_host.clipboardPicture() : QImage();
    if (picture.isNull()) {
        m_host.showError(QStringLiteral("No Bitmap in Clipboard!"));
        return;
    }
    drop();
    SaveUndo();
    RasterImage content(picture);
    if (m_state.DepthMapActive && !content.isEmpty()) {
        // The depth map holds greys only: a pasted picture turns grey as an opened one does.
        QRgb* rows = content.scanLine(0);
        greyRows(content.image(), 0, content.height(), rows,
                 content.image().bytesPerLine() / qsizetype(sizeof(QRgb)));
    }
    floatPicture(content);
}

void ToolSelect::Cut()
{
    if (!Selected) {
        return;
    }
    Copy();
    restoreBackground();
    Selected = false;
    Marking = false;
    dragMode = DragMode::None;
}

void ToolSelect::Copy()
{
    // An empty selection leaves the clipboard as it is.
    if (Selected && !m_content.isEmpty()) {
        m_host.putClipboardPicture(m_content.image());
    }
}

void ToolSelect::Undo()
{
    // Without a snapshot (after Copy From) the image stays, but not its marquee.
    drop();
    m_host.setPointerShape(ToolHost::PointerShape::Default);
    TOneTool::Undo();
}

void ToolSelect::setMarksShown(bool shown)
{
    if (!shown && m_marqueeShown) {
        toggleMarquee();
        m_marqueeHidden = true;
    } else if (shown && m_marqueeHidden) {
        toggleMarquee();
        m_marqueeHidden = false;
    }
}
