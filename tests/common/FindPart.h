#pragma once

#include <QObject>

// The child of `window` whose object name is `name`, of type T. A test that asks for a child
// the window does not have stops at once with the name, rather than crashing later.
template <typename T> T* part(const QObject& window, const char* name)
{
    T* found = window.findChild<T*>(QLatin1String(name));
    if (!found) {
        qFatal("%s has no %s named %s", qPrintable(window.objectName()),
               T::staticMetaObject.className(), name);
    }
    return found;
}

#include <QAction>
#include <QToolButton>

// The tool button that selects tool `id` (the tool actions carry their tool's number).
template <typename Id> QToolButton* toolButton(const QObject& window, Id id)
{
    for (QToolButton* button : window.findChildren<QToolButton*>()) {
        const QAction* action = button->defaultAction();
        if (action && action->data().isValid() && action->data().toInt() == int(id)) {
            return button;
        }
    }
    qFatal("%s has no button for tool %d", qPrintable(window.objectName()), int(id));
}
