#include "WindowFixture.h"
#include "common/FindPart.h"
#include "common/ImageCompare.h"
#include "common/TestMain.h"
#include "mainwindow/ImagePane.h"
#include "raster/ColorRef.h"
#include "tools/TDrawTool.h"
#include "tools/ToolText.h"
#include "widgets/ImageView.h"
#include "widgets/ScrollBox.h"

#include <QAction>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

namespace {

Zoom zoomOf(int percent)
{
    for (const Zoom& step : Zoom::steps()) {
        if (step.percent() == percent) {
            return step;
        }
    }
    qFatal("no zoom step of %d %%", percent);
}

// A depth map in greys that differ from pixel to pixel, so smoothing changes it.
QImage depthPicture()
{
    QImage image(300, 300, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int grey = (x * 7 + y * 13) % 256;
            image.setPixel(x, y, qRgb(grey, grey, grey));
        }
    }
    return image;
}

// What a tool left behind: the picture without marks, the current colour, the status bar's
// position.
struct Outcome
{
    QImage picture;
    ColorRef color = 0;
    QString position;
};

} // namespace

// Zoom: what each step shows and where, and that tools, grips and the status bar work in image
// pixels at every zoom.
class ZoomTest : public QObject, public WindowFixture
{
    Q_OBJECT

    ImagePane* activePane() { return part<ImagePane>(form(), m_depth ? "Panel3" : "Panel1"); }
    ImageView* activeView() { return activePane()->image(); }

    // Opens the window with both pictures and the active pane at `zoom`, scrolled to the top.
    void openAt(const Zoom& zoom, bool depth)
    {
        m_depth = depth;
        openWindow();
        form().patternStrip().setImage(stripPicture());
        form().depthMap().setImage(depthPicture());
        if (depth) {
            form().SwitchCurrentImage();
        }
        activePane()->setZoom(zoom);
        activeView()->update(); // the pictures were set behind the window's back
        activePane()->box()->horizontalScrollBar()->setValue(0);
        activePane()->box()->verticalScrollBar()->setValue(0);
    }

    // The middle of image pixel (x, y) on screen.
    QPoint onScreen(int x, int y)
    {
        const Zoom& zoom = activeView()->zoom();
        return {zoom.toView(x) + zoom.up / 2, zoom.toView(y) + zoom.up / 2};
    }

    // Runs a script of pointer and key steps in image pixels: "d3,3" press, "m8,7" move,
    // "u8,7" release, "kAb" types, "t" a tick of the tool timer.
    void play(const QString& script)
    {
        ImageView* view = activeView();
        for (const QString& step : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QStringList xy = step.mid(1).split(QLatin1Char(','));
            const QPoint at = xy.size() == 2 ? onScreen(xy[0].toInt(), xy[1].toInt()) : QPoint();
            switch (step[0].toLatin1()) {
            case 'd':
                QTest::mousePress(view, Qt::LeftButton, {}, at);
                break;
            case 'm':
                QTest::mouseMove(view, at);
                break;
            case 'u':
                QTest::mouseRelease(view, Qt::LeftButton, {}, at);
                break;
            case 'k':
                for (QChar key : step.mid(1)) {
                    QTest::keyClick(form().windowHandle(), key.toLatin1());
                }
                break;
            case 't':
                form().drawTool()->Tick();
                break;
            default:
                QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
            }
        }
    }

    // What the screen shows of the image, against the image magnified pixel by pixel: every
    // change was repainted where it shows.
    void compareScreen()
    {
        QCoreApplication::processEvents();
        ImageView* view = activeView();
        QWidget* viewport = activePane()->box()->viewport();
        const QPoint origin = view->mapTo(viewport, QPoint(0, 0));
        const QRect shown = QRect(origin, view->size()) & viewport->rect();
        const QPoint inWindow = viewport->mapTo(&form(), shown.topLeft());
        const QImage screen = form()
                                  .screen()
                                  ->grabWindow(form().winId(), inWindow.x(), inWindow.y(),
                                               shown.width(), shown.height())
                                  .toImage()
                                  .convertToFormat(QImage::Format_RGB32);
        const QImage& image = view->raster().image();
        const Zoom& zoom = view->zoom();
        QImage expected(shown.size(), QImage::Format_RGB32);
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                const QPoint at = shown.topLeft() - origin + QPoint(x, y);
                expected.setPixel(x, y, image.pixel(zoom.toImage(at.x()), zoom.toImage(at.y())));
            }
        }
        DL_COMPARE_IMAGES(screen, expected);
    }

    Outcome strokeAt(const Zoom& zoom, int tool, bool depth, const QString& script)
    {
        openAt(zoom, depth);
        QTest::mouseClick(toolButton(form(), tool), Qt::LeftButton);
        // Ticks come from the script only.
        part<QTimer>(form(), "Timer1")->stop();
        play(script);
        compareScreen();
        form().drawTool()->setMarksShown(false);
        Outcome outcome{activeView()->raster().image().copy(), form().drawingState().CurrentColor,
                        part<Panel>(form(), "pnStuPos")->text()};
        closeWindow();
        return outcome;
    }

    bool m_depth = false;

private slots:
    void cleanup() { closeWindow(); }

    // The same image-pixel stroke through the pointer paints the same pixels at 100 % and
    // magnified, rubber bands, marquees and carets included, and picks up the same colour.
    void toolsAtZoom_data()
    {
        QTest::addColumn<int>("tool");
        QTest::addColumn<bool>("depth");
        QTest::addColumn<int>("zoom");
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("paints");
        const auto row = [](const char* name, ToolId tool, const char* script, int zoom = 300,
                            bool depth = false, bool paints = true) {
            QTest::newRow(name) << int(tool) << depth << zoom << QString::fromLatin1(script)
                                << paints;
        };
        row("pencil", ToolId::Pencil, "d3,4 m9,7 m17,30 m2,41 u2,41");
        row("pencil at 1600 %", ToolId::Pencil, "d1,2 m5,3 m7,9 u7,9", 1600);
        row("pencil at 200 %", ToolId::Pencil, "d1,2 m25,3 m7,39 u7,39", 200);
        row("line", ToolId::Line, "d5,6 m30,20 m33,41 u33,41");
        row("rectangle", ToolId::Rect, "d4,5 m20,20 m31,37 u31,37");
        row("ellipse", ToolId::Ellips, "d3,4 m20,30 m35,29 u35,29");
        row("fill", ToolId::Fill, "d10,10 u10,10");
        row("text", ToolId::Text, "d7,30 u7,30 kAb");
        row("marquee moved", ToolId::Select, "d4,5 m20,20 u21,22 d10,10 m17,13 u17,13");
        row("pick-up", ToolId::Suck, "d23,17 u23,17 m12,5", 300, false, false);
        row("smoothing", ToolId::Aver, "d20,20 t m30,30 t t u30,30", 300, true);
    }
    void toolsAtZoom()
    {
        QFETCH(int, tool);
        QFETCH(bool, depth);
        QFETCH(int, zoom);
        QFETCH(QString, script);
        QFETCH(bool, paints);
        const Outcome actual = strokeAt(Zoom{}, tool, depth, script);
        const Outcome magnified = strokeAt(zoomOf(zoom), tool, depth, script);
        DL_COMPARE_IMAGES(magnified.picture, actual.picture);
        QCOMPARE(magnified.color, actual.color);
        QCOMPARE(magnified.position, actual.position);
        // The stroke did something to compare.
        if (paints) {
            QVERIFY(actual.picture != (depth ? depthPicture() : stripPicture()));
        } else {
            QCOMPARE(actual.color, colorref::rgb(46, 17, 90));
        }
    }

    // The zoom keys step through the zoom steps of the active pane and stop at either end; the
    // status bar shows any zoom but 100 %, and the pointer's position in image pixels.
    void keys_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("percent");
        QTest::newRow("in") << "Ctrl++" << 200;
        QTest::newRow("in with =") << "Ctrl+=, Ctrl+=, Ctrl+=" << 400;
        QTest::newRow("in to the end") << QString("Ctrl++, ").repeated(11).chopped(2) << 1600;
        QTest::newRow("out") << "Ctrl+-" << 50;
        QTest::newRow("out to the end") << "Ctrl+-, Ctrl+-, Ctrl+-, Ctrl+-, Ctrl+-" << 25;
        QTest::newRow("a third") << "Ctrl+-, Ctrl+-" << 33;
        QTest::newRow("actual size") << "Ctrl++, Ctrl++, Ctrl+0" << 100;
    }
    void keys()
    {
        QFETCH(QString, keys);
        QFETCH(int, percent);
        openAt(Zoom{}, false);
        for (const QString& key : keys.split(QStringLiteral(", "))) {
            QTest::keySequence(form().windowHandle(), QKeySequence(key));
        }
        const Zoom& zoom = activeView()->zoom();
        QCOMPARE(zoom.percent(), percent);
        QCOMPARE(part<ImagePane>(form(), "Panel3")->zoom(), Zoom{});
        const auto* field = part<Panel>(form(), "pnStuZoom");
        QCOMPARE(field->isVisible(), percent != 100);
        if (percent != 100) {
            QCOMPARE(field->text(), QStringLiteral("%1%").arg(percent));
        }
        // The other pane keeps its own zoom, and the field shows it.
        form().SwitchCurrentImage();
        QVERIFY(!field->isVisible());
        form().SwitchCurrentImage();
        QCOMPARE(field->isVisible(), percent != 100);
        // The view shows the image at that zoom, and the pointer over image pixel (5, 7) reads
        // as that pixel, or at 25 % and 33 % as the pixel shown there.
        QCOMPARE(activeView()->size(), zoom.viewSize(QSize(120, 300)));
        activePane()->box()->horizontalScrollBar()->setValue(0);
        activePane()->box()->verticalScrollBar()->setValue(0);
        QTest::mouseMove(activeView(), onScreen(5, 7));
        QCOMPARE(part<Panel>(form(), "pnStuPos")->text(),
                 QStringLiteral("x=%1,y=%2")
                     .arg(zoom.toImage(zoom.toView(5)), 4)
                     .arg(zoom.toImage(zoom.toView(7)), 4));
    }

    // Ctrl and the wheel zoom about the pointer: the image pixel under it stays under it.
    void wheel_data()
    {
        QTest::addColumn<QList<int>>("turns"); // wheel steps, up is positive
        QTest::addColumn<int>("percent");
        QTest::newRow("up") << QList<int>{120} << 200;
        QTest::newRow("up thrice") << QList<int>{120, 120, 120} << 400;
        QTest::newRow("up, up, down") << QList<int>{120, 120, -120} << 200;
    }
    void wheel()
    {
        QFETCH(QList<int>, turns);
        QFETCH(int, percent);
        openAt(Zoom{}, true);
        QWidget* viewport = activePane()->box()->viewport();
        const QPoint pointer(viewport->width() / 2 + 17, viewport->height() / 2 + 9);
        const auto pixelUnder = [&] {
            return activeView()->imagePoint(activeView()->mapFrom(viewport, pointer));
        };
        const QPoint before = pixelUnder();
        for (int turn : turns) {
            const QPointF global = viewport->mapToGlobal(QPointF(pointer));
            // Qt passes the wheel from the image on to the viewport only when the event came
            // from the window system.
            QWheelEvent event(QPointF(pointer), global, {}, QPoint(0, turn), Qt::NoButton,
                              Qt::ControlModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(viewport, &event);
        }
        QCOMPARE(activeView()->zoom().percent(), percent);
        const QPoint after = pixelUnder();
        // Reduced, a screen pixel holds several image pixels.
        const int slack = activeView()->zoom().down;
        QVERIFY2((after - before).manhattanLength() <= slack,
                 qPrintable(QStringLiteral("(%1, %2) moved to (%3, %4)")
                                .arg(before.x())
                                .arg(before.y())
                                .arg(after.x())
                                .arg(after.y())));
    }

    // Fit to Pane takes the largest step at which the image needs no scroll bar.
    void fitToPane_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("small") << QSize(20, 10);
        QTest::newRow("start size") << QSize(300, 300);
        QTest::newRow("large") << QSize(3000, 1000);
    }
    void fitToPane()
    {
        QFETCH(QSize, size);
        openAt(Zoom{}, true);
        form().depthMap().setSize(size.width(), size.height());
        part<QAction>(form(), "FitToPaneItem")->trigger();
        ScrollBox* box = activePane()->box();
        const Zoom zoom = activeView()->zoom();
        QVERIFY(!box->horizontalScrollBar()->isVisible() || zoom == Zoom::steps().front());
        QVERIFY(!box->verticalScrollBar()->isVisible() || zoom == Zoom::steps().front());
        activePane()->setZoom(zoom.in());
        if (!(zoom == zoom.in())) {
            QVERIFY(box->horizontalScrollBar()->isVisible() ||
                    box->verticalScrollBar()->isVisible());
        }
    }

    // The size grip gives whole image pixels at any zoom and sits at the frame's corner.
    void gripAtZoom_data()
    {
        QTest::addColumn<int>("zoom");
        QTest::addColumn<QPoint>("drag"); // screen pixels
        QTest::addColumn<QSize>("size");
        QTest::newRow("300 %") << 300 << QPoint(31, -20) << QSize(130, 293);
        QTest::newRow("100 %") << 100 << QPoint(31, -20) << QSize(151, 280);
        QTest::newRow("50 %") << 50 << QPoint(10, -7) << QSize(140, 286);
    }
    void gripAtZoom()
    {
        QFETCH(int, zoom);
        QFETCH(QPoint, drag);
        QFETCH(QSize, size);
        openAt(zoomOf(zoom), false);
        auto* grip = part<QWidget>(form(), "Shape2");
        activePane()->box()->ensureWidgetVisible(grip, 40, 40);
        const QPoint start = grip->mapToGlobal(QPoint(0, 0));
        QTest::mousePress(grip, Qt::LeftButton, {}, QPoint(0, 0));
        QTest::mouseMove(grip, grip->mapFromGlobal(start + drag));
        QTest::mouseRelease(grip, Qt::LeftButton, {}, grip->mapFromGlobal(start + drag));
        QCOMPARE(QSize(form().patternStrip().width(), form().patternStrip().height()), size);
        QCOMPARE(activeView()->size(), zoomOf(zoom).viewSize(size));
        QCOMPARE(grip->pos(), activeView()->geometry().bottomRight() + QPoint(2, 2));
    }
};

DEPTHLOOM_TEST_CLASS(ZoomTest);
#include "ZoomTest.moc"
