// Where the floating windows open on a real screen, with and without a window manager, the main
// window maximised or not. Runs in an X server: the test is started under xvfb-run.

#include "WindowFixture.h"
#include "common/FindPart.h"
#include "common/TestMain.h"
#include "mainwindow/EditorToolHost.h"
#include "mainwindow/LivePreview.h"
#include "smoke/XSession.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QTest>

namespace {

QRect onScreen(const QWidget* widget)
{
    return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

} // namespace

class WindowPlacesTest : public QObject, public WindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
                 "run this test under xvfb-run");
    }
    void cleanup() { closeWindow(); }

    void clearOfTheMainWindow_data()
    {
        QTest::addColumn<bool>("manager");
        QTest::addColumn<bool>("maximised");
        QTest::newRow("no window manager") << false << false;
        QTest::newRow("no window manager, maximised") << false << true;
        QTest::newRow("openbox") << true << false;
        QTest::newRow("openbox, maximised") << true << true;
    }
    void clearOfTheMainWindow()
    {
        QFETCH(bool, manager);
        QFETCH(bool, maximised);
        xsession::WindowManager openbox;
        if (manager) {
            if (!xsession::WindowManager::installed()) {
                QSKIP("openbox is not installed");
            }
            QVERIFY2(openbox.start(m_dir.path()), "openbox did not come up");
        }
        openWindow();
        form().createHeightPalette();
        form().createColorPalettes();
        form().createPenStylePicker();
        const QRect screen = form().screen()->availableGeometry();
        if (maximised) {
            form().showMaximized();
            if (manager) {
                // Openbox may draw a maximised window's border just off the screen's edges.
                QTRY_VERIFY(form().frameGeometry().width() >= screen.width() &&
                            form().frameGeometry().height() >= screen.height());
            }
        }
        // The pencil shows a colour window and the pen style picker.
        part<QAction>(form(), "sbPen")->trigger();
        form().setLivePreviewShown(true);
        QTest::qWait(1000);

        const QList<QRect> bars{onScreen(form().menuBar()),
                                onScreen(part<QWidget>(form(), "SpeedBar")),
                                onScreen(part<QWidget>(form(), "Toolbar"))};
        const QRect preview = form().livePreview()->frameGeometry();
        QVERIFY(screen.contains(preview));
        for (const QRect& bar : bars) {
            QVERIFY2(!preview.intersects(bar), qPrintable(QStringLiteral("%1,%2 over %3,%4")
                                                              .arg(preview.x())
                                                              .arg(preview.y())
                                                              .arg(bar.x())
                                                              .arg(bar.y())));
        }
        if (!maximised) {
            return;
        }
        // Maximised, the shown palettes keep clear of the panes.
        const QRect panes = onScreen(part<QWidget>(form(), "Panel1"))
                                .united(onScreen(part<QWidget>(form(), "Panel3")));
        int shown = 0;
        for (QWidget* palette : form().findChildren<QWidget*>()) {
            if (palette->isWindow() && palette->isVisible() && palette != &form() &&
                palette != form().livePreview()) {
                ++shown;
                QVERIFY2(!palette->frameGeometry().intersects(panes),
                         qPrintable(palette->objectName()));
                QVERIFY(screen.contains(palette->frameGeometry()));
            }
        }
        QCOMPARE(shown, 2);
    }
};

DEPTHLOOM_TEST_CLASS(WindowPlacesTest);
#include "WindowPlacesTest.moc"
