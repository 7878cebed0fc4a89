#pragma once

#include <QObject>

class QFileDialog;

// Takes from Qt's own file dialog every way it has to delete or rename the user's files: the
// Delete key, Rename and Delete in its context menu, F2 and drag and drop in its file views. A
// dialog that opens gets a read-only model as well; one that saves keeps New Folder, and
// naming the folder it has just made.
//
// Installed on the application, the guard locks every file dialog as it is shown, those that Qt
// opens by itself included (the print dialog's choice of an output file).
class FileDialogGuard final : public QObject
{
public:
    using QObject::QObject;

    // Idempotent; call it before the dialog is shown.
    static void lock(QFileDialog& dialog);

    bool eventFilter(QObject* watched, QEvent* event) override;
};
