#include "WindowFixture.h"
#include "common/FindPart.h"
#include "common/TestMain.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/LivePreview.h"

#include <QAction>
#include <QMenu>
#include <QSettings>
#include <QTextBrowser>
#include <QTextDocument>

// What the editor remembers between runs, and its own help window.
class PlacesTest : public QObject, WindowFixture
{
    Q_OBJECT

private slots:
    void init()
    {
        QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("depthloom"),
                  QStringLiteral("places"))
            .clear();
        openWindow();
    }
    void cleanup() { closeWindow(); }

    void recentProject_data()
    {
        QTest::addColumn<bool>("chinese");
        QTest::addColumn<bool>("gone");
        QTest::addColumn<QString>("message"); // %1 is the project
        QTest::newRow("opens") << false << false << QString();
        QTest::newRow("gone") << false << true
                              << "Error: The project %1 no longer exists. It has been taken "
                                 "off the recent projects.";
        QTest::newRow("gone, Chinese")
            << true << true << "Error: 项目 %1 已不存在, 已从最近的项目中移除.";
    }
    void recentProject()
    {
        QFETCH(bool, chinese);
        QFETCH(bool, gone);
        QFETCH(QString, message);
        const QString project = path("p.3dp");
        m_prompts.files = {path("strip.bmp"), path("depth.bkp")};
        form().document().ProjectFileName = project;
        QVERIFY(form().SaveProject());
        form().document().ProjectFileName.clear();
        if (chinese) {
            part<QAction>(form(), "Chinese1")->trigger();
        }
        auto* menu = part<QMenu>(form(), "RecentProjectsMenu");
        QCOMPARE(menu->title(),
                 chinese ? QStringLiteral("最近的项目(&T)") : QStringLiteral("Recen&t Projects"));
        QCOMPARE(menu->actions().size(), 1);
        if (gone) {
            QVERIFY(QFile::remove(project));
        }
        m_prompts.log.clear();
        menu->actions().constFirst()->trigger();
        QCOMPARE(m_prompts.log, gone ? QStringList{message.arg(project)} : QStringList{});
        QCOMPARE(form().document().ProjectFileName, gone ? QString() : project);
        QCOMPARE(menu->actions().size(), gone ? 0 : 1);
        QCOMPARE(menu->menuAction()->isEnabled(), !gone);
    }

    // The live preview opens at the next start, where it was, when it was shown at the end.
    void livePreviewRemembered_data()
    {
        QTest::addColumn<bool>("shown");
        QTest::newRow("shown") << true;
        QTest::newRow("hidden") << false;
    }
    void livePreviewRemembered()
    {
        QFETCH(bool, shown);
        form().setLivePreviewShown(true);
        form().setLivePreviewShown(shown);
        // Moved by the user, a little down from where it opened.
        const QPoint place = form().livePreview()->pos() + QPoint(0, 10);
        form().livePreview()->move(place);
        m_prompts.answers = {true};
        QVERIFY(form().close());
        openWindow();
        form().restoreRememberedWindows();
        QCOMPARE(form().livePreview() != nullptr, shown);
        if (shown) {
            QVERIFY(form().livePreview()->isVisible());
            QCOMPARE(form().livePreview()->pos(), place);
        }
    }

    // The shipped pages in the help window: a link, back, forward, a picture, each language.
    void helpWindow_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("linked");
        QTest::newRow("English") << "3DP.htm"
                                 << "index.htm";
        QTest::newRow("Chinese") << "c3DP.htm"
                                 << "index.htm";
    }
    void helpWindow()
    {
        QFETCH(QString, page);
        QFETCH(QString, linked);
        const QDir help(QStringLiteral(DEPTHLOOM_HELP_DIR));
        HelpWindow window(&form());
        window.showPage(QUrl::fromLocalFile(help.filePath(page)));
        QTextBrowser* browser = window.browser();
        QVERIFY(!part<QToolButton>(window, "HelpBack")->isEnabled());
        QVERIFY(browser->toPlainText().size() > 100);
        // The picture of the paint modes, found beside the page.
        QVERIFY(browser->toHtml().contains(QLatin1String("paintmodes.png")));
        QVERIFY(!QImage::fromData(browser
                                      ->loadResource(QTextDocument::ImageResource,
                                                     QUrl(QStringLiteral("paintmodes.png")))
                                      .toByteArray())
                     .isNull());
        // The first link on the page leads to the guide.
        QVERIFY(browser->toHtml().contains(QStringLiteral("href=\"%1\"").arg(linked)));
        browser->setSource(QUrl(linked));
        QCOMPARE(browser->source().fileName(), linked);
        QTest::mouseClick(part<QToolButton>(window, "HelpBack"), Qt::LeftButton);
        QCOMPARE(browser->source().fileName(), page);
        QTest::mouseClick(part<QToolButton>(window, "HelpForward"), Qt::LeftButton);
        QCOMPARE(browser->source().fileName(), linked);
    }
};

DEPTHLOOM_TEST_CLASS(PlacesTest);
#include "PlacesTest.moc"
