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

#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace xsession;

class KeysTest : public QObject, public WindowFixture
{
    Q_OBJECT

    QTemporaryDir m_wmDir;
    std::unique_ptr<WindowManager> m_wm;

    // Pointer steps in image pixels ("d3,3" press, "m8,7" move, "u8,7" release) and, between
    // them, keys by xdotool's names, typed on the X server's keyboard.
    void play(const QString& steps)
    {
        auto* view = part<ImageView>(form(), "Image1");
        static const QRegularExpression pointer(QStringLiteral("^([dmu])(\\d+),(\\d+)$"));
        for (const QString& step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QRegularExpressionMatch match = pointer.match(step);
            const QPoint at(match.captured(2).toInt(), match.captured(3).toInt());
            if (!match.hasMatch()) {
                bool ok = false;
                xdotool({QStringLiteral("key"), step}, &ok);
                QVERIFY(ok);
                QTest::qWait(200);
            } else if (match.captured(1) == QLatin1String("d")) {
                QTest::mousePress(view, Qt::LeftButton, {}, at);
            } else if (match.captured(1) == QLatin1String("m")) {
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
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QList<QRect>>("white");
        QTest::addColumn<QPoint>("moved"); // the marked rectangle's pixels moved by this
        QTest::addColumn<int>("percent");
        const QRect marked(5, 5, 35, 25);
        const QString mark = "d5,5 m40,30 u40,30";
        const auto row = [](const char* name, ToolId tool, const QString& steps,
                            const QList<QRect>& white = {}, QPoint moved = {}, int percent = 100) {
            QTest::newRow(name) << int(tool) << steps << white << moved << percent;
        };
        row("escape takes a line back", ToolId::Line, "d5,5 m40,30 Escape m50,50 u50,50");
        row("escape takes an ellipse back", ToolId::Ellips, "d5,5 m40,30 Escape u50,50");
        row("escape takes a marquee away", ToolId::Select, "d5,5 m40,30 Escape u40,30 Delete");
        row("delete a marked selection", ToolId::Select, mark + " Delete", {marked});
        row("delete a moved selection", ToolId::Select, mark + " d10,10 m20,15 u20,15 Delete",
            {marked, marked.translated(10, 5)});
        row("delete is one undo step", ToolId::Select, mark + " d10,10 m20,15 u20,15 Delete ctrl+z",
            {}, {10, 5});
        row("select all, delete", ToolId::Pencil, "ctrl+a Delete", {{0, 0, 120, 300}});
        row("text: escape takes the text back", ToolId::Text, "d10,40 u10,40 a b Escape");
        row("zoom in", ToolId::Select, "ctrl+plus", {}, {}, 200);
        row("zoom in with =", ToolId::Select, "ctrl+equal ctrl+equal", {}, {}, 300);
        row("zoom out", ToolId::Select, "ctrl+minus", {}, {}, 50);
        row("actual size", ToolId::Select, "ctrl+plus ctrl+0", {}, {}, 100);
    }
    void keys()
    {
        QFETCH(int, tool);
        QFETCH(QString, steps);
        QFETCH(QList<QRect>, white);
        QFETCH(QPoint, moved);
        QFETCH(int, percent);
        QTest::mouseClick(toolButton(form(), tool), Qt::LeftButton);
        play(steps);
        QImage expected = stripPicture();
        if (!moved.isNull()) {
            // Lifted from its place, which turned white, and dropped where it was moved.
            const QRect marked(5, 5, 35, 25);
            const QImage lifted = expected.copy(marked);
            QPainter painter(&expected);
            painter.fillRect(marked, Qt::white);
            painter.drawImage(marked.topLeft() + moved, lifted);
        }
        for (const QRect& area : white) {
            QPainter(&expected).fillRect(area, Qt::white);
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
