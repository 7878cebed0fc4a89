#include "WindowFixture.h"
#include "common/FindPart.h"
#include "common/ImageCompare.h"
#include "common/ScriptedPrompts.h"
#include "common/TestMain.h"
#include "mainwindow/ShapeOptionPanel.h"
#include "mainwindow/TForm1.h"
#include "tools/TDrawTool.h"
#include "tools/ToolSelect.h"
#include "widgets/ImageView.h"
#include "widgets/Panel.h"
#include "widgets/ScrollBox.h"
#include "widgets/Shape.h"

#include <QAction>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

const QRgb White = qRgb(255, 255, 255);
const QRgb Ground = qRgb(58, 58, 58);

// Stands in for a drawing tool: remembers what reached it, and paints the pressed pixel black
// after taking the undo snapshot.
struct Record
{
    QString keys;
    QStringList calls;
    int created = 0;
};

class StandInTool final : public TOneTool
{
public:
    StandInTool(DrawingState& state, ToolHost& host, Record& record)
        : TOneTool(state, host), m_record(record)
    {
        ++m_record.created;
    }
    void MouseDown(int x, int y) override
    {
        m_record.calls << QStringLiteral("down %1,%2").arg(x).arg(y);
        SaveUndo();
        m_state.ActiveImage->setPixel(x, y, colorref::Black);
    }
    void MouseMove(int x, int y) override
    {
        m_record.calls << QStringLiteral("move %1,%2").arg(x).arg(y);
    }
    void MouseUp(int x, int y) override
    {
        m_record.calls << QStringLiteral("up %1,%2").arg(x).arg(y);
    }
    void KeyPress(QChar key) override { m_record.keys += key; }
    void Paste() override { m_record.calls << QStringLiteral("paste"); }

private:
    Record& m_record;
};

// Presses at `from` on `widget`, moves to the screen point `to` and releases there.
void drag(QWidget* widget, QPoint from, QPoint globalTo)
{
    QTest::mousePress(widget, Qt::LeftButton, {}, from);
    QTest::mouseMove(widget, widget->mapFromGlobal(globalTo));
    QTest::mouseRelease(widget, Qt::LeftButton, {}, widget->mapFromGlobal(globalTo));
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private:
    ScriptedPrompts m_prompts;
    std::unique_ptr<TForm1> m_form;
    Record m_record;

    TForm1& form() { return *m_form; }
    void useStandInTools()
    {
        form().drawTool()->setFactory([this](ToolId, DrawingState& s, ToolHost& h) {
            return std::make_unique<StandInTool>(s, h, m_record);
        });
    }

private slots:
    void init()
    {
        m_record = Record();
        m_form = openMainWindow(m_prompts);
        QVERIFY(!m_form->FirstActivation);
    }

    void cleanup() { m_form.reset(); }

    void firstActivation()
    {
        QCOMPARE(form().patternStrip().width(), 120);
        QCOMPARE(form().patternStrip().height(), 300);
        QCOMPARE(form().depthMap().width(), 300);
        QCOMPARE(form().depthMap().height(), 300);
        DL_COMPARE_IMAGES(form().patternStrip().image(), [] {
            QImage white(120, 300, QImage::Format_RGB32);
            white.fill(White);
            return white;
        }());
        QCOMPARE(form().depthMap().image().pixel(299, 299), Ground);
        QCOMPARE(form().depthMap().image().pixel(0, 0), Ground);

        QCOMPARE(form().drawingState().ActiveImage, &form().patternStrip());
        QVERIFY(!form().drawingState().DepthMapActive);
        QCOMPARE(form().drawTool()->toolId(), ToolId::Select);
        QVERIFY(dynamic_cast<ToolSelect*>(form().drawTool()->currentTool()));
        QVERIFY(part<QToolButton>(form(), "sbSelect")->isChecked());
        QVERIFY(form().document().PatternFileName.isEmpty());
        QVERIFY(form().document().DepthFileName.isEmpty());
        QVERIFY(form().document().TargetFileName.isEmpty());
        QCOMPARE(form().windowTitle(), QStringLiteral("3D-Picture  [UNTITLED] -- lay()"));
        QCOMPARE(part<Shape>(form(), "Shape1")->geometry(), QRect(0, 0, 122, 302));
        QCOMPARE(part<Shape>(form(), "Shape2")->pos(), QPoint(122, 302));
        QCOMPARE(part<Shape>(form(), "Shape3")->geometry(), QRect(0, 0, 302, 302));
        QCOMPARE(part<QTimer>(form(), "Timer1")->interval(), 10000);
        QVERIFY(!part<QAction>(form(), "V3DPicture")->isEnabled());
        QVERIFY(part<QAction>(form(), "HighColorPalette")->isChecked());
        QVERIFY(part<QAction>(form(), "English1")->isChecked());
        QVERIFY(!part<QMenu>(form(), "Text")->menuAction()->isVisible());

        // A later activation changes nothing.
        form().patternStrip().setPixel(0, 0, colorref::Black);
        form().FormActivate();
        QCOMPARE(form().patternStrip().image().pixel(0, 0), qRgb(0, 0, 0));
    }

    // A release on a mask makes that pane active, whatever tool was current.
    // Every button with a picture shows it: a picture drawn late must still be drawn.
    void buttonsShowTheirGlyphs()
    {
        int checked = 0;
        for (QToolButton* button : form().findChildren<QToolButton*>()) {
            if (button->icon().isNull() || !button->isVisibleTo(&form())) {
                continue;
            }
            ++checked;
            const QImage shown = button->grab().toImage();
            const QIcon icon = button->icon();
            QPixmap blank(button->iconSize());
            blank.fill(Qt::transparent);
            button->setIcon(QIcon(blank));
            QVERIFY2(button->grab().toImage() != shown, qPrintable(button->objectName()));
            button->setIcon(icon);
        }
        QVERIFY(checked > 20);
    }

    void paneLooks()
    {
        QTest::mouseClick(part<QToolButton>(form(), "sbPen"), Qt::LeftButton);
        QCOMPARE(form().drawTool()->toolId(), ToolId::Pencil);

        QVERIFY(part<Shape>(form(), "spRMask")->isVisible());
        QVERIFY(!part<Shape>(form(), "spLMask")->isVisible());
        QTest::mouseClick(part<Shape>(form(), "spRMask"), Qt::LeftButton);

        QVERIFY(form().drawingState().DepthMapActive);
        QCOMPARE(form().drawingState().ActiveImage, &form().depthMap());
        QCOMPARE(form().drawTool()->toolId(), ToolId::Select);
        QVERIFY(part<QToolButton>(form(), "sbSelect")->isChecked());
        QVERIFY(part<Shape>(form(), "spLMask")->isVisible());
        QVERIFY(!part<Shape>(form(), "spRMask")->isVisible());
        QCOMPARE(part<Shape>(form(), "spLMask")->size(), part<Panel>(form(), "Panel1")->size());
        QVERIFY(!part<ScrollBox>(form(), "ScrollBox1")->autoScroll());
        QVERIFY(part<ScrollBox>(form(), "ScrollBox2")->autoScroll());
        QCOMPARE(part<Panel>(form(), "Panel1")->bevelOuter(), Panel::Bevel::Lowered);
        QCOMPARE(part<Panel>(form(), "Panel1")->bevelInner(), Panel::Bevel::Lowered);
        QCOMPARE(part<Panel>(form(), "Panel3")->bevelOuter(), Panel::Bevel::None);
        QCOMPARE(part<Panel>(form(), "Panel7")->color(), QColor(0x80, 0x80, 0x80));
        QVERIFY(part<QToolButton>(form(), "sbAver")->isVisible());
        QCOMPARE(part<ShapeOptionPanel>(form(), "Panel5")->y(),
                 part<QToolButton>(form(), "sbAver")->y() +
                     part<QToolButton>(form(), "sbAver")->height() + 20);
        QCOMPARE(part<Panel>(form(), "pnStuSize")->text(), QStringLiteral(" \u0081  300x 300"));
        QCOMPARE(form().windowTitle(), QStringLiteral("3D-Picture  [UNTITLED] -- Back()"));
        QCOMPARE(form().depthMap().palette().size(), 200);

        QTest::mouseClick(part<QToolButton>(form(), "sbAver"), Qt::LeftButton);
        QCOMPARE(form().drawTool()->toolId(), ToolId::Aver);
        QTest::mouseClick(part<Shape>(form(), "spLMask"), Qt::RightButton);
        QVERIFY(!form().drawingState().DepthMapActive);
        QCOMPARE(form().drawTool()->toolId(), ToolId::Select);
        QVERIFY(part<Shape>(form(), "spRMask")->isVisible());
        QVERIFY(part<QToolButton>(form(), "sbAver")->isHidden());
        QCOMPARE(part<Panel>(form(), "Panel7")->color(), QColor(0xFF, 0xFF, 0x00));
        QCOMPARE(part<ShapeOptionPanel>(form(), "Panel5")->y(),
                 part<QToolButton>(form(), "sbAver")->y() + 20);
        // The inner bevel of the pane that became active stays as it was.
        QCOMPARE(part<Panel>(form(), "Panel1")->bevelOuter(), Panel::Bevel::None);
        QCOMPARE(part<Panel>(form(), "Panel1")->bevelInner(), Panel::Bevel::Lowered);
        QCOMPARE(part<Panel>(form(), "Panel3")->bevelOuter(), Panel::Bevel::Lowered);
        QCOMPARE(part<Panel>(form(), "pnStuSize")->text(), QStringLiteral(" \u0081  120x 300"));
    }

    void splitterDrag_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<bool>("hideToolbar");
        QTest::addColumn<int>("splitterLeft"); // -1: 10 before the background's right edge

        QTest::newRow("middle") << 300 << false << 300;
        QTest::newRow("far left") << -50 << false << 71;
        QTest::newRow("far right") << 5000 << false << -1;
        QTest::newRow("far left, tool bar hidden") << 0 << true << 71;
    }

    void splitterDrag()
    {
        QFETCH(int, x);
        QFETCH(bool, hideToolbar);
        QFETCH(int, splitterLeft);
        if (hideToolbar) {
            part<QAction>(form(), "MToolBar")->trigger();
            QVERIFY(part<Panel>(form(), "Toolbar")->isHidden());
            QCOMPARE(part<Panel>(form(), "Panel1")->x(), 0);
        }
        const int backgroundWidth = part<Panel>(form(), "PnBackground")->width();
        if (splitterLeft < 0) {
            splitterLeft = backgroundWidth - 10;
        }
        drag(part<Panel>(form(), "Panel2"), QPoint(3, 10),
             part<Panel>(form(), "PnBackground")->mapToGlobal(QPoint(x, 40)));

        QVERIFY(!form().dragging());
        QCOMPARE(part<Panel>(form(), "Panel2")->x(), splitterLeft);
        QCOMPARE(part<Panel>(form(), "Panel1")->x() + part<Panel>(form(), "Panel1")->width(),
                 splitterLeft);
        QCOMPARE(part<Panel>(form(), "Panel3")->x(), splitterLeft + 6);
        QCOMPARE(part<Panel>(form(), "Panel3")->x() + part<Panel>(form(), "Panel3")->width(),
                 backgroundWidth);
        QCOMPARE(part<Shape>(form(), "spLMask")->size(), part<Panel>(form(), "Panel1")->size());
        QCOMPARE(part<Shape>(form(), "spRMask")->size(), part<Panel>(form(), "Panel3")->size());
    }

    void gripDrag_data()
    {
        QTest::addColumn<bool>("depthMap");
        QTest::addColumn<QPoint>("to"); // in the scroll box's visible area
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("bars"); // the image no longer fits the view

        QTest::newRow("strip grows") << false << QPoint(200, 150) << QSize(198, 148) << false;
        QTest::newRow("strip to the corner") << false << QPoint(-30, -5) << QSize(0, 0) << false;
        QTest::newRow("depth map") << true << QPoint(200, 150) << QSize(200, 150) << false;
        QTest::newRow("depth map to the corner") << true << QPoint(-1, 20) << QSize(0, 20) << false;
        QTest::newRow("depth map grows") << true << QPoint(333, 333) << QSize(333, 333) << false;
        QTest::newRow("depth map past the view")
            << true << QPoint(700, 800) << QSize(700, 800) << true;
    }

    // The image takes the size the release asks for, keeps its pixels and fills new ones with
    // its own fill colour; the size field follows the drag.
    void gripDrag()
    {
        QFETCH(bool, depthMap);
        QFETCH(QPoint, to);
        QFETCH(QSize, size);
        QFETCH(bool, bars);
        if (depthMap) {
            QTest::mouseClick(part<Shape>(form(), "spRMask"), Qt::LeftButton);
        }
        // Make the pane wide enough to see the grip's way.
        drag(part<Panel>(form(), "Panel2"), QPoint(3, 10),
             part<Panel>(form(), "PnBackground")->mapToGlobal(QPoint(400, 10)));
        form().resize(900, 600);

        RasterImage& image = depthMap ? form().depthMap() : form().patternStrip();
        image.setPixel(0, 0, colorref::rgb(255, 0, 0));
        Shape* grip = depthMap ? part<Shape>(form(), "Shape4") : part<Shape>(form(), "Shape2");
        ScrollBox* box = depthMap ? part<ScrollBox>(form(), "ScrollBox2")
                                  : part<ScrollBox>(form(), "ScrollBox1");
        const QPoint target = box->viewport()->mapToGlobal(to);

        QTest::mousePress(grip, Qt::LeftButton, {}, QPoint(1, 1));
        QVERIFY(form().dragging());
        QTest::mouseMove(grip, grip->mapFromGlobal(target));
        QCOMPARE(part<Panel>(form(), "pnStuSize")->text(),
                 QStringLiteral(" \u0081 %1x%2").arg(size.width(), 4).arg(size.height(), 4));
        QCOMPARE(image.width(), depthMap ? 300 : 120); // the raster waits for the release
        QTest::mouseRelease(grip, Qt::LeftButton, {}, grip->mapFromGlobal(target));

        QVERIFY(!form().dragging());
        QCOMPARE(QSize(image.width(), image.height()), size);
        // Bars show where the image needs them, not because the drag showed them.
        QTRY_COMPARE(box->horizontalScrollBar()->isVisibleTo(box), bars);
        QTRY_COMPARE(box->verticalScrollBar()->isVisibleTo(box), bars);
        ImageView* view =
            depthMap ? part<ImageView>(form(), "Image2") : part<ImageView>(form(), "Image1");
        QCOMPARE(view->size(), size);
        if (!size.isEmpty()) {
            QCOMPARE(image.image().pixel(0, 0), qRgb(255, 0, 0));
        }
        if (size.width() > 120 && size.height() > 0) {
            QCOMPARE(image.image().pixel(size.width() - 1, 0), depthMap ? Ground : White);
        }
    }

    void depthMapGrowsWithGroundColour()
    {
        QTest::mouseClick(part<Shape>(form(), "spRMask"), Qt::LeftButton);
        drag(part<Panel>(form(), "Panel2"), QPoint(3, 10),
             part<Panel>(form(), "PnBackground")->mapToGlobal(QPoint(90, 10)));
        form().resize(900, 700);
        const QPoint target =
            part<ScrollBox>(form(), "ScrollBox2")->viewport()->mapToGlobal(QPoint(350, 320));
        drag(part<Shape>(form(), "Shape4"), QPoint(1, 1), target);
        QCOMPARE(form().depthMap().width(), 350);
        QCOMPARE(form().depthMap().height(), 320);
        QCOMPARE(form().depthMap().image().pixel(349, 319), Ground);
        QCOMPARE(form().depthMap().image().pixel(349, 0), Ground);
    }

    void statusTexts()
    {
        form().ShowPosition(5, 12);
        QCOMPARE(part<Panel>(form(), "pnStuPos")->text(), QStringLiteral("x=   5,y=  12"));
        form().ShowPosition(12345, -3);
        QCOMPARE(part<Panel>(form(), "pnStuPos")->text(), QStringLiteral("x=12345,y=  -3"));
        // The widest positions and sizes still fit between the fields' bevels.
        form().ShowPosition(-8888, 88888);
        form().ShowImageSize(88888, 88888);
        for (const Panel* field :
             {part<Panel>(form(), "pnStuPos"), part<Panel>(form(), "pnStuSize")}) {
            QVERIFY2(QFontMetrics(field->font()).horizontalAdvance(field->text()) <=
                         field->contentRect().width() - 2,
                     qPrintable(field->text()));
        }

        QTest::mouseMove(part<ImageView>(form(), "Image1"), QPoint(7, 9));
        QCOMPARE(part<Panel>(form(), "pnStuPos")->text(), QStringLiteral("x=   7,y=   9"));
        QCOMPARE(part<Panel>(form(), "pnStu")->text(),
                 QStringLiteral("Draw back ground picture in this area."));
        QTest::mouseMove(part<Panel>(form(), "Toolbar"), QPoint(60, 300));
        QCOMPARE(part<Panel>(form(), "pnStu")->text(),
                 QStringLiteral("Tools for drawing picture."));
        QTest::mouseMove(part<Panel>(form(), "SpeedBar"), QPoint(300, 20));
        QCOMPARE(part<Panel>(form(), "pnStu")->text(), QStringLiteral("System functions."));
        QTest::mouseMove(part<Shape>(form(), "spRMask"), QPoint(20, 20));
        QCOMPARE(part<Panel>(form(), "pnStu")->text(),
                 QStringLiteral("Assign different higth of the 3D-Picture."));
        form().UILanguage = 1;
        QCOMPARE(part<Panel>(form(), "pnStu")->text(),
                 QStringLiteral("Assign different higth of the 3D-Picture."));
        QTest::mouseMove(part<Panel>(form(), "Toolbar"), QPoint(60, 300));
        QCOMPARE(part<Panel>(form(), "pnStu")->text(), QStringLiteral("绘图工具栏."));
    }

    void windowResize()
    {
        form().resize(300, 449);
        QCOMPARE(form().width(), 400);
        for (int width : {400, 731}) {
            form().resize(width, 500);
            QCOMPARE(part<QToolButton>(form(), "sbHelp")->x(),
                     width - part<QToolButton>(form(), "sbHelp")->width() - 20);
            QCOMPARE(part<Panel>(form(), "Panel3")->x() + part<Panel>(form(), "Panel3")->width(),
                     part<Panel>(form(), "PnBackground")->width());
            QCOMPARE(part<Panel>(form(), "Panel1")->height(),
                     part<Panel>(form(), "PnBackground")->height());
            QCOMPARE(part<Panel>(form(), "PnBackground")->y() +
                         part<Panel>(form(), "PnBackground")->height(),
                     part<Panel>(form(), "pnStatusBar")->y());
        }
    }

    // Every typed character reaches the tool once, whatever control has the focus.
    void keyPreview()
    {
        useStandInTools();
        QTest::mouseClick(part<QToolButton>(form(), "sbText"), Qt::LeftButton);
        part<ScrollBox>(form(), "ScrollBox1")->setFocus();
        QTest::keyClicks(part<ScrollBox>(form(), "ScrollBox1"), QStringLiteral("ab"));
        QTest::keyClick(part<ScrollBox>(form(), "ScrollBox1"), Qt::Key_Left); // no character
        part<ScrollBox>(form(), "ScrollBox1")->clearFocus();
        QTest::keyClick(&form(), Qt::Key_C);
        QCOMPARE(m_record.keys, QStringLiteral("abc"));
    }

    void toolsAndUndo()
    {
        QTest::mouseClick(part<QToolButton>(form(), "sbPen"), Qt::LeftButton);
        QCOMPARE(part<QTimer>(form(), "Timer1")->interval(), 50);
        QTest::mouseClick(part<QToolButton>(form(), "sbSelect"), Qt::LeftButton);
        QCOMPARE(part<QTimer>(form(), "Timer1")->interval(), 1000);

        useStandInTools();
        QTest::mouseClick(part<QToolButton>(form(), "sbLine"), Qt::LeftButton);
        QCOMPARE(form().drawTool()->toolId(), ToolId::Line);
        QVERIFY(part<QToolButton>(form(), "sbLine")->isChecked());
        const QImage blank = form().patternStrip().image();

        QTest::mousePress(part<ImageView>(form(), "Image1"), Qt::LeftButton, {}, QPoint(3, 4));
        QTest::mouseMove(part<ImageView>(form(), "Image1"), QPoint(-6, 500));
        QTest::mouseRelease(part<ImageView>(form(), "Image1"), Qt::LeftButton, {}, QPoint(-6, 500));
        QCOMPARE(m_record.calls, QStringList({"down 3,4", "move -6,500", "up -6,500"}));
        QCOMPARE(form().patternStrip().image().pixel(3, 4), qRgb(0, 0, 0));
        part<QAction>(form(), "EditUndoItem")->trigger();
        DL_COMPARE_IMAGES(form().patternStrip().image(), blank);

        // Paste goes to a new selection tool.
        const int created = m_record.created;
        part<QAction>(form(), "EditPasteItem")->trigger();
        QCOMPARE(m_record.created, created + 1);
        QCOMPARE(form().drawTool()->toolId(), ToolId::Select);
        QCOMPARE(m_record.calls.last(), QStringLiteral("paste"));

        // Switching the image starts a new tool, so the snapshot is gone.
        QTest::mouseClick(part<ImageView>(form(), "Image1"), Qt::LeftButton, {}, QPoint(1, 1));
        QTest::mouseClick(part<Shape>(form(), "spRMask"), Qt::LeftButton);
        QTest::mouseClick(part<Shape>(form(), "spLMask"), Qt::LeftButton);
        part<QAction>(form(), "EditUndoItem")->trigger();
        QCOMPARE(form().patternStrip().image().pixel(1, 1), qRgb(0, 0, 0));
    }

    void viewMenu()
    {
        useStandInTools();
        part<QAction>(form(), "MSpeedBar")->trigger();
        QVERIFY(part<Panel>(form(), "SpeedBar")->isHidden());
        QVERIFY(!part<QAction>(form(), "MSpeedBar")->isChecked());
        QCOMPARE(part<Panel>(form(), "PnBackground")->y(), 0);
        part<QAction>(form(), "MSpeedBar")->trigger();
        QVERIFY(!part<Panel>(form(), "SpeedBar")->isHidden());
        QVERIFY(part<QAction>(form(), "MSpeedBar")->isChecked());

        const int created = m_record.created;
        part<QAction>(form(), "N20ColorPalette")->trigger();
        QVERIFY(part<QAction>(form(), "N20ColorPalette")->isChecked());
        QVERIFY(!part<QAction>(form(), "HighColorPalette")->isChecked());
        QVERIFY(!form().drawingState().UseHighColorPalette);
        QCOMPARE(m_record.created, created + 1);
        part<QAction>(form(), "HighColorPalette")->trigger();
        QVERIFY(part<QAction>(form(), "HighColorPalette")->isChecked());
        QVERIFY(!part<QAction>(form(), "N20ColorPalette")->isChecked());
        QVERIFY(form().drawingState().UseHighColorPalette);
    }
};

DEPTHLOOM_TEST_CLASS(MainWindowTest);
#include "MainWindowTest.moc"
