#include "common/ImageCompare.h"
#include "common/ScriptedPrompts.h"
#include "common/TestMain.h"
#include "document/DocumentState.h"
#include "document/TMy3DFile.h"
#include "language/LanguageTables.h"
#include "output/Centring.h"
#include "output/TfmArchieve.h"
#include "output/TfmOutput.h"
#include "output/TfmScreen.h"
#include "render/StereogramRenderer.h"
#include "widgets/Panel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QProgressBar>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

namespace {

RasterImage randomPicture(int width, int height, quint32 seed, bool grey)
{
    QRandomGenerator random(seed);
    RasterImage image(width, height);
    for (int y = 0; y < height; ++y) {
        QRgb* row = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const quint32 value = random.bounded(0x1000000u);
            row[x] = grey ? qRgb(value & 0xFF, value & 0xFF, value & 0xFF) : 0xFF000000 | value;
        }
    }
    return image;
}

// What the main window holds: the language, the document, both images and the progress window.
struct Rig
{
    std::uint8_t language = language::English;
    DocumentState document;
    ScriptedPrompts prompts;
    RasterImage strip = randomPicture(40, 30, 1, false);
    RasterImage depth = randomPicture(60, 30, 2, true);
    TfmArchieve progress{language};
    std::unique_ptr<TfmOutput> output = newWindow();

    std::unique_ptr<TfmOutput> newWindow()
    {
        return std::make_unique<TfmOutput>(progress, document, prompts, strip, depth);
    }
    void renderToEnd()
    {
        output->Make3D();
        for (int tick = 0; tick <= depth.height() && !output->isVisible(); ++tick) {
            output->Timer1Timer();
        }
        QVERIFY(output->isVisible());
    }
};

} // namespace

class OutputWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void centring_data()
    {
        QTest::addColumn<int>("outer");
        QTest::addColumn<int>("inner");
        QTest::addColumn<int>("offset");
        QTest::newRow("299.5 to 300") << 1000 << 401 << 300;
        QTest::newRow("300.5 to 300") << 1001 << 400 << 300;
        QTest::newRow("301.5 to 302") << 1003 << 400 << 302;
        QTest::newRow("exact") << 1000 << 400 << 300;
        QTest::newRow("-0.5 to 0") << 400 << 401 << 0;
        QTest::newRow("-1.5 to -2") << 400 << 403 << -2;
        QTest::newRow("-2.5 to -2") << 400 << 405 << -2;
    }
    void centring()
    {
        QFETCH(int, outer);
        QFETCH(int, inner);
        QFETCH(int, offset);
        QCOMPARE(centring::centredOffset(outer, inner), offset);
        QCOMPARE(centring::framePosition(QSize(outer, outer + 29), 29, QSize(inner, inner)),
                 QPoint(std::max(offset, 0), std::max(offset, 0)));
    }

    void ticksGaugeAndCaption_data()
    {
        QTest::addColumn<std::uint8_t>("language");
        QTest::addColumn<QString>("project");
        QTest::addColumn<QString>("caption");
        QTest::newRow("untitled, English")
            << language::English << QString() << QStringLiteral("3D-Picture  - []");
        QTest::newRow("titled, Chinese") << language::Chinese << QStringLiteral("/art/cube.3dp")
                                         << QStringLiteral("3D-Picture  - [/art/cube.3dp]");
    }
    void ticksGaugeAndCaption()
    {
        QFETCH(std::uint8_t, language);
        QFETCH(QString, project);
        QFETCH(QString, caption);
        Rig rig;
        rig.language = language;
        rig.document.ProjectFileName = project;
        rig.depth = randomPicture(60, 4, 3, true);
        rig.progress.Gauge1->setValue(60); // left over from an earlier picture
        QSignalSpy started(rig.output.get(), &TfmOutput::renderingStarted);
        QSignalSpy finished(rig.output.get(), &TfmOutput::renderingFinished);

        rig.output->Make3D();
        QCOMPARE(started.count(), 1);
        QCOMPARE(rig.output->frameGeometry().width(), 60 + 40 + 20);
        QCOMPARE(rig.output->height(), 4 + 29 + 20);
        QVERIFY(rig.progress.isVisible());
        QCOMPARE(rig.progress.Label1->text(),
                 language::LanguageMessages(language::MessageRow::Archieving, language));
        QCOMPARE(rig.progress.Label2->text(),
                 language::LanguageMessages(language::MessageRow::PleaseWait, language));
        QCOMPARE(rig.output->Timer1->interval(), 10);
        for (int expected : {0, 25, 50, 75}) {
            rig.output->Timer1Timer();
            QCOMPARE(rig.progress.Gauge1->value(), expected);
            QVERIFY(!rig.output->isVisible());
        }
        // Blue on the button-shadow colour, without a border.
        const QImage gauge = rig.progress.Gauge1->grab().toImage();
        const int middle = gauge.height() / 2;
        QCOMPARE(gauge.pixel(0, middle), qRgb(0, 0, 255));
        QCOMPARE(gauge.pixel(gauge.width() - 1, middle),
                 rig.progress.palette().color(QPalette::Dark).rgb());
        rig.output->Timer1Timer();
        QVERIFY(rig.output->isVisible());
        QVERIFY(!rig.progress.isVisible());
        QCOMPARE(rig.progress.Gauge1->value(), 75);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(rig.output->windowTitle(), caption);
        rig.output->Timer1Timer(); // later ticks do nothing
        QCOMPARE(finished.count(), 1);
    }

    // A picture wider and taller than the screen: the window stops at the screen, so the
    // buttons below the picture stay in reach, and the picture is whole.
    void largerThanTheScreen()
    {
        Rig rig;
        const QRect available = rig.output->screen()->availableGeometry();
        rig.depth = randomPicture(available.width(), available.height(), 3, true);
        rig.renderToEnd();
        QVERIFY(available.contains(rig.output->frameGeometry()));
        QCOMPARE(rig.output->Image1->size(),
                 QSize(rig.strip.width() + available.width(), available.height()));
        // Scrolled to either end, the first and the last pixel show above the buttons.
        auto* scroll = rig.output->findChild<QScrollArea*>(QStringLiteral("PictureScroll"));
        QVERIFY(scroll);
        const QRect seen(scroll->viewport()->mapTo(rig.output.get(), QPoint(0, 0)),
                         scroll->viewport()->size());
        QVERIFY(seen.bottom() < rig.output->Panel1->y());
        const QSize last = rig.output->Image1->size() - QSize(1, 1);
        for (QScrollBar* bar : {scroll->horizontalScrollBar(), scroll->verticalScrollBar()}) {
            QVERIFY(bar->isVisibleTo(rig.output.get()));
            bar->setValue(bar->minimum());
        }
        QVERIFY(seen.contains(rig.output->Image1->mapTo(rig.output.get(), QPoint(0, 0))));
        for (QScrollBar* bar : {scroll->horizontalScrollBar(), scroll->verticalScrollBar()}) {
            bar->setValue(bar->maximum());
        }
        QVERIFY(seen.contains(
            rig.output->Image1->mapTo(rig.output.get(), QPoint(last.width(), last.height()))));
    }

    // Driven by the window's own timer, with the event loop running.
    void pictureAndPlacement()
    {
        Rig rig;
        rig.output->Make3D();
        QTRY_VERIFY_WITH_TIMEOUT(rig.output->isVisible(), 5000);
        DL_COMPARE_IMAGES(rig.output->picture().image(),
                          StereogramRenderer::renderAll(rig.strip, rig.depth).image());
        // A new window shows in the middle of its screen (give or take its frame's sides).
        const QPoint offset = rig.output->frameGeometry().center() -
                              rig.output->screen()->availableGeometry().center();
        QVERIFY2(qAbs(offset.x()) <= 4 && qAbs(offset.y()) <= 4,
                 qPrintable(QStringLiteral("%1, %2").arg(offset.x()).arg(offset.y())));

        rig.depth = randomPicture(301, 30, 4, true);
        rig.strip = randomPicture(100, 30, 5, false);
        rig.renderToEnd();
        rig.output->resize(1000, 400);
        QCOMPARE(rig.output->Image1->mapTo(rig.output.get(), QPoint(0, 0)), QPoint(300, 170));
        QCOMPARE(rig.output->Image1->size(), QSize(401, 30));
        // The lowered bevels show around the picture: dark above, light below and in the
        // top-right corners.
        const QImage frame = rig.output->Panel2->grab().toImage();
        const QPalette colours = rig.output->Panel2->palette();
        for (int edge : {0, 2}) {
            QCOMPARE(frame.pixel(10, edge), colours.dark().color().rgb());
            QCOMPARE(frame.pixel(10, frame.height() - 1 - edge), colours.light().color().rgb());
            QCOMPARE(frame.pixel(frame.width() - 1 - edge, edge), colours.light().color().rgb());
        }
    }

    void emptyDepthMapEndsAtFirstTick()
    {
        Rig rig;
        rig.depth = RasterImage(60, 0);
        rig.output->Make3D();
        rig.output->Timer1Timer();
        QVERIFY(rig.output->isVisible());
        QVERIFY(!rig.progress.isVisible());
        QVERIFY(rig.output->picture().isEmpty());
    }

    // The main window replaces the running window; Make3D again on one window restarts it too.
    void startingAgainDuringRendering()
    {
        Rig rig;
        rig.output->Make3D();
        for (int tick = 0; tick < 10; ++tick) {
            rig.output->Timer1Timer();
        }
        rig.output.reset();
        QVERIFY(!rig.progress.isVisible());

        rig.depth = randomPicture(50, 25, 6, true);
        rig.output = rig.newWindow();
        rig.output->Make3D();
        for (int tick = 0; tick < 5; ++tick) {
            rig.output->Timer1Timer();
        }
        rig.renderToEnd();
        QVERIFY(!rig.progress.isVisible());
        DL_COMPARE_IMAGES(rig.output->picture().image(),
                          StereogramRenderer::renderAll(rig.strip, rig.depth).image());
    }

    void save_data()
    {
        QTest::addColumn<QString>("project");      // relative to the temp folder; "" untitled
        QTest::addColumn<QString>("targetInFile"); // TargetFile before the save
        QTest::addColumn<QString>("chosen");       // relative; "" cancels
        QTest::addColumn<QString>("targetAfter");  // TargetFile after the save
        QTest::addColumn<QByteArray>("format");    // written format; empty: nothing written
        QTest::addColumn<QString>("errorNames");   // the file the error names; "" no error
        QTest::newRow("untitled") << ""
                                  << ""
                                  << "a.bmp"
                                  << "" << QByteArray("bmp") << "";
        QTest::newRow("titled, no target yet") << "p.3dp"
                                               << ""
                                               << "b.bmp"
                                               << "b.bmp" << QByteArray("bmp") << "";
        QTest::newRow("titled, target kept in file") << "p.3dp"
                                                     << "old.bmp"
                                                     << "c.bmp"
                                                     << "old.bmp" << QByteArray("bmp") << "";
        QTest::newRow("png by its extension") << ""
                                              << ""
                                              << "d.png"
                                              << "" << QByteArray("png") << "";
        QTest::newRow("cancelled") << "p.3dp"
                                   << ""
                                   << ""
                                   << "" << QByteArray() << "";
        QTest::newRow("unwritable folder") << "p.3dp"
                                           << ""
                                           << "none/e.bmp"
                                           << "" << QByteArray() << "none/e.bmp";
        QTest::newRow("project file unwritable") << "none/p.3dp"
                                                 << ""
                                                 << "f.bmp"
                                                 << "" << QByteArray("bmp") << "none/p.3dp";
    }
    void save()
    {
        QFETCH(QString, project);
        QFETCH(QString, targetInFile);
        QFETCH(QString, chosen);
        QFETCH(QString, targetAfter);
        QFETCH(QByteArray, format);
        QFETCH(QString, errorNames);
        QTemporaryDir dir;
        auto path = [&](const QString& name) { return name.isEmpty() ? name : dir.filePath(name); };
        Rig rig;
        rig.renderToEnd();
        rig.document.ProjectFileName = path(project);
        rig.document.TargetFileName = QStringLiteral("earlier.bmp");
        if (!project.isEmpty() && !project.startsWith(QLatin1String("none"))) {
            TMy3DFile(path(project)).writeString("Files", "TargetFile", path(targetInFile));
        }
        rig.prompts.files << path(chosen);

        QTest::mouseClick(rig.output->SbSave, Qt::LeftButton);

        QCOMPARE(rig.prompts.dialogs.size(), 1);
        const Prompts::FileDialog& asked = rig.prompts.dialogs.first();
        QCOMPARE(asked.fileName, project.isEmpty() ? QStringLiteral("*.bmp") : path(targetInFile));
        QCOMPARE(asked.defaultSuffix, QStringLiteral("BMP"));
        QCOMPARE(asked.filter, QStringLiteral("BitMap[*.bmp]|*.bmp"));
        const QStringList errors = rig.prompts.log.filter(QRegularExpression("^Error: "));
        if (errorNames.isEmpty()) {
            QCOMPARE(errors, QStringList());
        } else {
            QCOMPARE(errors.size(), 1);
            QVERIFY2(errors.first().contains(QDir::toNativeSeparators(path(errorNames))),
                     qPrintable(errors.first()));
        }
        QCOMPARE(rig.document.TargetFileName,
                 format.isEmpty() ? QStringLiteral("earlier.bmp") : path(chosen));
        if (!project.isEmpty()) {
            QCOMPARE(TMy3DFile(path(project)).readString("Files", "TargetFile"), path(targetAfter));
        }
        if (!format.isEmpty()) {
            QImageReader reader(path(chosen));
            QCOMPARE(reader.format(), format);
            DL_COMPARE_IMAGES(reader.read(), rig.output->picture().image());
        } else if (!chosen.isEmpty()) {
            QVERIFY(!QFile::exists(path(chosen)));
        }
    }

    void loadTarget()
    {
        QTemporaryDir dir;
        const QString saved = dir.filePath("target.bmp");
        const RasterImage target = randomPicture(70, 20, 7, false);
        QVERIFY(target.save(saved));
        Rig rig;
        rig.output->Make3D();
        rig.output->Timer1Timer();

        QString error;
        QVERIFY(!rig.output->loadTarget(dir.filePath("missing.bmp"), &error));
        QVERIFY(error.contains("missing.bmp"));
        QVERIFY(rig.progress.isVisible()); // a failed load leaves the rendering running

        QVERIFY(rig.output->loadTarget(saved));
        QVERIFY(!rig.progress.isVisible());
        rig.output->Timer1Timer(); // the abandoned rendering writes nothing more
        DL_COMPARE_IMAGES(rig.output->picture().image(), target.image());
        rig.output->showMinimized();
        rig.output->showAgain();
        QVERIFY(rig.output->isVisible());
        QVERIFY(!rig.output->isMinimized());
    }

    void fullScreenCloses_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("key") << true;
        QTest::newRow("click") << false;
    }
    void fullScreenCloses()
    {
        QFETCH(bool, byKey);
        Rig rig;
        rig.renderToEnd();
        bool wasFullScreen = false;
        QTimer::singleShot(0, [&] {
            QWidget* screen = QApplication::activeModalWidget();
            QVERIFY(qobject_cast<TfmScreen*>(screen));
            wasFullScreen = screen->isFullScreen();
            if (byKey) {
                QTest::keyClick(screen, Qt::Key_A);
            } else {
                QTest::mouseClick(screen, Qt::LeftButton);
            }
        });
        // Never hang the run when the window ignores the event.
        QTimer::singleShot(5000, rig.output.get(), [] {
            if (QWidget* screen = QApplication::activeModalWidget()) {
                screen->close();
            }
        });
        QTest::mouseClick(rig.output->SpeedButton1, Qt::LeftButton);
        QVERIFY(wasFullScreen);
        QVERIFY(rig.output->findChildren<TfmScreen*>().isEmpty());

        TfmScreen screen(rig.output->picture());
        QTimer::singleShot(0, &screen, [&] {
            byKey ? QTest::keyClick(&screen, Qt::Key_Escape)
                  : QTest::mouseClick(&screen, Qt::RightButton);
        });
        QCOMPARE(screen.exec(), int(QDialog::Accepted));
    }

    // A picture larger than the screen shows its middle; a smaller one is centred on black.
    void fullScreenPicture()
    {
        const RasterImage picture = randomPicture(41, 31, 8, false);
        TfmScreen screen(picture);
        screen.setWindowState(Qt::WindowNoState);
        screen.resize(21, 11);
        DL_COMPARE_IMAGES(screen.grab().toImage().convertToFormat(QImage::Format_RGB32),
                          picture.image().copy(10, 10, 21, 11));
        screen.resize(48, 40); // offsets 3.5 and 4.5, both rounding to 4
        QImage expected(48, 40, QImage::Format_RGB32);
        expected.fill(Qt::black);
        for (int y = 0; y < 31; ++y) {
            for (int x = 0; x < 41; ++x) {
                expected.setPixel(x + 4, y + 4, picture.image().pixel(x, y));
            }
        }
        DL_COMPARE_IMAGES(screen.grab().toImage().convertToFormat(QImage::Format_RGB32), expected);
    }
};

DEPTHLOOM_TEST_CLASS(OutputWindowTest);
#include "OutputWindowTest.moc"
