#pragma once

#include "tools/DrawingState.h"
#include "tools/ToolHost.h"

#include <array>
#include <functional>

class FloatingPalette;
class ImageView;
class Prompts;
class QAction;
class QTimer;
class ShapeOptionPanel;
class TfmPStyle;
struct TextFont;

// What the tools may ask of the editor, and nothing more: the palette windows and the pen style
// picker (which it keeps once they exist), the shape options, the Text menu, the tool timer, the
// panes' repaints and pointers, the clipboard, messages and the dialog font. The main window
// builds it from its parts; tools never see the window.
class EditorToolHost final : public ToolHost
{
public:
    // The main window's parts the tools act on. `patternView` and `depthView` show the two
    // images; `pixelsChanged` hears of every change after the pane has been told.
    struct Parts
    {
        ImageView* patternView = nullptr;
        ImageView* depthView = nullptr;
        ShapeOptionPanel* optionPanel = nullptr;
        QAction* textMenu = nullptr;
        QTimer* timer = nullptr;
        std::function<void(const QRect&)> pixelsChanged;
    };

    EditorToolHost(DrawingState& drawing, Prompts& prompts, const TextFont& dialogFont,
                   Parts parts);

    // The palette windows and the pen style picker, once they exist. A palette window takes
    // the paint-mode buttons' current visibility.
    void setPaletteWindow(PaletteWindow which, FloatingPalette* window);
    FloatingPalette* paletteWindow(PaletteWindow which) const;
    const std::array<FloatingPalette*, 3>& paletteWindows() const { return m_paletteWindows; }
    void setPenStylePicker(TfmPStyle* picker) { m_penStylePicker = picker; }
    TfmPStyle* penStylePicker() const { return m_penStylePicker; }

    void ShowCurrentPalette() override;
    void RefreshCurrentPalette() override;
    void HidePalettes() override;
    void setPenStylePickerVisible(bool visible) override;
    void showOptionPanel(OptionPanel panel) override;
    void hideOptionPanel() override;
    void setTextMenuVisible(bool visible) override;
    void setPaintModeButtonsVisible(bool visible) override;
    void setTimerPeriod(int milliseconds) override;
    void imageChanged(const QRect& area) override;
    void setPointerShape(PointerShape shape) override;
    void putClipboardPicture(const QImage& picture) override;
    bool clipboardHasPicture() const override;
    QImage clipboardPicture() const override;
    void showError(const QString& text) override;
    QFont dialogFont() const override;

private:
    ImageView* activeView() const;

    DrawingState& m_drawing;
    Prompts& m_prompts;
    const TextFont& m_dialogFont;
    Parts m_parts;
    std::array<FloatingPalette*, 3> m_paletteWindows{};
    TfmPStyle* m_penStylePicker = nullptr;
    bool m_paintModeButtonsVisible = true;
};
