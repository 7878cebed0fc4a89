#pragma once

#include "raster/ColorRef.h"

#include <QFont>
#include <QString>

class QPrinter;

// Every question, message box and file dialog of the editor goes through this interface. The
// program answers with real dialogs; tests script the answers and record what was asked.
//
// Filters are given as pairs of a description and a mask separated by bars, the way the
// editor's dialogs are set up: "Bitmap Files[*.bmp]|*.bmp|All Files[*.*]|*.*".
class Prompts
{
public:
    // How a file dialog is set up before it is shown.
    struct FileDialog
    {
        QString fileName;      // the name field's start text, e.g. "*.bmp" or a full path
        QString defaultSuffix; // added to a chosen name without extension, e.g. "BMP"
        QString filter;        // "description|mask|description|mask..."
        // The kind of file (a RememberedPlaces kind): a dialog without a folder in `fileName`
        // starts in the folder last used for it.
        QString place;
    };

    virtual ~Prompts() = default;

    // A warning box with Yes and No; true for Yes.
    virtual bool askYesNo(const QString& text) = 0;
    // A question with OK and Cancel; true for OK.
    virtual bool askOkCancel(const QString& text) = 0;
    // Before unsaved work would be replaced: Save (the default), Discard or Cancel.
    enum class SaveChoice
    {
        Save,
        Discard,
        Cancel
    };
    virtual SaveChoice askSaveChanges(const QString& text) = 0;
    // An error box with OK. The text names the file and the reason.
    virtual void showError(const QString& text) = 0;
    // The open and save dialogs; an empty result means the user cancelled.
    virtual QString chooseOpenFile(const FileDialog& setup) = 0;
    virtual QString chooseSaveFile(const FileDialog& setup) = 0;
    // The bitmap chooser with its filter list and its View check box set by the caller;
    // returns the chosen file's full path, or empty when the user cancelled.
    virtual QString runBitmapChooser(const QString& filter, bool preview) = 0;
    // The platform's print dialog and its printer set-up dialog over `printer`: what the user
    // chooses there (printer or file, paper, resolution) stays in `printer`. True for Print and
    // OK; false when the user cancelled.
    virtual bool runPrintDialog(QPrinter& printer) = 0;
    virtual bool runPrintSetupDialog(QPrinter& printer) = 0;
    // The colour dialog, opened at `color`; on OK `color` becomes the chosen plain RGB colour
    // and the result is true, on Cancel it stays as it was.
    virtual bool chooseColor(ColorRef& color) = 0;
    // The font dialog, opened on `font`; on OK `font` becomes the choice, sized in pixels, and
    // the result is true.
    virtual bool chooseFont(QFont& font) = 0;
};
