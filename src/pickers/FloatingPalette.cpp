#include "pickers/FloatingPalette.h"

#include <QEvent>

namespace {

bool isPress(const QEvent* event)
{
    return event->type() == QEvent::MouseButtonPress ||
           event->type() == QEvent::MouseButtonDblClick;
}

} // namespace

FloatingPalette::FloatingPalette(QWidget* owner)
    : QWidget(owner,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    // Keys typed while a tool is chosen belong to the main window.
    setAttribute(Qt::WA_ShowWithoutActivating);
}

void FloatingPalette::showPalette()
{
    show();
    raise();
    FormActivate();
}

void FloatingPalette::watchPresses()
{
    for (QWidget* child : findChildren<QWidget*>()) {
        child->installEventFilter(this);
    }
}

bool FloatingPalette::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate || isPress(event)) {
        FormActivate();
    }
    return QWidget::event(event);
}

bool FloatingPalette::eventFilter(QObject* watched, QEvent* event)
{
    if (isPress(event) && watched != this) {
        FormActivate();
    }
    return QWidget::eventFilter(watched, event);
}
