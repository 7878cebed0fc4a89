#include "RecordingHost.h"
#include "common/ImageCompare.h"
#include "common/TestMain.h"
#include "raster/RasterImage.h"
#include "tools/DrawingState.h"
#include "tools/TDrawTool.h"
#include "tools/TOneTool.h"
#include "tools/ToolSelect.h"

#include <QTest>

namespace {

// Paints the pressed pixel black after taking the snapshot, as every drawing tool does.
class StampTool final : public TOneTool
{
public:
    using TOneTool::TOneTool;
    void MouseDown(int x, int y) override
    {
        SaveUndo();
        m_state.ActiveImage->setPixel(x, y, colorref::Black);
    }
};

} // namespace

class ToolFrameworkTest : public QObject
{
    Q_OBJECT

private slots:
    void windowsFollowTheCurrentTool_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<bool>("palette");
        QTest::addColumn<bool>("penPicker");
        QTest::addColumn<bool>("optionPanel");
        QTest::addColumn<bool>("textMenu");
        QTest::addColumn<bool>("paintModeButtons");
        QTest::addColumn<int>("periodWhileCurrent");
        QTest::addColumn<int>("periodAfter");
        QTest::addColumn<int>("pointer");
        using Pointer = ToolHost::PointerShape;

        QTest::newRow("pencil") << 0 << true << true << false << false << true << 50 << 1000
                                << int(Pointer::Cross);
        QTest::newRow("select") << 1 << false << false << false << false << true << 777 << 777
                                << int(Pointer::Default);
        QTest::newRow("line") << 2 << true << false << true << false << true << 777 << 777
                              << int(Pointer::Cross);
        QTest::newRow("rect") << 3 << true << false << true << false << true << 777 << 777
                              << int(Pointer::Cross);
        QTest::newRow("ellipse") << 4 << true << false << true << false << true << 777 << 777
                                 << int(Pointer::Cross);
        QTest::newRow("text") << 5 << true << false << false << true << true << 500 << 10000
                              << int(Pointer::IBeam);
        QTest::newRow("fill") << 6 << true << false << false << false << false << 777 << 777
                              << int(Pointer::Cross);
        QTest::newRow("suck") << 7 << true << false << false << false << true << 777 << 777
                              << int(Pointer::PickUp);
        QTest::newRow("smooth") << 8 << false << false << false << false << true << 50 << 10000
                                << int(Pointer::Cross);
    }

    // Each tool sets up the windows it needs and its destructor puts them back, so switching
    // to the selection tool leaves nothing of it behind.
    void windowsFollowTheCurrentTool()
    {
        QFETCH(int, id);
        RasterImage image(10, 10);
        DrawingState state;
        state.ActiveImage = &image;
        RecordingHost host;
        host.timerPeriod = 777;
        TDrawTool dispatcher(state, host, ToolId::Select);

        dispatcher.SelectTool(ToolId(id));
        QCOMPARE(int(dispatcher.toolId()), id);
        QTEST(host.paletteShown, "palette");
        QTEST(host.penPickerShown, "penPicker");
        QTEST(host.optionPanelShown, "optionPanel");
        QTEST(host.textMenuShown, "textMenu");
        QTEST(host.paintModeButtonsShown, "paintModeButtons");
        QTEST(host.timerPeriod, "periodWhileCurrent");
        QTEST(int(host.pointerShape), "pointer");
        if (id >= 2 && id <= 4) {
            QCOMPARE(int(host.optionPanel), id - 2); // line, rectangle, ellipse
        }

        dispatcher.SelectTool(ToolId::Select);
        QVERIFY(dynamic_cast<ToolSelect*>(dispatcher.currentTool()));
        QVERIFY(!host.paletteShown);
        QVERIFY(!host.penPickerShown);
        QVERIFY(!host.optionPanelShown);
        QVERIFY(!host.textMenuShown);
        QVERIFY(host.paintModeButtonsShown);
        QTEST(host.timerPeriod, "periodAfter");
        QCOMPARE(host.pointerShape, ToolHost::PointerShape::Default);
    }

    void dispatcherStartsWithTheSelectionTool()
    {
        DrawingState state;
        RecordingHost host;
        TDrawTool dispatcher(state, host, ToolId::Text);
        QCOMPARE(dispatcher.toolId(), ToolId::Text);
        QVERIFY(dynamic_cast<ToolSelect*>(dispatcher.currentTool()));
        QVERIFY(!host.textMenuShown);

        dispatcher.FreeTool();
        QVERIFY(!dispatcher.currentTool());
        dispatcher.MouseDown(1, 1); // no tool: ignored
        dispatcher.Undo();
    }

    // One-step undo: the snapshot of the last action comes back, as often as asked, and goes
    // with the tool.
    void undo()
    {
        RasterImage image(4, 3);
        DrawingState state;
        state.ActiveImage = &image;
        RecordingHost host;
        TDrawTool dispatcher(state, host, ToolId::Select);
        dispatcher.setFactory(
            [](ToolId, DrawingState& s, ToolHost& h) { return std::make_unique<StampTool>(s, h); });
        const QImage blank = image.image();

        dispatcher.SelectTool(ToolId::Pencil);
        dispatcher.Undo();
        DL_COMPARE_IMAGES(image.image(), blank);

        dispatcher.MouseDown(1, 1);
        const QImage oneDot = image.image();
        dispatcher.MouseDown(2, 2);
        QVERIFY(image.image() != oneDot);
        dispatcher.Undo();
        DL_COMPARE_IMAGES(image.image(), oneDot);
        dispatcher.Undo();
        DL_COMPARE_IMAGES(image.image(), oneDot);
        QCOMPARE(host.changed.last(), QRect(0, 0, 4, 3));

        // Restarting the tool loses the snapshot.
        dispatcher.MouseDown(3, 0);
        const QImage twoDots = image.image();
        dispatcher.SelectTool(ToolId::Pencil);
        dispatcher.Undo();
        DL_COMPARE_IMAGES(image.image(), twoDots);
    }
};

DEPTHLOOM_TEST_CLASS(ToolFrameworkTest);
#include "ToolFrameworkTest.moc"
