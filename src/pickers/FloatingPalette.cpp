#include "pickers/FloatingPalette.h"

#include <QApplication>
#include <QEvent>

namespace {

bool isPress(const QEvent* event)
{
    return event->type() == QEvent::MouseButtonPress ||
           event->type() == QEvent::MouseButtonDblClick;
}

} // namespace

class FloatingPalette::PressWatcher final : public QObject
{
public:
    explicit PressWatcher(FloatingPalette* palette) : QObject(palette), m_palette(palette)
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (m_palette->m_inFront && isPress(event) && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() != m_palette &&
            !QApplication::activeModalWidget()) {
            m_palette->leaveFront();
        }
        return false;
    }

private:
    FloatingPalette* m_palette;
};

FloatingPalette::FloatingPalette(QWidget* owner)
    : QWidget(owner,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    // Keys typed while a tool is chosen belong to the main window.
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_pressWatcher = new PressWatcher(this);
}

// The watcher goes first: the program's events go on while the widget is taken apart, and it
// must not look at a palette that is no longer whole.
FloatingPalette::~FloatingPalette()
{
    delete m_pressWatcher;
}

void FloatingPalette::showPalette()
{
    show();
    raise();
    bringToFront();
}

void FloatingPalette::watchPresses()
{
    for (QWidget* child : findChildren<QWidget*>()) {
        child->installEventFilter(this);
    }
}

void FloatingPalette::bringToFront()
{
    m_inFront = true;
    FormActivate();
}

void FloatingPalette::leaveFront()
{
    if (m_inFront) {
        m_inFront = false;
        FormDeactivate();
    }
}

bool FloatingPalette::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate || isPress(event)) {
        bringToFront();
    } else if (event->type() == QEvent::WindowDeactivate && !QApplication::activeModalWidget()) {
        leaveFront();
    } else if (event->type() == QEvent::Hide) {
        m_inFront = false;
    }
    return QWidget::event(event);
}

bool FloatingPalette::eventFilter(QObject* watched, QEvent* event)
{
    if (isPress(event) && watched != this) {
        bringToFront();
    }
    return QWidget::eventFilter(watched, event);
}
