#include "StandInPalette.h"
#include "WindowFixture.h"
#include "common/FindPart.h"
#include "common/TestMain.h"
#include "mainwindow/EditorToolHost.h"
#include "tools/TDrawTool.h"
#include "widgets/ImageView.h"
#include "widgets/Shape.h"

#include <QAction>
#include <QTimer>
#include <QToolButton>

namespace {

// Stands in for a tool that asks for a fast timer, as the pencil does, and counts its ticks.
class TickCounter final : public TOneTool
{
public:
    TickCounter(DrawingState& state, ToolHost& host, int& ticks)
        : TOneTool(state, host), m_ticks(ticks)
    {
        m_host.setTimerPeriod(5);
    }
    void Tick() override { ++m_ticks; }

private:
    int& m_ticks;
};

} // namespace

// The window's side of what the tools ask of it: the palette window that belongs to the active
// image, and the timer's ticks.
class ToolHostTest : public QObject, public WindowFixture
{
    Q_OBJECT

    // Stand-ins for the height palette, the high-colour picker and the 20-colour palette.
    StandInPalette m_windows[3];
    int m_ticks = 0;

private slots:
    void init()
    {
        openWindow();
        for (PaletteWindow which :
             {PaletteWindow::Height, PaletteWindow::HighColor, PaletteWindow::Color20}) {
            m_windows[int(which)].hide();
            form().toolHost().setPaletteWindow(which, &m_windows[int(which)]);
        }
    }
    void cleanup() { closeWindow(); }

    // The pointer over the active image tells the tool; the image left by a switch gets the
    // arrow back.
    void pointers_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("depth");
        QTest::addColumn<int>("shape");
        QTest::newRow("pencil") << "sbPen" << false << int(Qt::CrossCursor);
        QTest::newRow("fill") << "sbFill" << false << int(Qt::CrossCursor);
        QTest::newRow("rectangle") << "sbRect" << false << int(Qt::CrossCursor);
        QTest::newRow("smoothing") << "sbAver" << true << int(Qt::CrossCursor);
        QTest::newRow("text") << "sbText" << false << int(Qt::IBeamCursor);
        QTest::newRow("pick-up") << "sbsuck" << false << int(Qt::BitmapCursor);
        QTest::newRow("select") << "sbSelect" << false << int(Qt::ArrowCursor);
    }
    void pointers()
    {
        QFETCH(QString, button);
        QFETCH(bool, depth);
        QFETCH(int, shape);
        if (depth) {
            form().SwitchCurrentImage();
        }
        QTest::mouseClick(part<QToolButton>(form(), qPrintable(button)), Qt::LeftButton);
        auto* view = part<ImageView>(form(), depth ? "Image2" : "Image1");
        QCOMPARE(int(view->cursor().shape()), shape);
        form().SwitchCurrentImage();
        QCOMPARE(view->cursor().shape(), Qt::ArrowCursor);
    }

    void paletteWindows_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("shown"); // "" for none
        QTest::newRow("strip, high colour") << QStringList{"pen"} << "high colour";
        QTest::newRow("strip, 20 colours") << QStringList{"20 colours", "pen"} << "20 colours";
        QTest::newRow("depth map") << QStringList{"depth map", "pen"} << "height";
        QTest::newRow("pen, then 20 colours") << QStringList{"pen", "20 colours"} << "20 colours";
        QTest::newRow("20 colours, then high colour")
            << QStringList{"20 colours", "pen", "high colour"} << "high colour";
        QTest::newRow("strip, then depth map")
            << QStringList{"20 colours", "pen", "depth map", "pen"} << "height";
        QTest::newRow("depth map, then strip")
            << QStringList{"depth map", "pen", "strip", "pen"} << "high colour";
        QTest::newRow("pen, then select") << QStringList{"pen", "select"} << "";
    }
    // The pencil shows the palette window of the active image and its end hides them all.
    void paletteWindows()
    {
        QFETCH(QStringList, steps);
        for (const QString& step : steps) {
            if (step == QLatin1String("pen")) {
                QTest::mouseClick(part<QToolButton>(form(), "sbPen"), Qt::LeftButton);
            } else if (step == QLatin1String("select")) {
                QTest::mouseClick(part<QToolButton>(form(), "sbSelect"), Qt::LeftButton);
            } else if (step == QLatin1String("20 colours")) {
                part<QAction>(form(), "N20ColorPalette")->trigger();
            } else if (step == QLatin1String("high colour")) {
                part<QAction>(form(), "HighColorPalette")->trigger();
            } else {
                QWidget* mask = step == QLatin1String("strip") ? part<Shape>(form(), "spLMask")
                                                               : part<Shape>(form(), "spRMask");
                QTest::mouseClick(mask, Qt::LeftButton);
            }
        }
        QStringList shown;
        const char* names[] = {"height", "high colour", "20 colours"};
        for (int i = 0; i < 3; ++i) {
            if (m_windows[i].isVisible()) {
                shown << QString::fromLatin1(names[i]);
            }
        }
        QTEST(shown.join(QLatin1Char(',')), "shown");
    }

    void timerTicksReachTheTool()
    {
        m_ticks = 0;
        form().drawTool()->setFactory([this](ToolId, DrawingState& s, ToolHost& h) {
            return std::make_unique<TickCounter>(s, h, m_ticks);
        });
        QTest::mouseClick(part<QToolButton>(form(), "sbPen"), Qt::LeftButton);
        QCOMPARE(part<QTimer>(form(), "Timer1")->interval(), 5);
        QTRY_VERIFY(m_ticks >= 3);
    }
};

DEPTHLOOM_TEST_CLASS(ToolHostTest);
#include "ToolHostTest.moc"
