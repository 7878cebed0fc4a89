#pragma once

#include <QGuiApplication>
#include <QPointer>
#include <QWindow>

// Gives the keyboard back, when a modal dialog has closed, to the window that had it before, so
// that its shortcuts work again at once. A window manager does this by itself; without one
// nothing would, and keys would go nowhere until the user clicked a window. Made just before
// the dialog shows, it does its work when it goes. `fallback` takes the keyboard when no window
// has it yet, as when one dialog follows another before the first one's return is through.
class KeyboardReturn final
{
public:
    explicit KeyboardReturn(QWindow* fallback = nullptr)
        : m_window(QGuiApplication::focusWindow() ? QGuiApplication::focusWindow() : fallback)
    {}
    ~KeyboardReturn()
    {
        if (m_window && m_window->isVisible()) {
            m_window->requestActivate();
        }
    }
    KeyboardReturn(const KeyboardReturn&) = delete;
    KeyboardReturn& operator=(const KeyboardReturn&) = delete;

private:
    QPointer<QWindow> m_window;
};
