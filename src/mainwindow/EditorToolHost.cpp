#include "mainwindow/EditorToolHost.h"

#include "document/Prompts.h"
#include "mainwindow/ShapeOptionPanel.h"
#include "pickers/FloatingPalette.h"
#include "pickers/TfmPStyle.h"
#include "raster/RasterImage.h"
#include "widgets/Glyphs.h"
#include "widgets/ImageView.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>

EditorToolHost::EditorToolHost(DrawingState& drawing, Prompts& prompts, const TextFont& dialogFont,
                               Parts parts)
    : m_drawing(drawing), m_prompts(prompts), m_dialogFont(dialogFont), m_parts(std::move(parts))
{}

void EditorToolHost::setPaletteWindow(PaletteWindow which, FloatingPalette* window)
{
    m_paletteWindows[static_cast<std::size_t>(which)] = window;
    if (window) {
        window->setPaintModeButtonsVisible(m_paintModeButtonsVisible);
    }
}

FloatingPalette* EditorToolHost::paletteWindow(PaletteWindow which) const
{
    return m_paletteWindows[static_cast<std::size_t>(which)];
}

// Every showing applies the palette's chosen colour (and, for the height palette, opaque
// painting), even when the palette is up already.
void EditorToolHost::ShowCurrentPalette()
{
    if (FloatingPalette* window = paletteWindow(currentPaletteWindow(m_drawing))) {
        window->showPalette();
    }
}

void EditorToolHost::RefreshCurrentPalette()
{
    if (FloatingPalette* window = paletteWindow(currentPaletteWindow(m_drawing))) {
        window->followCurrentColor();
    }
}

void EditorToolHost::HidePalettes()
{
    for (FloatingPalette* window : m_paletteWindows) {
        if (window) {
            window->hide();
        }
    }
}

void EditorToolHost::setPenStylePickerVisible(bool visible)
{
    if (m_penStylePicker) {
        m_penStylePicker->setVisible(visible);
    }
}

void EditorToolHost::showOptionPanel(OptionPanel panel)
{
    m_parts.optionPanel->showMode(panel);
}

void EditorToolHost::hideOptionPanel()
{
    m_parts.optionPanel->hideMode();
}

void EditorToolHost::setTextMenuVisible(bool visible)
{
    m_parts.textMenu->setVisible(visible);
}

void EditorToolHost::setPaintModeButtonsVisible(bool visible)
{
    m_paintModeButtonsVisible = visible;
    for (FloatingPalette* window : m_paletteWindows) {
        if (window) {
            window->setPaintModeButtonsVisible(visible);
        }
    }
}

void EditorToolHost::setTimerPeriod(int milliseconds)
{
    m_parts.timer->setInterval(milliseconds);
}

ImageView* EditorToolHost::activeView() const
{
    return m_drawing.DepthMapActive ? m_parts.depthView : m_parts.patternView;
}

void EditorToolHost::imageChanged(const QRect& area)
{
    activeView()->updateArea(area);
    m_parts.pixelsChanged(area);
}

void EditorToolHost::setPointerShape(PointerShape shape)
{
    ImageView* view = activeView();
    switch (shape) {
    case PointerShape::Default:
        view->unsetCursor();
        break;
    case PointerShape::Drag:
        view->setCursor(Qt::DragMoveCursor);
        break;
    case PointerShape::ResizeNWSE:
        view->setCursor(Qt::SizeFDiagCursor);
        break;
    case PointerShape::Cross:
        view->setCursor(Qt::CrossCursor);
        break;
    case PointerShape::IBeam:
        view->setCursor(Qt::IBeamCursor);
        break;
    case PointerShape::PickUp:
        // The pick-up button's pipette, its tip on the pixel picked.
        view->setCursor(QCursor(glyphIcon(Glyph::PickColour).pixmap(20, 20), 3, 17));
        break;
    }
}

void EditorToolHost::putClipboardPicture(const QImage& picture)
{
    QGuiApplication::clipboard()->setImage(picture);
}

bool EditorToolHost::clipboardHasPicture() const
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasImage();
}

QImage EditorToolHost::clipboardPicture() const
{
    return QGuiApplication::clipboard()->image();
}

void EditorToolHost::showError(const QString& text)
{
    m_prompts.showError(text);
}

QFont EditorToolHost::dialogFont() const
{
    return m_dialogFont.font;
}
