#pragma once

#include "tools/ToolHost.h"

#include <QFont>
#include <QImage>

#include <functional>

// Takes the tools' requests as a main window with no panes to repaint would; it only adds up
// the reported area, so that the reports are made and used.
class QuietHost final : public ToolHost
{
public:
    void ShowCurrentPalette() override {}
    void RefreshCurrentPalette() override {}
    void HidePalettes() override {}
    void setPenStylePickerVisible(bool) override {}
    void showOptionPanel(OptionPanel) override {}
    void hideOptionPanel() override {}
    void setTextMenuVisible(bool) override {}
    void setPaintModeButtonsVisible(bool) override {}
    void setTimerPeriod(int) override {}
    void imageChanged(const QRect& area) override
    {
        reported += area.width() * area.height();
        if (changed) {
            changed(area);
        }
    }
    void setPointerShape(PointerShape) override {}
    void putClipboardPicture(const QImage&) override {}
    bool clipboardHasPicture() const override { return false; }
    QImage clipboardPicture() const override { return QImage(); }
    void showError(const QString&) override {}
    QFont dialogFont() const override { return QFont(); }

    long long reported = 0;
    // Also told of every change, as the main window tells its live preview.
    std::function<void(const QRect&)> changed;
};
