#include "mainwindow/ShapeOptionPanel.h"

#include "WindowFixture.h"
#include "common/FindPart.h"
#include "common/ImageCompare.h"
#include "common/TestMain.h"
#include "mainwindow/ShapeOptions.h"
#include "tools/DrawingState.h"
#include "tools/TDrawTool.h"
#include "widgets/ImageView.h"

#include <QTest>
#include <QToolButton>

namespace {

using Mode = ToolHost::OptionPanel;
using Kind = shapeoptions::Choice::Kind;

} // namespace

class ShapeOptionPanelTest : public QObject, public WindowFixture
{
    Q_OBJECT

private slots:
    void init() { openWindow(); }
    void cleanup() { closeWindow(); }

    void choose_data()
    {
        QTest::addColumn<int>("mode"); // -1 hidden
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("value"); // the width, or 1 for solid
        QTest::addColumn<int>("frame"); // top of the width frame, left of the fill frame
        const int line = int(Mode::Line), rect = int(Mode::Rectangle);
        const int width = int(Kind::Width), fill = int(Kind::Fill), none = int(Kind::None);
        QTest::newRow("first row") << line << QPoint(0, 9) << width << 1 << 1;
        QTest::newRow("second row") << line << QPoint(37, 10) << width << 2 << 11;
        QTest::newRow("fifth row") << line << QPoint(5, 49) << width << 8 << 41;
        QTest::newRow("below the lines") << line << QPoint(5, 53) << width << 8 << 41;
        QTest::newRow("rectangle, fourth row") << rect << QPoint(5, 30) << width << 6 << 31;
        QTest::newRow("hollow half") << rect << QPoint(16, 50) << fill << 0 << 1;
        QTest::newRow("solid half") << int(Mode::Ellipse) << QPoint(17, 68) << fill << 1 << 19;
        QTest::newRow("outside, above") << rect << QPoint(5, -1) << none << 0 << 0;
        QTest::newRow("outside, right") << line << QPoint(38, 5) << none << 0 << 0;
        QTest::newRow("outside, below") << rect << QPoint(5, 69) << none << 0 << 0;
        QTest::newRow("panel hidden") << -1 << QPoint(5, 5) << none << 0 << 0;
    }
    void choose()
    {
        QFETCH(int, mode);
        QFETCH(QPoint, at);
        QFETCH(int, value);
        QFETCH(int, frame);
        const std::optional<Mode> shown = mode < 0 ? std::nullopt : std::optional(Mode(mode));
        const QSize size(38, mode == int(Mode::Line) ? 54 : 69);
        const shapeoptions::Choice choice = shapeoptions::choose(shown, size, at.x(), at.y());
        QTEST(int(choice.kind), "kind");
        if (choice.kind == Kind::Width) {
            QCOMPARE(int(choice.lineWidth), value);
            QCOMPARE(choice.widthFrameTop, frame);
        } else if (choice.kind == Kind::Fill) {
            QCOMPARE(int(choice.solid), value);
            QCOMPARE(choice.fillFrameLeft, frame);
        }
    }

    void samples_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QList<QPoint>>("black");
        QTest::addColumn<QList<QPoint>>("background");
        QTest::newRow("line") << int(Mode::Line) << QList<QPoint>{} << QList<QPoint>{};
        QTest::newRow("rectangle")
            << int(Mode::Rectangle) << QList<QPoint>{{3, 55}, {12, 64}, {21, 55}, {30, 64}}
            << QList<QPoint>{{8, 60}, {13, 60}, {8, 65}, {31, 60}, {25, 65}, {2, 55}};
        QTest::newRow("ellipse") << int(Mode::Ellipse)
                                 << QList<QPoint>{{8, 55}, {3, 60}, {12, 59}, {25, 60}}
                                 << QList<QPoint>{{3, 55}, {8, 60}, {21, 55}, {30, 64}, {25, 65}};
    }
    // The samples in the main window's option panel, as each shape tool shows it: the picture
    // inside the panel's bevel, the panel's colour behind black samples, and the fill frame for
    // rectangles and ellipses only.
    void samples()
    {
        QFETCH(int, mode);
        QFETCH(QList<QPoint>, black);
        QFETCH(QList<QPoint>, background);
        QToolButton* buttons[] = {part<QToolButton>(form(), "sbLine"),
                                  part<QToolButton>(form(), "sbRect"),
                                  part<QToolButton>(form(), "sbEllip")};
        QTest::mouseClick(buttons[mode], Qt::LeftButton);
        ShapeOptionPanel* panel = part<ShapeOptionPanel>(form(), "Panel5");
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->size(), QSize(40, mode == int(Mode::Line) ? 56 : 71));
        QCOMPARE(panel->imgshape->geometry(), panel->rect().adjusted(1, 1, -1, -1));
        QCOMPARE(panel->spShape1->isVisible(), mode != int(Mode::Line));
        const QImage& samples = panel->imgshape->raster().image();
        QCOMPARE(samples.size(), panel->imgshape->size());
        // Each width line from its first row to its last, and not the rows around it.
        for (int row = 0; row < 5; ++row) {
            const int width = row == 0 ? 1 : 2 * row, top = 10 * row + 5 - width / 2;
            black << QPoint(0, top) << QPoint(37, top + width - 1);
            background << QPoint(20, top - 1) << QPoint(20, top + width);
        }
        auto at = [](QPoint p) { return QStringLiteral("%1,%2").arg(p.x()).arg(p.y()); };
        for (QPoint p : black) {
            QVERIFY2(samples.pixel(p) == qRgb(0, 0, 0), qPrintable(at(p)));
        }
        for (QPoint p : background) {
            QVERIFY2(samples.pixel(p) == panel->color().rgb(), qPrintable(at(p)));
        }
        QTest::mouseClick(part<QToolButton>(form(), "sbSelect"), Qt::LeftButton);
        QVERIFY(panel->isHidden());
    }

    void edgesOfEachSample_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QRect>("cell"); // pixels of the sample picture that choose it
        QTest::addColumn<int>("value");  // the width, or 1 for solid
        const int line = int(Mode::Line), rect = int(Mode::Rectangle);
        const int widths[] = {1, 2, 4, 6, 8};
        for (int row = 0; row < 5; ++row) {
            // The line panel's last row reaches down to the picture's bottom.
            QTest::addRow("line panel, width %d", widths[row])
                << line << QRect(0, 10 * row, 38, row == 4 ? 14 : 10) << widths[row];
            QTest::addRow("rectangle panel, width %d", widths[row])
                << rect << QRect(0, 10 * row, 38, 10) << widths[row];
        }
        QTest::newRow("hollow") << rect << QRect(0, 50, 17, 19) << 0;
        QTest::newRow("solid") << int(Mode::Ellipse) << QRect(17, 50, 21, 19) << 1;
    }
    // A click on any corner pixel of a sample's cell, as the window system delivers it to the
    // main window, chooses that sample.
    void edgesOfEachSample()
    {
        QFETCH(int, mode);
        QFETCH(QRect, cell);
        QFETCH(int, value);
        const char* buttons[] = {"sbLine", "sbRect", "sbEllip"};
        QTest::mouseClick(part<QToolButton>(form(), buttons[mode]), Qt::LeftButton);
        ShapeOptionPanel* panel = part<ShapeOptionPanel>(form(), "Panel5");
        DrawingState& state = form().drawingState();
        const bool fill = cell.top() >= 50;
        for (QPoint p : {cell.topLeft(), cell.topRight(), cell.bottomLeft(), cell.bottomRight()}) {
            state.ShapeLineWidth = 0;
            state.ShapeSolid = value == 0;
            QTest::mouseClick(form().windowHandle(), Qt::LeftButton, {},
                              panel->imgshape->mapTo(&form(), p));
            const QString at = QStringLiteral("at %1,%2").arg(p.x()).arg(p.y());
            QVERIFY2(fill ? state.ShapeSolid == (value == 1) : state.ShapeLineWidth == value,
                     qPrintable(at));
        }
    }

    // Clicks on the samples set the drawing state, and the frames invert the chosen samples.
    void choicesReachTheShapes()
    {
        QTest::mouseClick(part<QToolButton>(form(), "sbRect"), Qt::LeftButton);
        ShapeOptionPanel* panel = part<ShapeOptionPanel>(form(), "Panel5");
        QTest::mouseClick(panel->imgshape, Qt::LeftButton, {}, QPoint(10, 25));
        QTest::mouseClick(panel->imgshape, Qt::LeftButton, {}, QPoint(25, 60));
        QCOMPARE(form().drawingState().ShapeLineWidth, 4);
        QVERIFY(form().drawingState().ShapeSolid);
        QCOMPARE(panel->spShape->geometry(), QRect(1, 21, 38, 10));
        QCOMPARE(panel->spShape1->geometry(), QRect(19, 55, 16, 12));
        const QImage shot = panel->grab().toImage();
        const QImage& samples = panel->imgshape->raster().image();
        for (QPoint p : {QPoint(20, 21), QPoint(20, 30), QPoint(1, 25), QPoint(38, 25),
                         QPoint(19, 55), QPoint(34, 66), QPoint(25, 60)}) {
            QCOMPARE(shot.pixel(p) & 0xFFFFFF, ~samples.pixel(p - QPoint(1, 1)) & 0xFFFFFF);
        }
        for (QPoint p : {QPoint(20, 20), QPoint(20, 31), QPoint(18, 60), QPoint(35, 60)}) {
            QCOMPARE(shot.pixel(p) & 0xFFFFFF, samples.pixel(p - QPoint(1, 1)) & 0xFFFFFF);
        }
    }
};

DEPTHLOOM_TEST_CLASS(ShapeOptionPanelTest);
#include "ShapeOptionPanelTest.moc"
