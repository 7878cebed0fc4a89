#include "WindowFixture.h"
#include "common/FindPart.h"
#include "common/ImageCompare.h"
#include "common/TestMain.h"
#include "mainwindow/EditorToolHost.h"
#include "mainwindow/TForm1.h"
#include "tools/TDrawTool.h"
#include "tools/ToolSelect.h"
#include "widgets/ImageView.h"

#include <QAction>
#include <QClipboard>
#include <QFontInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QTest>
#include <QToolButton>

namespace {

constexpr QRgb White = 0xFFFFFFFF;

void drag(QWidget* view, QPoint from, QPoint to)
{
    QTest::mousePress(view, Qt::LeftButton, {}, from);
    QTest::mouseMove(view, to);
    QTest::mouseRelease(view, Qt::LeftButton, {}, to);
}

} // namespace

// The Edit menu and its speed buttons with the system clipboard, Copy From, the font dialog,
// and what the tools' marks do to saved and renewed pictures.
class EditCommandsTest : public QObject, public WindowFixture
{
    Q_OBJECT

private slots:
    void init()
    {
        openWindow();
        form().patternStrip().setImage(stripPicture());
        QGuiApplication::clipboard()->clear();
    }
    void cleanup() { closeWindow(); }

    // The speed buttons work on the system clipboard; an empty one is reported.
    void systemClipboard()
    {
        TForm1& f = form();
        QTest::mouseClick(part<QToolButton>(f, "sbPaste"), Qt::LeftButton);
        QCOMPARE(m_prompts.log, QStringList{QStringLiteral("Error: No Bitmap in Clipboard!")});

        const QRect picked(10, 20, 30, 15);
        const QImage copied = stripPicture().copy(picked);
        drag(part<ImageView>(f, "Image1"), picked.topLeft(), picked.topLeft() + QPoint(30, 15));
        QTest::mouseClick(part<QToolButton>(f, "sbCopy"), Qt::LeftButton);
        DL_COMPARE_IMAGES(QGuiApplication::clipboard()->image(), copied);
        QGuiApplication::clipboard()->clear();
        QTest::mouseClick(part<QToolButton>(f, "sbCut"), Qt::LeftButton);
        DL_COMPARE_IMAGES(QGuiApplication::clipboard()->image(), copied);
        QCOMPARE(f.patternStrip().image().pixel(picked.center()), White);
        QTest::mouseClick(part<QToolButton>(f, "sbPaste"), Qt::LeftButton);
        QTest::mouseClick(part<ImageView>(f, "Image1"), Qt::LeftButton, {}, QPoint(100, 200));
        DL_COMPARE_IMAGES(f.patternStrip().image().copy(copied.rect()), copied);
        QCOMPARE(m_prompts.log.size(), 1);
    }

    void copyFrom_data()
    {
        QTest::addColumn<QString>("chosen"); // "" for Cancel
        QTest::addColumn<bool>("readable");
        QTest::newRow("picture") << "in.bmp" << true;
        QTest::newRow("unreadable") << "in.bmp" << false;
        QTest::newRow("cancelled") << "" << false;
    }
    void copyFrom()
    {
        QFETCH(QString, chosen);
        QFETCH(bool, readable);
        QImage picture(4, 3, QImage::Format_RGB32);
        picture.fill(qRgb(10, 200, 30));
        const QString file = chosen.isEmpty() ? QString() : m_dir.filePath(chosen);
        if (!file.isEmpty()) {
            QVERIFY(readable ? picture.save(file, "BMP") : writeFile(file, "BM"));
        }
        m_prompts.files = QStringList{file};
        QTest::mouseClick(part<QToolButton>(form(), "sbText"), Qt::LeftButton);
        part<QAction>(form(), "CopyFrom1")->trigger();

        QCOMPARE(m_prompts.log.value(0),
                 QStringLiteral("Chooser: Bitmap Files[*.bmp]|*.bmp|All Files[*.*]|*.*"));
        auto* tool = dynamic_cast<ToolSelect*>(form().drawTool()->currentTool());
        QCOMPARE(tool != nullptr, !file.isEmpty());
        QCOMPARE(tool && tool->Selected, readable);
        QCOMPARE(form().patternStrip().image().pixel(3, 2),
                 readable ? picture.pixel(0, 0) : stripPicture().pixel(3, 2));
        if (readable) {
            DL_COMPARE_IMAGES(QGuiApplication::clipboard()->image(), picture);
        }
        const QString error = m_prompts.log.value(1);
        QVERIFY2(error.isEmpty() == (readable || file.isEmpty()) &&
                     (error.isEmpty() ||
                      (error.startsWith(QStringLiteral("Error: ")) && error.contains(file))),
                 qPrintable(error));
    }

    // The font dialog starts on Arial, bold, 60 pixels, which the system has under another
    // name; its choice becomes both images' drawing font and the text tool's font. The Text
    // menu shows while the text tool is current.
    void font()
    {
        TForm1& f = form();
        QCOMPARE(f.FontDialog1.font.family(), QStringLiteral("Arial"));
        QVERIFY(f.FontDialog1.font.bold());
        QCOMPARE(f.FontDialog1.font.pixelSize(), 60);
        QCOMPARE(f.FontDialog1.color, colorref::Black);
        QCOMPARE(QFontInfo(f.FontDialog1.font).family(), QStringLiteral("Liberation Sans"));

        QVERIFY(!part<QMenu>(f, "Text")->menuAction()->isVisible());
        QTest::mouseClick(part<QToolButton>(f, "sbText"), Qt::LeftButton);
        QVERIFY(part<QMenu>(f, "Text")->menuAction()->isVisible());
        QFont chosen(QStringLiteral("Liberation Serif"));
        chosen.setPixelSize(24);
        m_prompts.fonts = {chosen};
        part<QAction>(f, "Font")->trigger();
        part<QAction>(f, "Font")->trigger(); // unscripted: Cancel keeps the choice
        QCOMPARE(m_prompts.log,
                 (QStringList{QStringLiteral("Font: Arial"),
                              QStringLiteral("Font: Liberation Serif (unscripted)")}));
        QCOMPARE(f.FontDialog1.font, chosen);
        QCOMPARE(f.patternStrip().font().font, chosen);
        QCOMPARE(f.depthMap().font().font, chosen);
        QCOMPARE(f.toolHost().dialogFont(), chosen);
        QTest::mouseClick(part<QToolButton>(f, "sbSelect"), Qt::LeftButton);
        QVERIFY(!part<QMenu>(f, "Text")->menuAction()->isVisible());
    }

    void marksStayOutOfPictures_data()
    {
        QTest::addColumn<bool>("caret"); // else a marquee
        QTest::addColumn<bool>("renew"); // New instead of Save As
        QTest::newRow("marquee, saved") << false << false;
        QTest::newRow("caret, saved") << true << false;
        QTest::newRow("marquee, new picture") << false << true;
        QTest::newRow("caret, new picture") << true << true;
    }
    // A saved picture holds no marquee or caret, and the picture on screen keeps it; a new
    // picture gets none of the old one's.
    void marksStayOutOfPictures()
    {
        QFETCH(bool, caret);
        QFETCH(bool, renew);
        TForm1& f = form();
        if (caret) {
            QTest::mouseClick(part<QToolButton>(f, "sbText"), Qt::LeftButton);
            f.drawTool()->Tick();
        } else {
            drag(part<ImageView>(f, "Image1"), QPoint(10, 10), QPoint(50, 40));
        }
        const QImage marked = f.patternStrip().image();
        QVERIFY(marked != stripPicture());
        if (renew) {
            // The strip's picture is unsaved work, which the user lets go.
            m_prompts.saveChoices = {Prompts::SaveChoice::Discard};
            QTest::mouseClick(part<QToolButton>(f, "sbNew"), Qt::LeftButton);
            f.drawTool()->Tick();
            f.drawTool()->Tick();
            QTest::mouseClick(part<QToolButton>(f, "sbSelect"), Qt::LeftButton);
            QImage white(120, 300, QImage::Format_RGB32);
            white.fill(White);
            DL_COMPARE_IMAGES(f.patternStrip().image(), white);
            return;
        }
        const QString file = path("strip.bmp");
        m_prompts.files = {file};
        QTest::mouseClick(part<QToolButton>(f, "sbSaveAs"), Qt::LeftButton);
        DL_COMPARE_IMAGES(QImage(file).convertToFormat(QImage::Format_RGB32), stripPicture());
        DL_COMPARE_IMAGES(f.patternStrip().image(), marked);
    }
};

DEPTHLOOM_TEST_CLASS(EditCommandsTest);
#include "EditCommandsTest.moc"
