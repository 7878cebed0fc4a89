// The editor's selections on the X clipboard, read and written by another program (xclip).
// Runs in an X server: the test is started under xvfb-run.

#include "WindowFixture.h"
#include "common/FindPart.h"
#include "common/ImageCompare.h"
#include "common/TestMain.h"
#include "widgets/ImageView.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

class ClipboardTest : public QObject, public WindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
                 "run this test under xvfb-run");
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty(),
                 "xclip is not installed");
    }
    void init()
    {
        openWindow();
        form().patternStrip().setImage(stripPicture());
    }
    void cleanup() { closeWindow(); }

    // A copied selection reaches another program as a PNG picture.
    void copyToAnotherProgram()
    {
        const QRect picked(10, 20, 30, 15);
        QTest::mousePress(part<ImageView>(form(), "Image1"), Qt::LeftButton, {}, picked.topLeft());
        QTest::mouseMove(part<ImageView>(form(), "Image1"), picked.topLeft() + QPoint(30, 15));
        QTest::mouseRelease(part<ImageView>(form(), "Image1"), Qt::LeftButton, {},
                            picked.topLeft() + QPoint(30, 15));
        part<QAction>(form(), "EditCopyItem")->trigger();

        QProcess xclip;
        xclip.start(QStringLiteral("xclip"),
                    {QStringLiteral("-selection"), QStringLiteral("clipboard"),
                     QStringLiteral("-t"), QStringLiteral("image/png"), QStringLiteral("-o")});
        // The editor answers xclip from its event loop, which must keep running meanwhile.
        QTRY_VERIFY_WITH_TIMEOUT(xclip.state() == QProcess::NotRunning, 10000);
        QCOMPARE(xclip.exitCode(), 0);
        const QImage received = QImage::fromData(xclip.readAllStandardOutput(), "PNG");
        DL_COMPARE_IMAGES(received, stripPicture().copy(picked));
    }

    // A PNG picture that another program offers is pasted at the top-left corner.
    void pasteFromAnotherProgram()
    {
        QImage offered(5, 4, QImage::Format_RGB32);
        offered.fill(qRgb(200, 30, 60));
        const QString file = path("offered.png");
        QVERIFY(offered.save(file));
        QGuiApplication::clipboard()->clear();
        QVERIFY(!QGuiApplication::clipboard()->mimeData()->hasImage());
        QProcess xclip;
        xclip.start(QStringLiteral("xclip"),
                    {QStringLiteral("-quiet"), QStringLiteral("-selection"),
                     QStringLiteral("clipboard"), QStringLiteral("-t"), QStringLiteral("image/png"),
                     QStringLiteral("-i"), file});
        QVERIFY(xclip.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QGuiApplication::clipboard()->mimeData()->hasImage(), 10000);

        part<QAction>(form(), "EditPasteItem")->trigger();
        QTest::mouseClick(part<ImageView>(form(), "Image1"), Qt::LeftButton, {}, QPoint(100, 200));
        DL_COMPARE_IMAGES(form().patternStrip().image().copy(offered.rect()), offered);
        QCOMPARE(m_prompts.log, QStringList());
        xclip.kill();
        xclip.waitForFinished();
    }
};

DEPTHLOOM_TEST_CLASS(ClipboardTest);
#include "ClipboardTest.moc"
