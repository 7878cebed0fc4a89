#pragma once

#include "tools/DrawingState.h"
#include "tools/ToolHost.h"

#include <QList>
#include <QRect>
#include <QStringList>

// A ToolHost that remembers what the tools asked of the windows.
class RecordingHost final : public ToolHost
{
public:
    void ShowCurrentPalette() override { paletteShown = true; }
    void RefreshCurrentPalette() override
    {
        ++refreshes;
        if (state) {
            refreshedWith.append(state->CurrentColor);
        }
    }
    void HidePalettes() override { paletteShown = false; }
    void setPenStylePickerVisible(bool visible) override { penPickerShown = visible; }
    void showOptionPanel(OptionPanel panel) override
    {
        optionPanelShown = true;
        optionPanel = panel;
    }
    void hideOptionPanel() override { optionPanelShown = false; }
    void setTextMenuVisible(bool visible) override { textMenuShown = visible; }
    void setPaintModeButtonsVisible(bool visible) override { paintModeButtonsShown = visible; }
    void setTimerPeriod(int milliseconds) override { timerPeriod = milliseconds; }
    void imageChanged(const QRect& area) override { changed.append(area); }
    void setPointerShape(PointerShape shape) override { pointerShape = shape; }
    // A clipboard of its own, so tests neither see nor change the system's.
    void putClipboardPicture(const QImage& picture) override { clipboard = picture; }
    bool clipboardHasPicture() const override { return !clipboard.isNull(); }
    QImage clipboardPicture() const override { return clipboard; }
    void showError(const QString& text) override { errors.append(text); }
    QFont dialogFont() const override { return font; }

    bool paletteShown = false;
    int refreshes = 0;
    // When set, the current colour that each refresh found.
    const DrawingState* state = nullptr;
    QList<ColorRef> refreshedWith;
    bool penPickerShown = false;
    bool optionPanelShown = false;
    OptionPanel optionPanel = OptionPanel::Line;
    bool textMenuShown = false;
    bool paintModeButtonsShown = true;
    int timerPeriod = 10000;
    QList<QRect> changed;
    PointerShape pointerShape = PointerShape::Default;
    QImage clipboard;
    QStringList errors;
    QFont font = [] {
        QFont arial(QStringLiteral("Arial"));
        arial.setBold(true);
        arial.setPixelSize(60);
        return arial;
    }();
};
