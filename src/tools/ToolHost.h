#pragma once

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

// The tools reach the rest of the program only through this interface; the main window
// implements it. Tools never include a window header.
class ToolHost
{
public:
    // The shape tool whose option panel is shown: line widths only, or widths with hollow and
    // solid drawn as rectangles or as ellipses.
    enum class OptionPanel
    {
        Line,
        Rectangle,
        Ellipse
    };

    virtual ~ToolHost() = default;

    // The palette window of the active image (see currentPaletteWindow) shown, brought up to
    // date with the current colour, or all three palette windows hidden.
    virtual void ShowCurrentPalette() = 0;
    virtual void RefreshCurrentPalette() = 0;
    virtual void HidePalettes() = 0;

    virtual void setPenStylePickerVisible(bool visible) = 0;
    // Shows the option panel for `panel`, its samples drawn anew.
    virtual void showOptionPanel(OptionPanel panel) = 0;
    virtual void hideOptionPanel() = 0;
    virtual void setTextMenuVisible(bool visible) = 0;
    // The mix/opaque buttons of the 20-colour palette and of the high-colour picker.
    virtual void setPaintModeButtonsVisible(bool visible) = 0;

    // Period of the main window's tool timer, in milliseconds.
    virtual void setTimerPeriod(int milliseconds) = 0;

    // The tool changed these pixels of the active image; the pane repaints them.
    virtual void imageChanged(const QRect& area) = 0;

    // The pointer's shape over the active image.
    enum class PointerShape
    {
        Default,
        Drag,       // over a floating selection that can be moved
        ResizeNWSE, // north-west/south-east: a marquee being dragged, a corner to resize
        Cross,      // pencil, smoothing, shapes, fill
        IBeam,      // text
        PickUp,     // a pipette whose tip picks the colour
    };
    virtual void setPointerShape(PointerShape shape) = 0;

    // The clipboard's picture: the system clipboard in the program, so that pictures pass to
    // and from other programs. clipboardPicture() is null when there is none.
    virtual void putClipboardPicture(const QImage& picture) = 0;
    virtual bool clipboardHasPicture() const = 0;
    virtual QImage clipboardPicture() const = 0;

    // An error box with an OK button.
    virtual void showError(const QString& text) = 0;

    // The font dialog's current font, pixel-sized; the text tool always draws with it.
    virtual QFont dialogFont() const = 0;
};
