#include "common/FindPart.h"
#include "common/ImageCompare.h"
#include "common/TestMain.h"
#include "mainwindow/WindowFixture.h"
#include "output/TfmOutput.h"
#include "print/Pntmange.h"
#include "print/PrintPreviewDialog.h"
#include "print/PrintRules.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QPaintEngine>
#include <QPainter>
#include <QPrintEngine>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>

#include <limits>

namespace {

// Runs `step` on the next modal dialog, then closes the dialog if the step left it open.
void whenModal(std::function<void(QWidget*)> step)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, step] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            step(modal);
            modal->close();
        }
    });
    poll->start(10);
}

void press(QWidget* dialog, QDialogButtonBox::StandardButton which)
{
    for (QDialogButtonBox* box : dialog->findChildren<QDialogButtonBox*>()) {
        if (QPushButton* button = box->button(which)) {
            button->click();
        }
    }
}

// Random colours without white, so that every pixel of the picture shows on the paper.
RasterImage colourfulPicture(int width, int height)
{
    QRandomGenerator random(width * 7919 + height);
    RasterImage picture(width, height);
    for (int y = 0; y < height; ++y) {
        QRgb* row = picture.scanLine(y);
        for (int x = 0; x < width; ++x) {
            row[x] = 0xFF000000 | (random.bounded(0x1000000u) & 0xEFEFEF);
        }
    }
    return picture;
}

QStringList run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromLocal8Bit(process.readAllStandardOutput())
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Chooses printing to `file` at `dpi`, as the user would in the print dialog.
std::function<void(QPrinter&)> printToPdf(const QString& file, int dpi)
{
    return [file, dpi](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setResolution(dpi);
    };
}

// A printer whose dots are twice as wide as high, 600 x 300 per inch, which no engine of the
// platform offers. It records where pictures land and ends its document as a complete PDF does.
class NonSquarePrinter final : public QPaintEngine, public QPrintEngine
{
public:
    NonSquarePrinter() : QPaintEngine(QPaintEngine::AllFeatures) {}

    // Puts this engine into `printer`, whose own engines stay unused while it lives.
    void install(QPrinter& printer)
    {
        struct Access : QPrinter
        {
            using QPrinter::setEngines;
        };
        (printer.*&Access::setEngines)(this, this);
    }

    QList<QRectF> drawn;

    bool begin(QPaintDevice*) override { return true; }
    bool end() override
    {
        QFile file(m_properties.value(PPK_OutputFileName).toString());
        return file.open(QIODevice::WriteOnly) && file.write("%PDF-1.4\n%%EOF\n") > 0;
    }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF& target, const QPixmap&, const QRectF&) override
    {
        drawn << target;
    }
    void drawImage(const QRectF& target, const QImage&, const QRectF&,
                   Qt::ImageConversionFlags) override
    {
        drawn << target;
    }
    Type type() const override { return QPaintEngine::User; }

    void setProperty(PrintEnginePropertyKey key, const QVariant& value) override
    {
        m_properties[key] = value;
    }
    QVariant property(PrintEnginePropertyKey key) const override { return m_properties[key]; }
    bool newPage() override { return true; }
    bool abort() override { return false; }
    QPrinter::PrinterState printerState() const override { return QPrinter::Idle; }
    int metric(QPaintDevice::PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case QPaintDevice::PdmDpiX:
        case QPaintDevice::PdmPhysicalDpiX:
            return 600;
        case QPaintDevice::PdmDpiY:
        case QPaintDevice::PdmPhysicalDpiY:
            return 300;
        case QPaintDevice::PdmWidth: // a letter page
            return 5100;
        case QPaintDevice::PdmHeight:
            return 3300;
        case QPaintDevice::PdmWidthMM:
            return 216;
        case QPaintDevice::PdmHeightMM:
            return 279;
        case QPaintDevice::PdmDevicePixelRatioScaled:
            return int(QPaintDevice::devicePixelRatioFScale());
        case QPaintDevice::PdmDepth:
            return 32;
        default:
            return 1;
        }
    }

private:
    QHash<PrintEnginePropertyKey, QVariant> m_properties;
};

} // namespace

class PrintTest : public QObject, public WindowFixture
{
    Q_OBJECT

private:
    // What poppler finds in `pdf`: one page, the picture stored once with its pixels unchanged,
    // losslessly and without interpolation, and on a render at the print's resolution exactly
    // `extent` dots inked from the page's corner. Cairo draws a picture's edges where they are;
    // pdftoppm would spread them by a dot.
    void checkPrinted(const QString& pdf, int dpi, const RasterImage& picture, QSize extent)
    {
        QVERIFY2(QFile::exists(pdf), qPrintable(pdf + " was not written"));
        QVERIFY(run("pdfinfo", {pdf}).contains(QRegularExpression("^Pages: +1$")));
        QStringList images;
        for (const QString& row : run("pdfimages", {"-list", pdf}).mid(2)) {
            const QStringList column = row.simplified().split(' ');
            images << QStringList{column.value(3), column.value(4), column.value(8),
                                  column.value(9)}
                          .join(' ');
        }
        const QString scratch = m_dir.filePath("inspect");
        const QSize area = extent.expandedTo(QSize(100, 100)) + QSize(16, 16);
        run("pdfimages", {"-png", pdf, scratch});
        run("pdftocairo",
            {"-png", "-singlefile", "-r", QString::number(dpi), "-W", QString::number(area.width()),
             "-H", QString::number(area.height()), pdf, scratch});
        const QImage page = QImage(scratch + ".png").convertToFormat(QImage::Format_RGB32);
        QRect inked;
        for (int y = 0; y < page.height(); ++y) {
            const QRgb* row = reinterpret_cast<const QRgb*>(page.constScanLine(y));
            for (int x = 0; x < page.width(); ++x) {
                if ((row[x] & 0xFFFFFF) != 0xFFFFFF) {
                    inked |= QRect(x, y, 1, 1);
                }
            }
        }
        QCOMPARE(inked, QRect(QPoint(0, 0), extent));
        if (picture.isEmpty()) {
            QCOMPARE(images, QStringList());
            return;
        }
        QCOMPARE(images,
                 QStringList{QString("%1 %2 image no").arg(picture.width()).arg(picture.height())});
        DL_COMPARE_IMAGES(QImage(scratch + "-000.png").convertToFormat(QImage::Format_RGB32),
                          picture.image());
    }

private slots:
    void init()
    {
        openWindow();
        form().printing().ScreenPixelsPerInch = 96;
        form().createSecondaryWindows();
    }
    void cleanup() { closeWindow(); }

    void targetRect_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<int>("dpiX");
        QTest::addColumn<int>("dpiY");
        QTest::addColumn<double>("rateX");
        QTest::addColumn<double>("rateY");
        QTest::addColumn<QRect>("target");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        // 312.5 and 337.5: halves go to the even neighbour, down and up.
        QTest::newRow("halves") << QSize(100, 108) << 300 << 300 << 100.0 << 100.0
                                << QRect(0, 0, 312, 338);
        QTest::newRow("600 x 300 dpi")
            << QSize(600, 400) << 600 << 300 << 100.0 << 100.0 << QRect(0, 0, 3750, 1250);
        QTest::newRow("beyond 32 bits")
            << QSize(70000, 1) << 40000 << 96 << 100.0 << 100.0 << QRect(0, 0, 29166667, 1);
        QTest::newRow("rate 0") << QSize(600, 400) << 600 << 600 << 0.0 << 100.0 << QRect();
        QTest::newRow("rate -50") << QSize(600, 400) << 600 << 600 << 100.0 << -50.0 << QRect();
        QTest::newRow("rate NaN") << QSize(600, 400) << 600 << 600 << nan << 100.0 << QRect();
    }
    void targetRect()
    {
        QFETCH(QSize, picture);
        QFETCH(int, dpiX);
        QFETCH(int, dpiY);
        QFETCH(double, rateX);
        QFETCH(double, rateY);
        QFETCH(QRect, target);
        QCOMPARE(printing::targetRect(picture, dpiX, dpiY, 96, rateX, rateY), target);
    }

    // On a raster page (the preview) each picture pixel becomes a sharp block of dots.
    void drawPictureUnsmoothed()
    {
        const QImage picture = colourfulPicture(2, 2).image();
        QImage page(8, 6, QImage::Format_RGB32);
        page.fill(Qt::white);
        QImage expected = page;
        QPainter painter(&page);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        printing::drawPicture(painter, picture, QRect(0, 0, 6, 4));
        painter.end();
        for (int y = 0; y < 4; ++y) {
            auto* row = reinterpret_cast<QRgb*>(expected.scanLine(y));
            for (int x = 0; x < 6; ++x) {
                row[x] = reinterpret_cast<const QRgb*>(picture.constScanLine(y / 2))[x / 3];
            }
        }
        DL_COMPARE_IMAGES(page, expected);
    }

    // Every print control prints the output window's picture the same way, also the button of
    // an output window that a later Make 3D made; the set-up's choices serve the next job.
    void printFromEachControl_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("extent");
        QTest::newRow("menu") << "menu" << 600 << QSize(600, 400) << QSize(3750, 2500);
        QTest::newRow("speed button") << "speed button" << 300 << QSize(100, 60) << QSize(312, 188);
        QTest::newRow("output window")
            << "output window" << 300 << QSize(100, 60) << QSize(312, 188);
        // The starting images: a 120-pixel strip beside a 300 × 300 depth map.
        QTest::newRow("new output window")
            << "Make 3D" << 300 << QSize(420, 300) << QSize(1312, 938);
        QTest::newRow("after set-up") << "set-up" << 300 << QSize(100, 60) << QSize(312, 188);
        QTest::newRow("empty picture") << "menu" << 300 << QSize(0, 0) << QSize(0, 0);
    }
    void printFromEachControl()
    {
        QFETCH(QString, control);
        QFETCH(int, dpi);
        QFETCH(QSize, picture);
        QFETCH(QSize, extent);
        const QString pdf = path("out.pdf");
        QFile::remove(pdf);
        m_prompts.answers = {true, true};
        m_prompts.printerChoice = printToPdf(pdf, dpi);
        if (control == "Make 3D") {
            form().patternStrip() = colourfulPicture(120, 300);
            form().SbMake3DPClick();
            QVERIFY(QSignalSpy(form().outputWindow(), &TfmOutput::renderingFinished).wait(10000));
            QCOMPARE(form().outputWindow()->picture().image().size(), picture);
        } else {
            form().outputWindow()->picture() = colourfulPicture(picture.width(), picture.height());
        }
        if (control == "set-up") {
            part<QAction>(form(), "FilePrintSetupItem")->trigger();
            QVERIFY(!QFile::exists(pdf));
            m_prompts.printerChoice = nullptr;
            part<QAction>(form(), "FilePrintItem")->trigger();
        } else if (control == "speed button") {
            QTest::mouseClick(part<QToolButton>(form(), "sbPrint"), Qt::LeftButton);
        } else if (control == "menu") {
            part<QAction>(form(), "FilePrintItem")->trigger();
        } else {
            QTest::mouseClick(form().outputWindow()->SpeedButton5, Qt::LeftButton);
        }
        QCOMPARE(m_prompts.log.join(','), control == "set-up" ? "PrintSetup,Print" : "Print");
        checkPrinted(pdf, dpi, form().outputWindow()->picture(), extent);
    }

    // Every preview starts from 100 %; its rates serve every print until the next preview.
    void previewSetsTheRates()
    {
        form().outputWindow()->picture() = colourfulPicture(200, 100);
        QList<double> startRates;
        auto preview = [&](double x, QDialogButtonBox::StandardButton button) {
            whenModal([&, x, button](QWidget* dialog) {
                auto* preview = qobject_cast<PrintPreviewDialog*>(dialog);
                startRates << preview->xRateBox->value() << preview->yRateBox->value();
                preview->xRateBox->setValue(x);
                preview->yRateBox->setValue(200.0);
                press(dialog, button);
            });
            part<QAction>(form(), "PrintPreview")->trigger();
        };
        QCOMPARE(form().printing().PrintRateX, 100.0);
        preview(50.0, QDialogButtonBox::Ok);
        QCOMPARE(form().printing().PrintRateX, 50.0);
        QCOMPARE(form().printing().PrintRateY, 200.0);
        for (const char* name : {"first.pdf", "second.pdf"}) {
            m_prompts.answers = {true};
            m_prompts.printerChoice = printToPdf(path(name), 300);
            part<QAction>(form(), "FilePrintItem")->trigger();
            // 200 × 100 pixels at 300 dpi are 625 × 312.5 dots at 100 %.
            checkPrinted(path(name), 300, form().outputWindow()->picture(), QSize(312, 625));
        }
        preview(30.0, QDialogButtonBox::Cancel);
        QCOMPARE(startRates, (QList<double>{100.0, 100.0, 100.0, 100.0}));
        QCOMPARE(form().printing().PrintRateX, 100.0);
        QCOMPARE(form().printing().PrintRateY, 100.0);
    }

    // A rate typed as 0 comes back as the smallest rate, never as 0 or less.
    void previewRefusesZero()
    {
        QPrinter printer(QPrinter::HighResolution);
        PrintPreviewDialog dialog(printer, 96);
        dialog.SetUp(colourfulPicture(30, 20).image(), 255, 40.0, 60.0);
        whenModal([&](QWidget*) {
            dialog.xRateBox->selectAll();
            QTest::keyClicks(dialog.xRateBox, "0");
            press(&dialog, QDialogButtonBox::Ok);
        });
        dialog.ExecDialog();
        QCOMPARE(dialog.GetxRate(), 0.1);
        QCOMPARE(dialog.GetyRate(), 60.0);
    }

    // Each axis is scaled by its own resolution: 600 x 400 pixels on a 96-pixel screen cover
    // 3750 dots across and 1250 down.
    void nonSquareDots()
    {
        const QTemporaryDir dir;
        NonSquarePrinter engine;
        ScriptedPrompts prompts;
        prompts.answers = {true};
        prompts.printerChoice = [&](QPrinter& printer) {
            printToPdf(dir.filePath("out.pdf"), 600)(printer);
            engine.install(printer);
            printer.setOutputFileName(dir.filePath("out.pdf"));
        };
        Pntmange printing(prompts, nullptr);
        printing.ScreenPixelsPerInch = 96;
        printing.PrintPicture(colourfulPicture(600, 400));
        QCOMPARE(prompts.log, QStringList{"Print"});
        QCOMPARE(engine.drawn, QList<QRectF>{QRectF(0, 0, 3750, 1250)});
    }

    // Nothing is printed, and the message names the printer or file and the reason.
    void printFailures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<double>("rate");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("message");
        QTest::newRow("cancel") << "out.pdf" << 100.0 << false << "";
        QTest::newRow("rate 0") << "out.pdf" << 0.0 << true
                                << "Cannot print at 0.0 % by 100.0 %: a rate must be more than "
                                   "0. Set the rates in Print Preview.";
        QTest::newRow("no printer") << "" << 100.0 << true
                                    << "Cannot print: no printer is installed and no file was "
                                       "chosen to print to.";
        QTest::newRow("missing folder") << "missing/out.pdf" << 100.0 << true
                                        << "Cannot print to %1: No such file or directory";
    }
    void printFailures()
    {
        QFETCH(QString, file);
        QFETCH(double, rate);
        QFETCH(bool, ok);
        QFETCH(QString, message);
        const QTemporaryDir dir;
        const QString pdf = file.isEmpty() ? QString() : dir.filePath(file);
        ScriptedPrompts prompts;
        prompts.answers = {ok};
        prompts.printerChoice = printToPdf(pdf, 300);
        Pntmange printing(prompts, nullptr);
        printing.PrintRateX = rate;
        printing.PrintPicture(colourfulPicture(20, 10));

        QStringList log = rate > 0 ? QStringList{"Print"} : QStringList();
        if (!message.isEmpty()) {
            log << "Error: " + message.arg(QDir::toNativeSeparators(pdf));
        }
        QCOMPARE(prompts.log, log);
        QVERIFY(!QFile::exists(pdf));
    }
};

DEPTHLOOM_TEST_CLASS(PrintTest);

#include "PrintTest.moc"
