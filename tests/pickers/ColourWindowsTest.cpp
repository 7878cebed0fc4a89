#include "common/FindPart.h"
#include "common/ScriptedPrompts.h"
#include "common/TestMain.h"
#include "mainwindow/EditorToolHost.h"
#include "mainwindow/TForm1.h"
#include "pickers/PaintModeBar.h"
#include "pickers/TfmColor.h"
#include "pickers/TfmColor16.h"
#include "tools/TDrawTool.h"
#include "widgets/Panel.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

constexpr ColorRef Untouched = 0x00123456;
constexpr ColorRef Red = colorref::rgb(255, 0, 0);

// What the window system sends for a double-click.
void doubleClick(QWidget* widget, QPoint at)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

// The centre of grid cell (column, row).
QPoint cell(int column, int row)
{
    return QPoint(column * ColorCells::CellWidth + 14, row * ColorCells::CellHeight + 12);
}

} // namespace

// The two colour windows as the program starts them, with the main window around them.
class ColourWindowsTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_prompts = ScriptedPrompts();
        m_form = std::make_unique<TForm1>(m_prompts);
        m_form->createHeightPalette();
        m_form->show();
        m_form->FormActivate();
        m_form->createColorPalettes();
    }
    void cleanup() { m_form.reset(); }

    // The high-colour picker's creation sets the painting colour and mix mode.
    void startUp()
    {
        const DrawingState& state = form().drawingState();
        QCOMPARE(state.CurrentColor, colorref::rgb(191, 191, 63));
        QVERIFY(!state.OpaquePaint);
        QCOMPARE(grid()->Shape1->color(), colorref::rgb(255, 255, 0));
        QCOMPARE(picker()->outerSize(), QSize(204, 274));
        picker()->show();
        QCOMPARE(picker()->outerSize(), QSize(204, 264));
        QWidget* windows[] = {grid(), picker()};
        for (QWidget* window : windows) {
            QCOMPARE(window->windowType(), Qt::Tool);
            QCOMPARE(window->parentWidget(), &form());
        }
    }

    // Where a bevel's two colours meet, the colour windows' panels give both corners to the
    // top-left colour.
    void bevelCorners()
    {
        for (Panel* panel : {grid()->GridPanel, grid()->Panel2, picker()->Panel1}) {
            const QImage image = panel->grab().toImage();
            const QRgb dark = panel->palette().color(QPalette::Dark).rgb();
            QCOMPARE(image.pixel(image.width() - 1, 0), dark);
            QCOMPARE(image.pixel(0, image.height() - 1), dark);
        }
    }

    void cells_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<int>("button");
        QTest::addColumn<ColorRef>("color");
        const QList<int> none;
        QTest::newRow("column 1, row 2")
            << none << cell(1, 2) << int(Qt::LeftButton) << colorref::paletteIndex(6);
        QTest::newRow("last cell")
            << none << cell(4, 3) << int(Qt::LeftButton) << colorref::paletteIndex(19);
        QTest::newRow("right button keeps the selection")
            << none << cell(3, 2) << int(Qt::RightButton) << colorref::paletteIndex(0);
        QTest::newRow("middle button keeps the selection")
            << none << cell(3, 2) << int(Qt::MiddleButton) << colorref::paletteIndex(0);
        QTest::newRow("arrows, stopping at the edge")
            << QList<int>{Qt::Key_Right, Qt::Key_Down, Qt::Key_Down, Qt::Key_Left, Qt::Key_Left}
            << cell(3, 2) << int(Qt::RightButton) << colorref::paletteIndex(2);
    }

    // A release with any button chooses the selected cell, whose entries run down the columns.
    void cells()
    {
        QFETCH(QList<int>, keys);
        QFETCH(QPoint, at);
        QFETCH(int, button);
        QFETCH(ColorRef, color);
        showWith(ToolId::Pencil, false);
        form().drawingState().CurrentColor = Untouched;
        for (int key : keys) {
            QTest::keyClick(grid()->DG, Qt::Key(key));
        }
        QTest::mouseClick(grid()->DG, Qt::MouseButton(button), {}, at);
        QCOMPARE(form().drawingState().CurrentColor, color);
        QCOMPARE(grid()->Shape1->color(), color);
    }

    void colourDialog_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("confirmed") << true;
        QTest::newRow("cancelled") << false;
    }

    // The chosen colour shows in the swatch and the cell at once and paints once the window is
    // left; the dialog opens with its last colour.
    void colourDialog()
    {
        QFETCH(bool, confirm);
        showWith(ToolId::Pencil, false);
        m_prompts.colors = {confirm ? std::optional(Red) : std::nullopt, std::nullopt};
        doubleClick(grid()->DG, cell(2, 1));
        const ColorRef entry = confirm ? Red : colorref::paletteIndex(9);
        QCOMPARE(grid()->cells().ColorTable[9], entry);
        QCOMPARE(grid()->Shape1->color(), entry);
        QCOMPARE(grid()->DG->grab().toImage().pixel(cell(2, 1)), colorref::toRgb(entry));

        QTest::mousePress(part<Panel>(form(), "pnStu"), Qt::LeftButton);
        QCOMPARE(form().drawingState().CurrentColor, entry);
        doubleClick(grid()->DG, cell(0, 0));
        QCOMPARE(m_prompts.log,
                 (QStringList{"Color: #000000", confirm ? "Color: #ff0000" : "Color: #000000"}));
        QCOMPARE(grid()->cells().ColorTable[0], colorref::paletteIndex(0));
    }

    void activation_data()
    {
        QTest::addColumn<bool>("highColor");
        QTest::addColumn<bool>("opaque");  // sb2 down
        QTest::addColumn<QString>("how");  // how the window is brought to the front, or left
        QTest::addColumn<bool>("applied"); // the window's colour and mode were applied
        for (bool highColor : {false, true}) {
            const char* name = highColor ? "high colour" : "20 colours";
            for (bool opaque : {false, true}) {
                QTest::addRow("%s, %s, shown", name, opaque ? "opaque" : "mix")
                    << highColor << opaque << "shown" << true;
            }
            QTest::addRow("%s, press", name) << highColor << true << "press" << true;
            QTest::addRow("%s, activated", name) << highColor << true << "activated" << true;
            QTest::addRow("%s, press elsewhere", name)
                << highColor << true << "press elsewhere" << !highColor;
            QTest::addRow("%s, deactivated", name)
                << highColor << true << "deactivated" << !highColor;
        }
    }

    // Both windows apply their swatch and paint mode when they come to the front; the
    // 20-colour palette also when it is left.
    void activation()
    {
        QFETCH(bool, highColor);
        QFETCH(bool, opaque);
        QFETCH(QString, how);
        QFETCH(bool, applied);
        FloatingPalette* window = highColor ? static_cast<FloatingPalette*>(picker()) : grid();
        QToolButton* mode = highColor ? (opaque ? picker()->sb2 : picker()->sb1)
                                      : (opaque ? grid()->sb2 : grid()->sb1);
        showWith(ToolId::Line, highColor);
        mode->click();
        const ColorRef swatch = highColor ? picker()->Shape3->color() : grid()->Shape1->color();
        DrawingState& state = form().drawingState();
        state.CurrentColor = Untouched;
        state.OpaquePaint = !opaque;
        if (how == QLatin1String("shown")) {
            form().toolHost().ShowCurrentPalette();
        } else if (how == QLatin1String("press")) {
            QTest::mousePress(highColor ? picker()->Label1 : grid()->Label1, Qt::RightButton);
        } else if (how == QLatin1String("press elsewhere")) {
            QTest::mousePress(part<Panel>(form(), "pnStu"), Qt::LeftButton);
        } else {
            QEvent event(how == QLatin1String("activated") ? QEvent::WindowActivate
                                                           : QEvent::WindowDeactivate);
            QCoreApplication::sendEvent(window, &event);
        }
        QCOMPARE(state.CurrentColor, applied ? swatch : Untouched);
        QCOMPARE(state.OpaquePaint, applied ? opaque : !opaque);
    }

    // A colour picked up from the strip shows in the swatch of the palette in use.
    void pickedColour()
    {
        for (bool highColor : {false, true}) {
            showWith(ToolId::Suck, highColor);
            form().drawingState().CurrentColor = Red;
            form().toolHost().RefreshCurrentPalette();
            QCOMPARE(highColor ? picker()->Shape3->color() : grid()->Shape1->color(), Red);
        }
    }

    // The fill tool hides the mix and opaque buttons of both windows while it is current.
    void fillHidesModeButtons()
    {
        showWith(ToolId::Fill, false);
        QToolButton* buttons[] = {grid()->sb1, grid()->sb2, picker()->sb1, picker()->sb2};
        for (QToolButton* button : buttons) {
            QVERIFY(button->isHidden());
        }
        toolButton(form(), ToolId::Pencil)->click();
        for (QToolButton* button : buttons) {
            QVERIFY(!button->isHidden());
        }
    }

    // Widening keeps the window at most 250 wide with its height following; the colour stays.
    void widening()
    {
        showWith(ToolId::Pencil, true);
        QTest::mouseClick(picker()->Image1, Qt::LeftButton, {}, QPoint(94, 177));
        const ColorRef picked = form().drawingState().CurrentColor;
        picker()->resize(400, 100);
        QCOMPARE(picker()->outerSize(), QSize(250, 310));
        QCOMPARE(picker()->Shape3->x(), 210);
        QCOMPARE(picker()->Shape3->color(), picked);
        QCOMPARE(form().drawingState().CurrentColor, picked);
        QCOMPARE(picker()->Image1->size(), QSize(236, 241));
    }

private:
    TForm1& form() { return *m_form; }
    TfmColor16* grid() { return form().color16Palette(); }
    TfmColor* picker() { return form().highColorPicker(); }

    void showWith(ToolId tool, bool highColor)
    {
        (highColor ? part<QAction>(form(), "HighColorPalette")
                   : part<QAction>(form(), "N20ColorPalette"))
            ->trigger();
        toolButton(form(), tool)->click();
        QVERIFY((highColor ? static_cast<QWidget*>(picker()) : grid())->isVisible());
        // Sized to its text only once shown.
        const QLabel* label = highColor ? picker()->Label1 : grid()->Label1;
        QCOMPARE(label->size(), label->sizeHint());
    }

    ScriptedPrompts m_prompts;
    std::unique_ptr<TForm1> m_form;
};

DEPTHLOOM_TEST_CLASS(ColourWindowsTest);
#include "ColourWindowsTest.moc"
