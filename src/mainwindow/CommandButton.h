#pragma once

#include <QActionEvent>
#include <QToolButton>

// A bar button that runs its command's action and follows its enabled state, check mark and
// tooltip, with a picture of its own: an action with an icon would make every menu that holds
// it reserve a column for icons, and the menus show none.
class CommandButton final : public QToolButton
{
public:
    CommandButton(QAction* action, const QIcon& icon, QWidget* parent)
        : QToolButton(parent), m_icon(icon)
    {
        setDefaultAction(action);
        setIcon(m_icon);
    }

protected:
    // Taking the action's state again also takes its (empty) icon.
    void actionEvent(QActionEvent* event) override
    {
        QToolButton::actionEvent(event);
        if (event->action() == defaultAction()) {
            setIcon(m_icon);
        }
    }

private:
    QIcon m_icon;
};
