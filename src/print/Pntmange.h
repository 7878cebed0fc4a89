#pragma once

#include <QString>

#include <memory>

class Prompts;
class QPrinter;
class QWidget;
class RasterImage;

// Printing the 3D picture: the preview that sets the rates, the printer set-up and the print.
// One printer serves the whole run, so what the set-up or a print dialog chose (printer, file,
// paper, resolution) stays for the following jobs. Nothing is stored between runs.
class Pntmange final
{
public:
    // Dialogs appear over `parent`, which may be null; `prompts` asks for the printer and shows
    // the errors. Both must outlive this object.
    Pntmange(Prompts& prompts, QWidget* parent);
    ~Pntmange();

    Pntmange(const Pntmange&) = delete;
    Pntmange& operator=(const Pntmange&) = delete;

    // The rates in percent at which the next prints come out; only a preview changes them.
    double PrintRateX = 100.0;
    double PrintRateY = 100.0;
    // The screen's logical pixels per inch: the size of a picture pixel at 100 %.
    int ScreenPixelsPerInch = 96;

    // Sets both rates back to 100, shows the preview starting from them and takes the rates
    // the user chose there (those of the start after Cancel).
    void PreviewPicture(const RasterImage& picture);
    // Asks for the printer and prints the picture on one page at the rates, from the page's
    // top-left corner without margins; whatever lies beyond the page is cut off. Cancel prints
    // nothing. An empty picture gives a blank page. A rate of 0 or less prints nothing and says
    // so. Printer errors are shown with the printer's (or file's) name and the reason.
    void PrintPicture(const RasterImage& picture);
    // The printer set-up dialog; its choices serve the following jobs.
    void PrintSetup();

    QPrinter& printer() { return *m_printer; }

private:
    bool printToFile(const QString& target, const RasterImage& picture);
    // Prints one page on the printer as it is set up; on failure shows why, naming `where`.
    bool runJob(const RasterImage& picture, const QString& where);
    // Why a job on `where` could not begin, as "Cannot print to <where>: <reason>".
    QString beginFailure(const QString& where) const;

    Prompts& m_prompts;
    QWidget* m_parent;
    std::unique_ptr<QPrinter> m_printer;
};
