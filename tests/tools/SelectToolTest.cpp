#include "RecordingHost.h"
#include "common/ImageCompare.h"
#include "common/TestMain.h"
#include "tools/DrawingState.h"
#include "tools/TDrawTool.h"
#include "tools/ToolSelect.h"

#include <QRegion>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr QRgb White = 0xFFFFFFFF;

// 24 x 16: colours with white pixels strewn among them, black at x >= 12, y >= 8.
QImage picture()
{
    QImage image(24, 16, QImage::Format_RGB32);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 24; ++x) {
            const bool dark = x >= 12 && y >= 8;
            image.setPixel(x, y,
                           dark                   ? qRgb(0, 0, 0)
                           : (x + 2 * y) % 5 == 0 ? White
                                                  : qRgb(20 + 9 * x, 30 + 11 * y, 90));
        }
    }
    return image;
}

// `base` with the `from` pixels of `source` laid on `to`, scaled to the nearest pixel, white
// ones left out.
QImage laidOn(QImage base, const QImage& source, QRect from, QRect to)
{
    for (int j = 0; j < to.height(); ++j) {
        for (int i = 0; i < to.width(); ++i) {
            const QRgb pixel =
                source.pixel(from.x() + (2 * i + 1) * from.width() / (2 * to.width()),
                             from.y() + (2 * j + 1) * from.height() / (2 * to.height()));
            if (pixel != White) {
                base.setPixel(to.x() + i, to.y() + j, pixel);
            }
        }
    }
    return base;
}

struct Canvas
{
    Canvas() : image(picture()) { state.ActiveImage = &image; }

    // Runs a script of pointer and edit steps: "d3,3" press, "m8,7" move, "u8,7" release,
    // "c20,1" click, "x" cut, "p" paste, "z" undo. Returns the first changed pixel that no
    // report of its step covers (the pane would show it stale), or "".
    QString run(ToolSelect& tool, const QString& script)
    {
        for (const QString& step : script.split(QLatin1Char(' '))) {
            const QImage before = image.image();
            const qsizetype reports = host.changed.size();
            const int x = step.mid(1).section(QLatin1Char(','), 0, 0).toInt();
            const int y = step.section(QLatin1Char(','), 1).toInt();
            switch (step.at(0).toLatin1()) {
            case 'd':
                tool.MouseDown(x, y);
                break;
            case 'm':
                tool.MouseMove(x, y);
                break;
            case 'u':
                tool.MouseUp(x, y);
                break;
            case 'c':
                tool.MouseDown(x, y);
                tool.MouseUp(x, y);
                break;
            case 'x':
                tool.Cut();
                break;
            case 'p':
                tool.Paste();
                break;
            case 'z':
                tool.Undo();
                break;
            }
            QRegion reported;
            for (qsizetype i = reports; i < host.changed.size(); ++i) {
                reported += host.changed[i];
            }
            for (int py = 0; py < before.height(); ++py) {
                for (int px = 0; px < before.width(); ++px) {
                    if (before.pixel(px, py) != image.image().pixel(px, py) &&
                        !reported.contains(QPoint(px, py))) {
                        return QStringLiteral("%1: (%2, %3) unreported").arg(step).arg(px).arg(py);
                    }
                }
            }
        }
        return QString();
    }

    RasterImage image;
    DrawingState state;
    RecordingHost host;
};

} // namespace

class SelectToolTest : public QObject
{
    Q_OBJECT

private slots:
    void edits_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QRect>("hole"); // white in the result
        QTest::addColumn<QRect>("from"); // the original pixels laid, scaled, on `to`
        QTest::addColumn<QRect>("to");
        QTest::addColumn<QRect>("selection");
        const QRect none, picked(2, 2, 5, 4), overDark(13, 10, 5, 4);
        const QRect block(2, 2, 3, 3), enlarged(2, 2, 6, 7);
        QTest::newRow("dropped unmoved")
            << "d2,2 m7,6 u7,6 c20,1" << none << none << none << picked;
        QTest::newRow("moved over dark") << "d2,2 m7,6 u7,6 d3,3 m8,7 m14,11 u14,11 c0,15" << picked
                                         << picked << overDark << overDark;
        QTest::newRow("marked up-left, moved") << "d7,6 m2,2 u2,2 d3,3 m14,11 u14,11 c0,15"
                                               << picked << picked << overDark << overDark;
        QTest::newRow("empty, clicked away")
            << "c5,5 c15,12" << none << none << none << QRect(5, 5, 0, 0);
        QTest::newRow("cut") << "d2,2 m7,6 u7,6 x" << picked << none << none << picked;
        QTest::newRow("undo after a move")
            << "d2,2 m7,6 u7,6 d3,3 m14,11 u14,11 z" << none << none << none << overDark;
        // Undo after Paste goes back to the picture the paste was laid on.
        QTest::newRow("undo after a paste")
            << "d2,2 m7,6 u7,6 x p z" << picked << none << none << QRect(0, 0, 5, 4);
        QTest::newRow("enlarged") << "d2,2 m5,5 u5,5 d5,5 m8,9 u8,9 c20,1" << block << block
                                  << enlarged << enlarged;
        QTest::newRow("shrunk and enlarged back from the first pixels")
            << "d2,2 m5,5 u5,5 d5,5 m4,4 u4,4 d4,4 m5,5 u5,5 c20,1" << block << block << block
            << block;
        QTest::newRow("resizing ignores points above or left of the corner")
            << "d2,2 m5,5 u5,5 d6,6 m8,9 m1,12 m9,0 m2,2 u9,0 c20,1" << block << block << enlarged
            << enlarged;
    }
    // The image once the selection is dropped, cut or undone: no marquee, white where a moved,
    // resized or cut selection came from, its pixels where it went, white ones transparent.
    void edits()
    {
        QFETCH(QString, script);
        QFETCH(QRect, hole);
        QFETCH(QRect, from);
        QFETCH(QRect, to);
        Canvas c;
        ToolSelect tool(c.state, c.host);
        const QString unreported = c.run(tool, script);
        QVERIFY2(unreported.isEmpty(), qPrintable(unreported));
        QTEST(QRect(tool.left, tool.top, tool.width, tool.height), "selection");
        QVERIFY(!tool.Selected);
        if (script.endsWith(QLatin1Char('x'))) {
            DL_COMPARE_IMAGES(c.host.clipboard, picture().copy(hole));
        }
        QImage expected = picture();
        for (int y = hole.top(); y <= hole.bottom(); ++y) {
            for (int x = hole.left(); x <= hole.right(); ++x) {
                expected.setPixel(x, y, White);
            }
        }
        DL_COMPARE_IMAGES(c.image.image(),
                          to.isEmpty() ? expected : laidOn(expected, picture(), from, to));
    }

    void pointerShapes_data()
    {
        QTest::addColumn<QString>("script"); // the selection is (2, 2, 5, 4)
        QTest::addColumn<int>("shape");
        const int normal = int(ToolHost::PointerShape::Default);
        const int drag = int(ToolHost::PointerShape::Drag);
        const int resize = int(ToolHost::PointerShape::ResizeNWSE);
        QTest::newRow("inside") << "d2,2 m7,6 u7,6 m3,3" << drag;
        QTest::newRow("near the right edge") << "d2,2 m7,6 u7,6 m5,3" << normal;
        QTest::newRow("corner, inner") << "d2,2 m7,6 u7,6 m5,4" << resize;
        QTest::newRow("corner, outer") << "d2,2 m7,6 u7,6 m8,7" << resize;
        QTest::newRow("beyond the corner") << "d2,2 m7,6 u7,6 m9,7" << normal;
        QTest::newRow("marking") << "d0,0 m4,4" << resize;
    }
    void pointerShapes()
    {
        QFETCH(QString, script);
        Canvas c;
        ToolSelect tool(c.state, c.host);
        c.run(tool, script);
        QTEST(int(c.host.pointerShape), "shape");
    }

    // Copy without a selection, Copy, Paste over a floating selection (dropped where it is)
    // and Paste with an empty clipboard.
    void clipboard()
    {
        Canvas c;
        TDrawTool dispatcher(c.state, c.host, ToolId::Select);
        QImage sentinel(2, 2, QImage::Format_RGB32);
        sentinel.fill(Qt::red);
        c.host.clipboard = sentinel;
        dispatcher.Copy();
        DL_COMPARE_IMAGES(c.host.clipboard, sentinel);

        auto* tool = static_cast<ToolSelect*>(dispatcher.currentTool());
        c.run(*tool, QStringLiteral("d2,2 m7,6 u7,6"));
        dispatcher.Copy();
        DL_COMPARE_IMAGES(c.host.clipboard, picture().copy(2, 2, 5, 4));
        dispatcher.Paste();
        QVERIFY(tool->Selected);
        c.run(*tool, QStringLiteral("c20,1"));
        DL_COMPARE_IMAGES(c.image.image(),
                          laidOn(picture(), picture(), QRect(2, 2, 5, 4), QRect(0, 0, 5, 4)));

        const QImage before = c.image.image();
        c.host.clipboard = QImage();
        dispatcher.Paste();
        QCOMPARE(c.host.errors, QStringList{QStringLiteral("No Bitmap in Clipboard!")});
        DL_COMPARE_IMAGES(c.image.image(), before);
        QVERIFY(!tool->Selected);
    }

    void copyFrom_data()
    {
        QTest::addColumn<bool>("depthMap");
        QTest::addColumn<bool>("readable");
        QTest::newRow("pattern strip") << false << true;
        QTest::newRow("depth map") << true << true;
        QTest::newRow("unreadable") << true << false;
    }
    // Copy From floats the file's picture at the top-left corner, grey on the depth map as a
    // pasted one, and puts it on the clipboard; a file that cannot be read changes nothing and says
    // why. Undo forgets the selection and leaves the picture, without its marquee.
    void copyFrom()
    {
        QFETCH(bool, depthMap);
        QFETCH(bool, readable);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("pasted.bmp"));
        QImage colours(3, 2, QImage::Format_RGB32);
        colours.fill(White);
        colours.setPixel(0, 0, qRgb(200, 100, 30));
        colours.setPixel(2, 1, qRgb(255, 255, 254));
        QVERIFY(colours.save(file));
        QVERIFY(readable || QFile::resize(file, 20));
        QImage floated = colours;
        if (depthMap) {
            floated.setPixel(0, 0, qRgb(110, 110, 110));
            floated.setPixel(2, 1, qRgb(254, 254, 254));
        }
        Canvas c;
        c.state.DepthMapActive = depthMap;
        ToolSelect tool(c.state, c.host);
        QString error;
        QCOMPARE(tool.LoadFromFile(file, &error), readable);
        QCOMPARE(c.run(tool, QStringLiteral("z")), QString());
        QVERIFY(error.isEmpty() == readable && (readable || error.contains(file)));
        DL_COMPARE_IMAGES(c.host.clipboard, readable ? floated : QImage());
        DL_COMPARE_IMAGES(c.image.image(),
                          readable ? laidOn(picture(), floated, floated.rect(), floated.rect())
                                   : picture());

        // Pasted and dropped, the picture lies the same way: the depth map holds greys only.
        Canvas pasted;
        pasted.state.DepthMapActive = depthMap;
        ToolSelect paster(pasted.state, pasted.host);
        pasted.host.clipboard = colours;
        paster.Paste();
        QCOMPARE(pasted.run(paster, QStringLiteral("c20,1")), QString());
        DL_COMPARE_IMAGES(pasted.image.image(),
                          laidOn(picture(), floated, floated.rect(), floated.rect()));
    }
};

DEPTHLOOM_TEST_CLASS(SelectToolTest);
#include "SelectToolTest.moc"
