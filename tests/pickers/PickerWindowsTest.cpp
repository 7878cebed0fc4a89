#include "common/FindPart.h"
#include "common/ScriptedPrompts.h"
#include "common/TestMain.h"
#include "mainwindow/EditorToolHost.h"
#include "mainwindow/TForm1.h"
#include "pickers/TfmPStyle.h"
#include "pickers/Tfmheight.h"
#include "tools/TDrawTool.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QFrame>
#include <QLineEdit>
#include <QTest>

#include <memory>

namespace {

constexpr ColorRef Untouched = 0x00123456;

QRgb swatchOf(const Tfmheight& palette)
{
    return palette.Panel2->palette().color(QPalette::Window).rgb();
}

} // namespace

// The picker windows as the program starts them, with the main window around them.
class PickerWindowsTest : public QObject
{
    Q_OBJECT

private slots:
    // Start-up order: the height palette right after the main window, before its first
    // activation makes the depth map; the pen style picker last.
    void init()
    {
        m_prompts = ScriptedPrompts();
        m_form = std::make_unique<TForm1>(m_prompts);
        m_form->document().groundColor = Untouched;
        m_form->createHeightPalette();
        m_form->show();
        m_form->FormActivate();
        m_form->createPenStylePicker();
    }
    void cleanup() { m_form.reset(); }

    void startUp()
    {
        QCOMPARE(form().document().groundColor, colorref::paletteGrey(58));
        QCOMPARE(form().depthMap().pixel(299, 299), colorref::grey(58));

        QWidget* windows[] = {palette(), picker()};
        for (QWidget* window : windows) {
            QVERIFY(window->isHidden());
            QCOMPARE(window->windowType(), Qt::Tool);
            QCOMPARE(window->parentWidget(), &form());
        }
        // The language switch leaves both titles as designed.
        form().Chinese1Click();
        QCOMPARE(palette()->windowTitle(), QStringLiteral("Height"));
        QCOMPARE(picker()->windowTitle(), QStringLiteral("Pen Style"));
    }

    void showThroughTools_data()
    {
        QTest::addColumn<bool>("depthMap");
        QTest::addColumn<int>("tool");
        QTest::addColumn<bool>("paletteShown");
        QTest::addColumn<bool>("pickerShown");
        QTest::newRow("depth map, pencil") << true << int(ToolId::Pencil) << true << true;
        QTest::newRow("depth map, line") << true << int(ToolId::Line) << true << false;
        QTest::newRow("pattern, pencil") << false << int(ToolId::Pencil) << false << true;
    }

    // Showing the height palette applies its height and opaque painting.
    void showThroughTools()
    {
        QFETCH(bool, depthMap);
        QFETCH(int, tool);
        QFETCH(bool, paletteShown);
        if (depthMap) {
            form().SwitchCurrentImage();
        }
        DrawingState& state = form().drawingState();
        state.CurrentColor = Untouched;
        state.OpaquePaint = false;
        toolButton(form(), tool)->click();
        QCOMPARE(palette()->isVisible(), paletteShown);
        if (paletteShown) {
            // Made only once shown.
            const auto* box = palette()->findChild<QLineEdit*>();
            QVERIFY(box && box->isVisible());
            QCOMPARE(box->text(), QStringLiteral("50"));
        }
        QTEST(picker()->isVisible(), "pickerShown");
        QCOMPARE(state.OpaquePaint, paletteShown);
        QCOMPARE(state.CurrentColor, paletteShown ? colorref::paletteGrey(156) : Untouched);

        toolButton(form(), ToolId::Select)->click();
        QVERIFY(palette()->isHidden());
        QVERIFY(picker()->isHidden());
    }

    void activation_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("press in the number box") << "number box";
        QTest::newRow("activated") << "activated";
        QTest::newRow("shown again") << "shown";
    }

    // Bringing the palette to the front runs its activation rule again, with or without a
    // window manager's activation event.
    void activation()
    {
        QFETCH(QString, how);
        form().SwitchCurrentImage();
        toolButton(form(), ToolId::Line)->click();
        DrawingState& state = form().drawingState();
        state.CurrentColor = Untouched;
        state.OpaquePaint = false;
        if (how == QLatin1String("number box")) {
            QTest::mouseClick(palette()->Edit1(), Qt::RightButton);
        } else if (how == QLatin1String("activated")) {
            QEvent activate(QEvent::WindowActivate);
            QCoreApplication::sendEvent(palette(), &activate);
        } else {
            form().toolHost().ShowCurrentPalette();
        }
        QVERIFY(state.OpaquePaint);
        QCOMPARE(state.CurrentColor, colorref::paletteGrey(156));
    }

    // Dragging on the scale, past its top, then typing a number.
    void choosing()
    {
        form().SwitchCurrentImage();
        toolButton(form(), ToolId::Pencil)->click();
        Tfmheight& window = *palette();
        DrawingState& state = form().drawingState();

        QTest::mousePress(window.Image1, Qt::LeftButton, {}, QPoint(20, 195));
        QCOMPARE(window.Edit1()->text(), QStringLiteral("2"));
        QCOMPARE(state.CurrentColor, colorref::paletteGrey(62));
        QCOMPARE(swatchOf(window), qRgb(62, 62, 62));
        QTest::mouseMove(window.Image1, QPoint(20, -40));
        QCOMPARE(window.Edit1()->text(), QStringLiteral("100"));
        QCOMPARE(state.CurrentColor, colorref::paletteGrey(255));
        QTest::mouseRelease(window.Image1, Qt::LeftButton, {}, QPoint(20, -40));
        QVERIFY(!window.scale().Dragging);

        window.Edit1()->setText(QStringLiteral("7"));
        QTest::keyClick(window.Edit1(), Qt::Key_Return);
        QCOMPARE(int(window.scale().ScalePos), 14);
        QCOMPARE(state.CurrentColor, colorref::paletteGrey(70));
        QCOMPARE(swatchOf(window), qRgb(70, 70, 70));
    }

    void pickedColour_data()
    {
        QTest::addColumn<int>("grey");
        QTest::addColumn<QString>("height");
        QTest::newRow("a band's grey") << 100 << "22";
        QTest::newRow("between two bands") << 101 << "22";
        QTest::newRow("below the bands") << 30 << "0";
    }

    // A grey picked up from the depth map is what the pencil paints next, and the number box
    // shows its height; a number typed on the palette paints its band again.
    void pickedColour()
    {
        QFETCH(int, grey);
        QFETCH(QString, height);
        form().SwitchCurrentImage();
        QImage depth(300, 300, QImage::Format_RGB32);
        depth.fill(qRgb(58, 58, 58));
        depth.setPixel(40, 40, qRgb(grey, grey, grey));
        form().depthMap().setImage(depth);
        auto* view = part<QWidget>(form(), "Image2");
        auto paintAt = [&](QPoint at) {
            toolButton(form(), ToolId::Pencil)->click();
            QTest::mouseClick(view, Qt::LeftButton, {}, at);
            return form().depthMap().pixel(at.x(), at.y());
        };

        toolButton(form(), ToolId::Suck)->click();
        QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(40, 40));
        QCOMPARE(paintAt(QPoint(100, 100)), colorref::grey(grey));
        QCOMPARE(palette()->Edit1()->text(), height);
        QCOMPARE(swatchOf(*palette()), qRgb(grey, grey, grey));

        palette()->Edit1()->setText(QStringLiteral("7"));
        QTest::keyClick(palette()->Edit1(), Qt::Key_Return);
        QCOMPARE(paintAt(QPoint(120, 100)), colorref::grey(70));
    }

    void penPicker()
    {
        toolButton(form(), ToolId::Pencil)->click();
        QTest::mouseRelease(picker()->Image1, Qt::LeftButton, {}, QPoint(45, 25));
        const DrawingState& state = form().drawingState();
        QCOMPARE(int(state.PenSize), 2);
        QVERIFY(state.PenSquare);
        QVERIFY(!state.PenSpray);
        QCOMPARE(picker()->Shape1->pos(), QPoint(41, 21));
    }

private:
    TForm1& form() { return *m_form; }
    Tfmheight* palette() { return form().heightPalette(); }
    TfmPStyle* picker() { return form().penStylePicker(); }

    ScriptedPrompts m_prompts;
    std::unique_ptr<TForm1> m_form;
};

DEPTHLOOM_TEST_CLASS(PickerWindowsTest);
#include "PickerWindowsTest.moc"
