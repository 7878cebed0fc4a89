// Keys typed on the X server's keyboard, under a window manager, reach the commands and tools
// they are meant for: zoom, Select All, Delete and escape, and the text tool keeps its keys.

#include "WindowFixture.h"
#include "common/FindPart.h"
#include "common/ImageCompare.h"
#include "common/TestMain.h"
#include "mainwindow/ImagePane.h"
#include "smoke/XSession.h"
#include "tools/TDrawTool.h"
#include "tools/ToolText.h"
#include "widgets/ImageView.h"

#include <QTemporaryDir>

using namespace xsession;

class KeysTest : public QObject, public WindowFixture
{
    Q_OBJECT

    QTemporaryDir m_wmDir;
    std::unique_ptr<WindowManager> m_wm;

    void play(const QString& script)
    {
        auto* view = part<ImageView>(form(), "Image1");
        for (const QString& step : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QStringList xy = step.mid(1).split(QLatin1Char(','));
            const QPoint at(xy.value(0).toInt(), xy.value(1).toInt());
            if (step[0] == QLatin1Char('d')) {
                QTest::mousePress(view, Qt::LeftButton, {}, at);
            } else if (step[0] == QLatin1Char('m')) {
                QTest::mouseMove(view, at);
            } else {
                QTest::mouseRelease(view, Qt::LeftButton, {}, at);
            }
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(qEnvironmentVariableIsSet("DISPLAY"), "run this test under xvfb-run");
        if (!WindowManager::installed()) {
            QSKIP("openbox is not installed (run.sh installs it)");
        }
        m_wm = std::make_unique<WindowManager>();
        QVERIFY2(m_wm->start(m_wmDir.path()), "openbox did not come up");
    }
    void cleanupTestCase() { m_wm.reset(); }
    void init()
    {
        openWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form()));
        form().patternStrip().setImage(stripPicture());
    }
    void cleanup() { closeWindow(); }

    void keys_data()
    {
        QTest::addColumn<int>("tool");
        QTest::addColumn<QString>("script"); // pointer steps before the keys
        QTest::addColumn<QString>("keys");   // xdotool's names
        QTest::addColumn<QList<QRect>>("white");
        QTest::addColumn<int>("percent");
        const QRect marked(5, 5, 35, 25);
        const QString mark = "d5,5 m40,30 u40,30";
        QTest::newRow("escape takes a line back") << int(ToolId::Line) << "d5,5 m40,30"
                                                  << "Escape" << QList<QRect>{} << 100;
        QTest::newRow("escape takes an ellipse back") << int(ToolId::Ellips) << "d5,5 m40,30"
                                                      << "Escape" << QList<QRect>{} << 100;
        QTest::newRow("escape takes a marquee away, nothing to delete")
            << int(ToolId::Select) << "d5,5 m40,30"
            << "Escape Delete" << QList<QRect>{} << 100;
        QTest::newRow("delete a marked selection")
            << int(ToolId::Select) << mark << "Delete" << QList<QRect>{marked} << 100;
        QTest::newRow("delete a moved selection")
            << int(ToolId::Select) << mark + " d10,10 m20,15 u20,15"
            << "Delete" << QList<QRect>{marked, marked.translated(10, 5)} << 100;
        QTest::newRow("delete is one undo step")
            << int(ToolId::Select) << mark << "Delete ctrl+z" << QList<QRect>{} << 100;
        QTest::newRow("select all, delete")
            << int(ToolId::Pencil) << ""
            << "ctrl+a Delete" << QList<QRect>{{0, 0, 120, 300}} << 100;
        QTest::newRow("text: escape takes the text back") << int(ToolId::Text) << "d10,40 u10,40"
                                                          << "a b Escape" << QList<QRect>{} << 100;
        QTest::newRow("zoom in") << int(ToolId::Select) << ""
                                 << "ctrl+plus" << QList<QRect>{} << 200;
        QTest::newRow("zoom in with =") << int(ToolId::Select) << ""
                                        << "ctrl+equal ctrl+equal" << QList<QRect>{} << 300;
        QTest::newRow("zoom out") << int(ToolId::Select) << ""
                                  << "ctrl+minus" << QList<QRect>{} << 50;
        QTest::newRow("actual size") << int(ToolId::Select) << ""
                                     << "ctrl+plus ctrl+0" << QList<QRect>{} << 100;
    }
    void keys()
    {
        QFETCH(int, tool);
        QFETCH(QString, script);
        QFETCH(QString, keys);
        QFETCH(QList<QRect>, white);
        QFETCH(int, percent);
        QTest::mouseClick(toolButton(form(), tool), Qt::LeftButton);
        play(script);
        bool ok = false;
        xdotool(
            QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("50")} +
                keys.split(QLatin1Char(' ')),
            &ok);
        QVERIFY(ok);
        QTest::qWait(500);
        QImage expected = stripPicture();
        for (const QRect& area : white) {
            for (int y = area.top(); y <= area.bottom(); ++y) {
                for (int x = area.left(); x <= area.right(); ++x) {
                    expected.setPixel(x, y, qRgb(255, 255, 255));
                }
            }
        }
        form().drawTool()->setMarksShown(false);
        DL_COMPARE_IMAGES(form().patternStrip().image(), expected);
        QCOMPARE(part<ImagePane>(form(), "Panel1")->zoom().percent(), percent);
    }

    // No new key takes a character the text tool needs while typing.
    void textKeysStay()
    {
        QTest::mouseClick(toolButton(form(), ToolId::Text), Qt::LeftButton);
        play(QStringLiteral("d10,40 u10,40"));
        bool ok = false;
        xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("50"),
                 QStringLiteral("a+-=0A")},
                &ok);
        QVERIFY(ok);
        QTRY_COMPARE(static_cast<ToolText*>(form().drawTool()->currentTool())->text(),
                     QStringLiteral("a+-=0A"));
    }
};

DEPTHLOOM_TEST_CLASS(KeysTest);
#include "KeysTest.moc"
