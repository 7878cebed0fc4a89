#include "WindowFixture.h"
#include "common/FindPart.h"
#include "common/TestMain.h"
#include "document/THeightMapFile.h"
#include "widgets/ImageView.h"
#include "widgets/Shape.h"

#include <QAction>
#include <QCloseEvent>
#include <QToolButton>

// What the user made and has not saved is never replaced without one question, which names it;
// where nothing is unsaved the commands ask what they always asked.
class UnsavedChangesTest : public QObject, public WindowFixture
{
    Q_OBJECT

    using Choice = Prompts::SaveChoice;

    void paintDepthMap() { ::paintDepthMap(form()); }
    // Runs the command named `command` as the user would.
    void run(const QString& command)
    {
        if (command == QLatin1String("quit")) {
            QCloseEvent close;
            QCoreApplication::sendEvent(&form(), &close);
        } else if (command == QLatin1String("open project")) {
            writeFile(path("other.3dp"), "[Files]\n");
            form().openProjectFile(path("other.3dp"));
        } else if (command == QLatin1String("open into pane")) {
            QVERIFY(THeightMapFile().save(path("other.bkp"), RasterImage(7, 7)));
            form().openImageFile(true, path("other.bkp"));
        } else {
            part<QAction>(form(), qPrintable(command))->trigger();
        }
    }

private slots:
    void init() { openWindow(); }
    void cleanup() { closeWindow(); }

    void replacing_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("painted");
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("asked"); // the first question's start
        QTest::addColumn<bool>("depthMapKept");
        for (const char* command : {"FileNewItem", "sbNew", "open project", "open into pane"}) {
            QTest::addRow("%s, cancel", command) << command << true << int(Choice::Cancel)
                                                 << "SaveChanges: The depth map has" << true;
            QTest::addRow("%s, discard", command) << command << true << int(Choice::Discard)
                                                  << "SaveChanges: The depth map has" << false;
        }
        QTest::newRow("quit, cancel")
            << "quit" << true << int(Choice::Cancel) << "SaveChanges: The depth map has" << true;
        QTest::newRow("quit, nothing unsaved")
            << "quit" << false << int(Choice::Cancel) << "OkCancel: Are you sure to quit?" << true;
        QTest::newRow("new, nothing unsaved")
            << "FileNewItem" << false << int(Choice::Cancel) << "YesNo: Are You Sure To" << true;
    }
    void replacing()
    {
        QFETCH(QString, command);
        QFETCH(bool, painted);
        QFETCH(int, choice);
        QFETCH(QString, asked);
        QFETCH(bool, depthMapKept);
        if (painted) {
            paintDepthMap();
        }
        const QImage before = form().depthMap().image();
        m_prompts.saveChoices = {Choice(choice)};
        run(command);
        QVERIFY2(!m_prompts.log.isEmpty() && m_prompts.log.first().startsWith(asked),
                 qPrintable(m_prompts.log.join('\n')));
        QCOMPARE(form().depthMap().image() == before, depthMapKept);
        QTRY_COMPARE(part<Panel>(form(), "pnStuModified")->isVisible(), depthMapKept && painted);
        QCOMPARE(form().isWindowModified(), depthMapKept && painted);
    }

    // A marquee is inverted pixels of the picture, but no change: quitting asks what it always
    // asked.
    void marqueeIsNoChange()
    {
        auto* strip = part<ImageView>(form(), "Image1");
        QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseMove(strip, QPoint(50, 40));
        QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(50, 40));
        QVERIFY(form().patternStrip().image().pixel(10, 10) != qRgb(255, 255, 255));
        run(QStringLiteral("quit"));
        QCOMPARE(m_prompts.log, QStringList{"OkCancel: Are you sure to quit? (unscripted)"});
    }

    // Save writes the unsaved picture first, and the command goes on; a Save As the user
    // cancels saves nothing, and nothing is replaced.
    void saveFirst_data()
    {
        QTest::addColumn<QString>("file"); // the depth map's Save As answer
        QTest::addColumn<bool>("replaced");
        QTest::newRow("saved") << "depth.bkp" << true;
        QTest::newRow("save cancelled") << "" << false;
    }
    void saveFirst()
    {
        QFETCH(QString, file);
        QFETCH(bool, replaced);
        paintDepthMap();
        const QImage painted = form().depthMap().image();
        m_prompts.saveChoices = {Choice::Save};
        m_prompts.files = {file.isEmpty() ? QString() : path(qPrintable(file))};
        run(QStringLiteral("open into pane"));
        QCOMPARE(form().depthMap().width(), replaced ? 7 : 300);
        if (replaced) {
            THeightMapFile saved;
            QVERIFY(saved.load(path("depth.bkp")));
            QCOMPARE(saved.picture().image().pixel(5, 5), painted.pixel(5, 5));
            QVERIFY(painted.pixel(5, 5) != painted.pixel(50, 50));
        }
    }
};

DEPTHLOOM_TEST_CLASS(UnsavedChangesTest);
#include "UnsavedChangesTest.moc"
