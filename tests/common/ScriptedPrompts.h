#pragma once

#include "document/Prompts.h"

#include <QFont>
#include <QList>
#include <QStringList>

#include <functional>
#include <optional>

// Answers the editor's questions from a script and writes down what was asked, in order.
// Log lines: "YesNo: text", "OkCancel: text", "SaveChanges: text", "Error: text", "Open: filter",
// "Save: filter", "Chooser: filter", "Print", "PrintSetup", "Color: #rrggbb" (the colour the dialog
// opens with), "Font: family". A question with no scripted answer left gets No / Cancel / an empty
// file name, and is marked "(unscripted)" in the log so a test can see it.
class ScriptedPrompts final : public Prompts
{
public:
    bool askYesNo(const QString& text) override { return answer(QStringLiteral("YesNo: ") + text); }
    bool askOkCancel(const QString& text) override
    {
        return answer(QStringLiteral("OkCancel: ") + text);
    }
    SaveChoice askSaveChanges(const QString& text) override
    {
        const QString line = QStringLiteral("SaveChanges: ") + text;
        if (saveChoices.isEmpty()) {
            log.append(line + QStringLiteral(" (unscripted)"));
            return SaveChoice::Cancel;
        }
        log.append(line);
        return saveChoices.takeFirst();
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
    bool chooseFont(QFont& font) override
    {
        const QString line = QStringLiteral("Font: ") + font.family();
        if (fonts.isEmpty()) {
            log.append(line + QStringLiteral(" (unscripted)"));
            return false;
        }
        log.append(line);
        font = fonts.takeFirst();
        return true;
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

    bool chooseColor(ColorRef& color) override
    {
        const QString line = QStringLiteral("Color: #%1")
                                 .arg(colorref::toRgb(color) & 0xFFFFFF, 6, 16, QLatin1Char('0'));
        if (colors.isEmpty()) {
            log.append(line + QStringLiteral(" (unscripted)"));
            return false;
        }
        log.append(line);
        const std::optional<ColorRef> chosen = colors.takeFirst();
        if (chosen) {
            color = *chosen;
        }
        return chosen.has_value();
    }

    QList<bool> answers; // for the Yes/No, OK/Cancel and print questions, taken from the front
    QList<SaveChoice> saveChoices; // for the unsaved-changes question; none left means Cancel
    QStringList files;             // for the file dialogs and the chooser; "" means Cancel
    QList<QFont> fonts;            // for the font dialog; none left means Cancel
    QStringList log;
    QList<FileDialog> dialogs;
    QList<bool> chooserPreview;
    std::function<void(QPrinter&)> printerChoice;
    QList<std::optional<ColorRef>> colors; // for the colour dialog; nullopt means Cancel

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
