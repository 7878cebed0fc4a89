#pragma once

#include "document/Prompts.h"
#include "mainwindow/FileDialogGuard.h"

#include <QPointer>

class QWidget;
class QWindow;
class TFileOpenDlg;

// The editor's answers to its questions: message boxes, Qt's file dialogs and the bitmap
// chooser, each shown over the modal window that is up, or else over `parent`, the main window.
// While it lives, no file dialog of the program can delete or rename a file (FileDialogGuard).
class DialogPrompts final : public Prompts
{
public:
    explicit DialogPrompts(QWidget* parent);
    // The window the dialogs are shown over, once it exists; the chooser is made with it as
    // parent when it is first needed.
    void setParent(QWidget* parent) { m_parent = parent; }
    ~DialogPrompts() override;

    DialogPrompts(const DialogPrompts&) = delete;
    DialogPrompts& operator=(const DialogPrompts&) = delete;

    bool askYesNo(const QString& text) override;
    bool askOkCancel(const QString& text) override;
    SaveChoice askSaveChanges(const QString& text) override;
    void showError(const QString& text) override;
    QString chooseOpenFile(const FileDialog& setup) override;
    QString chooseSaveFile(const FileDialog& setup) override;
    // One chooser serves every call, so its folder, mask and history carry over.
    QString runBitmapChooser(const QString& filter, bool preview) override;
    // Qt's print dialog; the set-up is the same dialog titled "Print Setup" with OK for Print.
    bool runPrintDialog(QPrinter& printer) override;
    bool runPrintSetupDialog(QPrinter& printer) override;
    bool chooseColor(ColorRef& color) override;
    bool chooseFont(QFont& font) override;

    // The chooser runBitmapChooser shows; null before its first call.
    TFileOpenDlg* chooser() const;

private:
    QString runFileDialog(const FileDialog& setup, bool save);
    // The widget a dialog is made with as parent. A window manager stacks a dialog over its
    // parent only: over the main window, a box asked for by a modal window that stays on top
    // (the bitmap chooser) would open hidden under it.
    QWidget* owner() const;
    // The window the dialogs are shown over, to give the keyboard back to.
    QWindow* parentWindow() const;

    QWidget* m_parent = nullptr;
    // Owned by m_parent when there is one; a parent that goes first takes it along.
    QPointer<TFileOpenDlg> m_chooser;
    FileDialogGuard m_fileDialogGuard;
};
