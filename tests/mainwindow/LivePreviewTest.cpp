#include "mainwindow/LivePreview.h"

#include "WindowFixture.h"
#include "common/FindPart.h"
#include "common/ImageCompare.h"
#include "common/TestMain.h"
#include "output/TfmOutput.h"
#include "output/TfmScreen.h"
#include "render/FineRenderer.h"
#include "render/StereogramRenderer.h"
#include "tools/TDrawTool.h"
#include "widgets/ImageView.h"
#include "widgets/ScrollBox.h"
#include "widgets/Shape.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QPainter>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>

namespace {

enum Edit
{
    Pencil,
    Shapes,
    Fill,
    Undo,
    Open,
    Grip,
};

QImage colourfulStrip()
{
    QImage image(120, 300, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, qRgb(x * 2, (y * 7) % 256, (x * y) % 251));
        }
    }
    return image;
}

void drag(QWidget* widget, const QList<QPoint>& points)
{
    QTest::mousePress(widget, Qt::LeftButton, {}, points.first());
    for (const QPoint& point : points) {
        QTest::mouseMove(widget, point);
    }
    QTest::mouseRelease(widget, Qt::LeftButton, {}, points.last());
}

} // namespace

// View > Live 3D Preview: its picture follows the edits of both images and is Make 3D's; it
// works only while shown, and then at most once per pass of the event loop.
class LivePreviewTest : public QObject, public WindowFixture
{
    Q_OBJECT

    LivePreview* preview() { return form().livePreview(); }

    void showPreview()
    {
        part<QAction>(form(), "LivePreviewItem")->trigger();
        QVERIFY(preview() && preview()->isVisible());
        QTRY_VERIFY(preview()->stereogram().upToDate());
    }

    void paintDepth(int grey, const QList<QPoint>& points, QToolButton* tool)
    {
        QTest::mouseClick(tool, Qt::LeftButton);
        form().drawingState().CurrentColor = colorref::paletteGrey(grey);
        form().drawingState().OpaquePaint = true;
        drag(part<ImageView>(form(), "Image2"), points);
    }

    void edit(Edit edit)
    {
        TForm1& f = form();
        switch (edit) {
        case Pencil:
            paintDepth(180, {{60, 40}, {90, 60}, {150, 70}, {200, 140}},
                       part<QToolButton>(f, "sbPen"));
            break;
        case Shapes:
            paintDepth(120, {{30, 30}, {120, 110}}, part<QToolButton>(f, "sbRect"));
            paintDepth(230, {{100, 90}, {260, 200}}, part<QToolButton>(f, "sbEllip"));
            paintDepth(90, {{10, 280}, {290, 150}}, part<QToolButton>(f, "sbLine"));
            break;
        case Fill:
            paintDepth(160, {{250, 250}}, part<QToolButton>(f, "sbFill"));
            break;
        case Undo:
            part<QAction>(f, "EditUndoItem")->trigger();
            break;
        case Open: {
            QImage depth(240, 280, QImage::Format_RGB32);
            depth.fill(qRgb(58, 58, 58));
            QPainter(&depth).fillRect(60, 40, 120, 160, QColor(200, 200, 200));
            QVERIFY(depth.save(path("depth.bmp")));
            m_prompts.files = {path("depth.bmp")};
            f.sbopenClick();
            break;
        }
        case Grip:
            drag(part<Shape>(f, "Shape4"),
                 {{1, 1},
                  part<Shape>(f, "Shape4")
                      ->mapFromGlobal(part<ScrollBox>(f, "ScrollBox2")
                                          ->viewport()
                                          ->mapToGlobal(QPoint(210, 170)))});
            QVERIFY(f.depthMap().width() != 300);
            break;
        }
    }

    // The bar set to the finer renderer with these choices, and the picture up to date.
    void chooseFine(int oversample, bool randomDots, int seed, bool dots)
    {
        part<QComboBox>(*preview(), "cbRenderer")->setCurrentIndex(1);
        auto* oversampling = part<QComboBox>(*preview(), "cbOversample");
        oversampling->setCurrentIndex(oversampling->findData(oversample));
        part<QCheckBox>(*preview(), "chRandomStrip")->setChecked(randomDots);
        part<QSpinBox>(*preview(), "seSeed")->setValue(seed);
        part<QCheckBox>(*preview(), "chDots")->setChecked(dots);
        QTRY_VERIFY(preview()->stereogram().upToDate() && preview()->stereogram().hasPicture());
    }

private slots:
    void init()
    {
        openWindow();
        form().patternStrip().setImage(colourfulStrip());
        form().SwitchCurrentImage();
        QVERIFY(form().drawingState().DepthMapActive);
    }
    void cleanup() { closeWindow(); }

    void followsEditsAsMake3D_data()
    {
        QTest::addColumn<QList<int>>("edits");
        QTest::newRow("pencil") << QList<int>{Pencil};
        QTest::newRow("shapes") << QList<int>{Shapes};
        QTest::newRow("fill") << QList<int>{Fill};
        QTest::newRow("undo") << QList<int>{Pencil, Undo};
        QTest::newRow("open") << QList<int>{Open, Pencil};
        QTest::newRow("size grip") << QList<int>{Grip, Pencil};
    }
    // After each edit the picture is up to date with both images once the event loop has run;
    // at the end it is the picture Make 3D builds.
    void followsEditsAsMake3D()
    {
        QFETCH(QList<int>, edits);
        showPreview();
        TForm1& f = form();
        for (int e : edits) {
            const qint64 rows = preview()->stereogram().rowsRendered();
            edit(Edit(e));
            QTRY_VERIFY(preview()->stereogram().upToDate());
            QVERIFY(preview()->stereogram().rowsRendered() > rows);
            DL_COMPARE_IMAGES(
                preview()->stereogram().picture().image(),
                StereogramRenderer::renderAll(f.patternStrip(), f.depthMap()).image());
        }
        f.SbMake3DPClick();
        TfmOutput* output = f.outputWindow();
        while (!output->renderer().RenderDone()) {
            output->Timer1Timer();
        }
        QVERIFY(preview()->stereogram().upToDate());
        DL_COMPARE_IMAGES(preview()->stereogram().picture().image(), output->picture().image());
    }

    // The bar's "fine" renderer: the picture is the finer renderer's with the choices made, and
    // after an edit of the depth map only that edit's rows are redone.
    void followsEditsFine_data()
    {
        QTest::addColumn<int>("oversample");
        QTest::addColumn<bool>("randomDots");
        QTest::addColumn<int>("seed");
        QTest::addColumn<bool>("dots");
        QTest::newRow("pattern strip") << 4 << false << 1 << false;
        QTest::newRow("random dots, convergence dots") << 8 << true << 31 << true;
        QTest::newRow("2 samples, other seed") << 2 << true << 32 << false;
    }
    void followsEditsFine()
    {
        QFETCH(int, oversample);
        QFETCH(bool, randomDots);
        QFETCH(int, seed);
        QFETCH(bool, dots);
        showPreview();
        chooseFine(oversample, randomDots, seed, dots);
        TForm1& f = form();
        const auto expected = [&] {
            const RasterImage strip =
                randomDots ? FineRenderer::randomStrip(f.depthMap().height(), quint32(seed))
                           : f.patternStrip();
            return FineRenderer::render(strip, f.depthMap(), {oversample, dots});
        };
        DL_COMPARE_IMAGES(preview()->stereogram().picture().image(), expected().image());
        const qint64 rows = preview()->stereogram().rowsRendered();
        edit(Pencil);
        QTRY_VERIFY(preview()->stereogram().upToDate());
        DL_COMPARE_IMAGES(preview()->stereogram().picture().image(), expected().image());
        // The stroke goes down 100 rows of the map's 300.
        const qint64 redone = preview()->stereogram().rowsRendered() - rows;
        QVERIFY2(redone > 90 && redone < 120, qPrintable(QString::number(redone)));

        part<QComboBox>(*preview(), "cbRenderer")->setCurrentIndex(0);
        QTRY_VERIFY(preview()->stereogram().upToDate() && preview()->stereogram().hasPicture());
        DL_COMPARE_IMAGES(preview()->stereogram().picture().image(),
                          StereogramRenderer::renderAll(f.patternStrip(), f.depthMap()).image());
    }

    // The buttons act on the picture shown: saved as PNG or BMP by the output window's way of
    // saving, printed by the print command's, shown full screen. A failed save names the file.
    void savesPrintsShows()
    {
        showPreview();
        chooseFine(4, true, 5, true);
        const RasterImage shown = preview()->stereogram().picture();
        for (const char* name : {"shown.png", "shown.bmp"}) {
            m_prompts.files = {path(name)};
            QTest::mouseClick(part<QToolButton>(*preview(), "sbSavePreview"), Qt::LeftButton);
            QCOMPARE(m_prompts.dialogs.last().defaultSuffix, QStringLiteral("PNG"));
            QImage written;
            QVERIFY(written.load(path(name)));
            DL_COMPARE_IMAGES(written.convertToFormat(QImage::Format_RGB32), shown.image());
        }
        m_prompts.files = {path("no folder/shown.png")};
        QTest::mouseClick(part<QToolButton>(*preview(), "sbSavePreview"), Qt::LeftButton);
        QVERIFY(m_prompts.log.last().contains(QRegularExpression("^Error: .*shown.png")));

        QTest::mouseClick(part<QToolButton>(*preview(), "sbPrintPreview"), Qt::LeftButton);
        QCOMPARE(m_prompts.log.last(), QStringLiteral("Print (unscripted)"));

        QImage onScreen;
        QTimer::singleShot(0, [&] {
            QWidget* screen = QApplication::activeModalWidget();
            onScreen = qobject_cast<TfmScreen*>(screen) ? screen->grab().toImage() : QImage();
            QTest::keyClick(screen, Qt::Key_Escape);
        });
        QTest::mouseClick(part<QToolButton>(*preview(), "sbFullScreenPreview"), Qt::LeftButton);
        const QSize size(shown.width(), shown.height());
        const QImage middle = onScreen.copy(
            {QPoint((onScreen.width() - size.width()) / 2, (onScreen.height() - size.height()) / 2),
             size});
        DL_COMPARE_IMAGES(middle.convertToFormat(QImage::Format_RGB32), shown.image());

        part<QAction>(form(), "Chinese1")->trigger();
        QCOMPARE(part<QComboBox>(*preview(), "cbRenderer")->itemText(1), QStringLiteral("精细"));
        QCOMPARE(preview()->windowTitle(), QStringLiteral("实时立体预览"));
    }

    // The item closes the View menu; it and the window's close box show and hide the window,
    // which keeps its place. Hidden, the window keeps no picture and renders nothing.
    void hiddenDoesNothing()
    {
        TForm1& f = form();
        QCOMPARE(part<QMenu>(f, "View1")->actions().last(), part<QAction>(f, "LivePreviewItem"));
        QVERIFY(!part<QAction>(f, "LivePreviewItem")->isChecked());
        showPreview();
        QVERIFY(part<QAction>(f, "LivePreviewItem")->isChecked());
        preview()->move(preview()->pos() + QPoint(17, 9));
        const QPoint place = preview()->pos();

        preview()->close();
        QVERIFY(!part<QAction>(f, "LivePreviewItem")->isChecked());
        QVERIFY(preview()->stereogram().picture().isEmpty());
        const qint64 rows = preview()->stereogram().rowsRendered();
        edit(Pencil);
        edit(Fill);
        QTest::qWait(50);
        QCOMPARE(preview()->stereogram().rowsRendered(), rows);

        showPreview();
        QCOMPARE(preview()->pos(), place);
        DL_COMPARE_IMAGES(preview()->stereogram().picture().image(),
                          StereogramRenderer::renderAll(f.patternStrip(), f.depthMap()).image());
        part<QAction>(f, "LivePreviewItem")->trigger();
        QVERIFY(preview()->isHidden());
    }

    // Changes reported between two turns of the event loop make one pass; with nothing
    // changed there is none.
    void passesCoalesce()
    {
        showPreview();
        const qint64 passes = preview()->passes();
        QTest::qWait(60);
        QCOMPARE(preview()->passes(), passes);

        QTest::mouseClick(part<QToolButton>(form(), "sbPen"), Qt::LeftButton);
        form().drawingState().CurrentColor = colorref::paletteGrey(200);
        TDrawTool& tool = *form().drawTool();
        tool.MouseDown(20, 20);
        for (int i = 0; i < 30; ++i) {
            tool.MouseMove(20 + 8 * i, 20 + 4 * i);
        }
        tool.MouseUp(260, 140);
        QTRY_VERIFY(preview()->stereogram().upToDate());
        QCOMPARE(preview()->passes(), passes + 1);
    }
};

DEPTHLOOM_TEST_CLASS(LivePreviewTest);
#include "LivePreviewTest.moc"
