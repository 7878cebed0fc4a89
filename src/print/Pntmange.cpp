#include "print/Pntmange.h"

#include "document/Prompts.h"
#include "files/RegularFile.h"
#include "print/PrintPreviewDialog.h"
#include "print/PrintRules.h"
#include "raster/RasterImage.h"
#include "widgets/WaitCursor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <QScreen>
#include <QTemporaryFile>

#include <cmath>

namespace {

// Handed to the preview; it paints the paper around the picture white.
constexpr int WhitePaper = 255;

QString percent(double rate)
{
    return QString::number(rate, 'f', 1) + QStringLiteral(" %");
}

} // namespace

Pntmange::Pntmange(Prompts& prompts, QWidget* parent)
    : m_prompts(prompts), m_parent(parent),
      m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        ScreenPixelsPerInch = static_cast<int>(std::lround(screen->logicalDotsPerInch()));
    }
}

Pntmange::~Pntmange() = default;

void Pntmange::PreviewPicture(const RasterImage& picture)
{
    PrintRateX = 100.0;
    PrintRateY = 100.0;
    m_printer->setFullPage(true);
    PrintPreviewDialog dialog(*m_printer, ScreenPixelsPerInch, m_parent);
    dialog.SetUp(picture.image(), WhitePaper, PrintRateX, PrintRateY);
    dialog.ExecDialog();
    PrintRateX = dialog.GetxRate();
    PrintRateY = dialog.GetyRate();
}

void Pntmange::PrintSetup()
{
    m_prompts.runPrintSetupDialog(*m_printer);
}

void Pntmange::PrintPicture(const RasterImage& picture)
{
    if (!printing::printableRate(PrintRateX) || !printing::printableRate(PrintRateY)) {
        m_prompts.showError(
            QStringLiteral("Cannot print at %1 by %2: a rate must be more than 0. Set the rates "
                           "in Print Preview.")
                .arg(percent(PrintRateX), percent(PrintRateY)));
        return;
    }
    if (!m_prompts.runPrintDialog(*m_printer)) {
        return;
    }
    // The dialog may have offered margins and page ranges: the picture starts at the printer's
    // origin, on one page.
    m_printer->setFullPage(true);
    m_printer->setPrintRange(QPrinter::AllPages);

    if (m_printer->outputFormat() == QPrinter::PdfFormat) {
        const QString target = m_printer->outputFileName();
        if (target.isEmpty()) {
            m_prompts.showError(QStringLiteral(
                "Cannot print: no printer is installed and no file was chosen to print to."));
            return;
        }
        printToFile(target, picture);
        return;
    }
    const QString name = m_printer->printerName();
    runJob(picture, name.isEmpty() ? QStringLiteral("the default printer") : name);
}

// A PDF goes to a temporary file first and replaces the chosen file only once it is complete,
// so a failed print never damages a file that was there.
bool Pntmange::printToFile(const QString& target, const RasterImage& picture)
{
    const QString where = QDir::toNativeSeparators(target);
    QTemporaryFile temporary(QDir::tempPath() + QStringLiteral("/depthloom-print-XXXXXX.pdf"));
    if (!temporary.open()) {
        m_prompts.showError(QStringLiteral("Cannot print to %1: no temporary file: %2")
                                .arg(where, temporary.errorString()));
        return false;
    }
    m_printer->setOutputFileName(temporary.fileName());
    const bool printed = runJob(picture, where);
    m_printer->setOutputFileName(target);
    if (!printed) {
        return false;
    }

    QString error;
    {
        const WaitCursor wait;
        QFile pdf(temporary.fileName());
        QSaveFile out(target);
        QByteArray bytes;
        if (!pdf.open(QIODevice::ReadOnly)) {
            error = pdf.errorString();
        } else if (bytes = pdf.readAll(); !bytes.trimmed().endsWith("%%EOF")) {
            error = QStringLiteral("the printed document is incomplete");
        } else if (openToReplace(out, QIODevice::WriteOnly, &error) &&
                   (out.write(bytes) != bytes.size() || !out.commit())) {
            error = out.errorString();
        }
    }
    if (!error.isEmpty()) {
        m_prompts.showError(QStringLiteral("Cannot print to %1: %2").arg(where, error));
        return false;
    }
    return true;
}

bool Pntmange::runJob(const RasterImage& picture, const QString& where)
{
    QString error;
    {
        const WaitCursor wait;
        QPainter painter;
        if (!painter.begin(m_printer.get())) {
            error = beginFailure(where);
        } else {
            const QRect target = printing::targetRect(
                picture.image().size(), m_printer->logicalDpiX(), m_printer->logicalDpiY(),
                ScreenPixelsPerInch, PrintRateX, PrintRateY);
            printing::drawPicture(painter, picture.image(), target);
            if (!painter.end() || m_printer->printerState() == QPrinter::Error ||
                m_printer->printerState() == QPrinter::Aborted) {
                error = QStringLiteral("Cannot print to %1: the print job failed.").arg(where);
            }
        }
    }
    if (!error.isEmpty()) {
        m_prompts.showError(error);
        return false;
    }
    return true;
}

QString Pntmange::beginFailure(const QString& where) const
{
    if (m_printer->outputFormat() == QPrinter::PdfFormat) {
        return QStringLiteral("Cannot print to %1: the file cannot be written.").arg(where);
    }
    if (QPrinterInfo::printerInfo(m_printer->printerName()).isNull()) {
        return QStringLiteral("Cannot print to %1: the printer is not installed.").arg(where);
    }
    return QStringLiteral("Cannot print to %1: the printer did not accept the job.").arg(where);
}
