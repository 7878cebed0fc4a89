#pragma once

#include <QWidget>

// A palette window: floats over the main window and is shown and hidden only by the main
// window's palette helpers. Its activation rule runs on every showing and whenever the user
// brings it to the front, whether or not a window manager reports the activation: a press
// anywhere in the window counts as bringing it to the front, as does the platform's activation
// event. Focus events alone are not relied on; a bare X server or a focus-stealing policy may
// not send them.
//
// Likewise its deactivation rule runs once when a window in front loses that place: at the
// platform's deactivation event or at a press in another window of the program, whichever comes
// first. Presses in a modal dialog (the palette's own colour dialog, a message box) do not count,
// and hiding the window takes it out of the front without the rule.
class FloatingPalette : public QWidget
{
    Q_OBJECT

public:
    // Shows the window over the main window without taking the keyboard from it, then runs the
    // activation rule.
    void showPalette();

    // The activation rule: what the window applies to the drawing state when it comes to the
    // front. Running it again changes nothing more.
    virtual void FormActivate() = 0;
    // The deactivation rule; most palettes have none.
    virtual void FormDeactivate() {}
    // Shows the drawing state's current colour as the chosen one (after a colour was picked up
    // from an image).
    virtual void followCurrentColor() = 0;
    // Shows or hides the window's mix and opaque buttons; a palette without them ignores it.
    virtual void setPaintModeButtonsVisible(bool) {}

protected:
    // A tool window of `owner`, so it stays above it; the title bar has a close box only.
    explicit FloatingPalette(QWidget* owner);
    ~FloatingPalette() override;

    // Makes presses on every child run the activation rule before the child handles them. Call
    // once the window's controls exist.
    void watchPresses();

    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void bringToFront();
    void leaveFront();

    // Sees the presses of the whole program, for the deactivation rule.
    class PressWatcher;
    PressWatcher* m_pressWatcher = nullptr;
    bool m_inFront = false;
};
