#include "mainwindow/FileDialogGuard.h"

#include <QAbstractItemView>
#include <QAction>
#include <QEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QShortcut>

void FileDialogGuard::lock(QFileDialog& dialog)
{
    const bool opens = dialog.acceptMode() == QFileDialog::AcceptOpen;
    if (opens) {
        dialog.setOption(QFileDialog::ReadOnly);
    }
    // Qt reaches its delete slot from a window-wide Delete shortcut on each file view.
    const QList<QKeySequence> deleteKeys = QKeySequence::keyBindings(QKeySequence::Delete);
    for (QShortcut* shortcut : dialog.findChildren<QShortcut*>()) {
        for (const QKeySequence& key : shortcut->keys()) {
            if (deleteKeys.contains(key) || key == QKeySequence(Qt::SHIFT | Qt::Key_Delete)) {
                shortcut->setEnabled(false);
            }
        }
    }
    // The context menu enables these again each time it opens, so they are hidden and cut off.
    // A dialog that opens makes no folder either.
    QStringList cut{QStringLiteral("qt_rename_action"), QStringLiteral("qt_delete_action")};
    if (opens) {
        cut.append(QStringLiteral("qt_new_folder_action"));
    }
    for (const QString& name : cut) {
        if (auto* action = dialog.findChild<QAction*>(name)) {
            action->setVisible(false);
            action->setEnabled(false);
            QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
        }
    }
    // No editing by key or click, and no dropping (a drop moves files) or dragging out. Naming a
    // new folder still works: Qt opens that editor directly.
    for (QAbstractItemView* view : dialog.findChildren<QAbstractItemView*>()) {
        if (!qobject_cast<QHeaderView*>(view)) {
            view->setEditTriggers(QAbstractItemView::NoEditTriggers);
            view->setDragDropMode(QAbstractItemView::NoDragDrop);
        }
    }
}

bool FileDialogGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show) {
        if (auto* dialog = qobject_cast<QFileDialog*>(watched)) {
            lock(*dialog);
        }
    }
    return QObject::eventFilter(watched, event);
}
