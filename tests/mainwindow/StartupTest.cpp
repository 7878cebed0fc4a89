#include "WindowFixture.h"
#include "common/FindPart.h"
#include "common/ScriptedPrompts.h"
#include "common/TestMain.h"
#include "mainwindow/AboutBox.h"
#include "mainwindow/HostLink.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>

class StartupTest : public QObject, public WindowFixture
{
    Q_OBJECT

private slots:
    void init() { openWindow(); }
    void cleanup() { closeWindow(); }

    // The about box is made at start and drawn only when shown: it then has its emblem, and
    // the contact line stays inside the box.
    void aboutBoxIsDrawnWhenShown()
    {
        TdlgAbout box;
        const QImage shown = box.grab().toImage();
        QSet<QRgb> emblemColours;
        for (int y = 10; y < 190; y += 9) {
            for (int x = 30; x < 270; x += 9) {
                emblemColours.insert(shown.pixel(x, y));
            }
        }
        QVERIFY(emblemColours.size() > 20);
        const auto* contact = box.findChildren<QLabel*>().last();
        QVERIFY2(box.rect().contains(contact->geometry()), qPrintable(contact->text()));
    }

    void colourDepth_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<bool>("passed");
        QTest::addColumn<bool>("highColor");
        QTest::newRow("32 bits") << 32 << QList<bool>{} << true << true;
        QTest::newRow("9 bits") << 9 << QList<bool>{} << true << true;
        QTest::newRow("8 bits") << 8 << QList<bool>{} << true << false;
        QTest::newRow("4 bits, go on") << 4 << QList<bool>{true} << true << false;
        QTest::newRow("4 bits, stop") << 4 << QList<bool>{false} << false << false;
        QTest::newRow("1 bit, stop") << 1 << QList<bool>{false} << false << false;
    }

    void colourDepth()
    {
        QFETCH(int, bits);
        QFETCH(QList<bool>, answers);
        QFETCH(bool, highColor);
        m_prompts.answers = answers;
        QTEST(form().FormCreate({QStringLiteral("depthloom")}, bits, {}), "passed");
        QCOMPARE(form().drawingState().UseHighColorPalette, highColor);
        QCOMPARE(part<QAction>(form(), "HighColorPalette")->isChecked(), highColor);
        QCOMPARE(part<QAction>(form(), "N20ColorPalette")->isChecked(), !highColor);
        // Only displays below 8 bits per pixel ask.
        const QStringList asked{QStringLiteral("YesNo: This Program need at least 256 colors\n"
                                               "    (Recemmend 16-bit color)\n"
                                               "    Do you want to continue?")};
        QCOMPARE(m_prompts.log, answers.isEmpty() ? QStringList() : asked);
        QVERIFY(form().FirstActivation);
        QVERIFY(!form().LaunchedByHost);
        QVERIFY(
            form().FormCreate({QStringLiteral("depthloom"), QStringLiteral("DpStart")}, 32, {}));
        QVERIFY(form().LaunchedByHost);
    }

    void quitQuestion()
    {
        m_prompts.answers = {false};
        QVERIFY(!form().close());
        QVERIFY(form().isVisible());
        QCOMPARE(m_prompts.log, QStringList{QStringLiteral("OkCancel: Are you sure to quit?")});

        form().UILanguage = 1;
        m_prompts.answers = {true};
        QVERIFY(form().close());
        QCOMPARE(m_prompts.log.last(), QStringLiteral("OkCancel: 确定现在退出吗?"));
    }

    // A host macro opens the project it names, with the path's letters as sent; other text
    // is ignored.
    void hostMacro()
    {
        QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/MixedCase-XXXXXX"));
        const QString project = dir.filePath(QStringLiteral("Cube.3dp"));
        QFile file(project);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Files]\nLayFile=" + dir.filePath(QStringLiteral("Strip.bmp")).toUtf8() + "\n");
        file.close();
        QImage strip(20, 30, QImage::Format_RGB32);
        strip.fill(Qt::blue);
        QVERIFY(strip.save(dir.filePath(QStringLiteral("Strip.bmp"))));

        const QString name =
            QStringLiteral("depthloom-test-%1").arg(QCoreApplication::applicationPid());
        form().startHostLink(QStringLiteral("/x/") + name);
        const QString server = name + QStringLiteral("-ddeserverconv1");
        QVERIFY(HostLink::sendMacro(server,
                                    QStringLiteral("[L]") + project + QStringLiteral("\r\nmore")));
        QTRY_COMPARE(form().document().ProjectFileName, project);
        QCOMPARE(form().windowTitle(), QStringLiteral("3D-Picture  [Cube.3dp] -- lay(Strip.bmp)"));
        QCOMPARE(form().patternStrip().width(), 20);

        QVERIFY(HostLink::sendMacro(server, QStringLiteral("[l]/elsewhere.3dp")));
        QVERIFY(HostLink::sendMacro(server, QStringLiteral("open /elsewhere.3dp")));
        QTest::qWait(300);
        QCOMPARE(form().document().ProjectFileName, project);
    }
};

DEPTHLOOM_TEST_CLASS(StartupTest);
#include "StartupTest.moc"
