#pragma once

#include "document/Prompts.h"

#include <QList>
#include <QStringList>

#include <functional>

// Answers the editor's questions from a script and writes down what was asked, in order.
// Log lines: "YesNo: text", "OkCancel: text", "Error: text", "Open: filter", "Save: filter",
// "Chooser: filter", "Print", "PrintSetup". A question with no scripted answer left gets No /
// Cancel / an empty file name, and is marked "(unscripted)" in the log so a test can see it.
class ScriptedPrompts final : public Prompts
{
public:
    bool askYesNo(const QString& text) override { return answer(QStringLiteral("YesNo: ") + text); }
    bool askOkCancel(const QString& text) override
    {
        return answer(QStringLiteral("OkCancel: ") + text);
    }
    void showError(const QString& text) override { log.append(QStringLiteral("Error: ") + text); }
    QString chooseOpenFile(const FileDialog& setup) override
    {
        dialogs.append(setup);
        return file(QStringLiteral("Open: ") + setup.filter);
    }
    QString chooseSaveFile(const FileDialog& setup) override
    {
        dialogs.append(setup);
        return file(QStringLiteral("Save: ") + setup.filter);
    }
    QString runBitmapChooser(const QString& filter, bool preview) override
    {
        chooserPreview.append(preview);
        return file(QStringLiteral("Chooser: ") + filter);
    }

    // Print and set-up dialogs answer from `answers`; an OK applies `printerChoice` (the user's
    // choice of printer, file and settings) to the printer first, when it is set.
    bool runPrintDialog(QPrinter& printer) override
    {
        return choosePrinter(QStringLiteral("Print"), printer);
    }
    bool runPrintSetupDialog(QPrinter& printer) override
    {
        return choosePrinter(QStringLiteral("PrintSetup"), printer);
    }

    QList<bool> answers; // for the Yes/No, OK/Cancel and print questions, taken from the front
    QStringList files;   // for the file dialogs and the chooser; "" means Cancel
    QStringList log;
    QList<FileDialog> dialogs;
    QList<bool> chooserPreview;
    std::function<void(QPrinter&)> printerChoice;

private:
    bool answer(const QString& line)
    {
        if (answers.isEmpty()) {
            log.append(line + QStringLiteral(" (unscripted)"));
            return false;
        }
        log.append(line);
        return answers.takeFirst();
    }
    bool choosePrinter(const QString& line, QPrinter& printer)
    {
        const bool ok = answer(line);
        if (ok && printerChoice) {
            printerChoice(printer);
        }
        return ok;
    }
    QString file(const QString& line)
    {
        if (files.isEmpty()) {
            log.append(line + QStringLiteral(" (unscripted)"));
            return QString();
        }
        log.append(line);
        return files.takeFirst();
    }
};
