#include "WindowFixture.h"
#include "common/FindPart.h"
#include "common/TestMain.h"
#include "render/DepthDecoder.h"
#include "render/FineRenderer.h"
#include "render/StereogramRenderer.h"

#include <QAction>
#include <QMenu>

// File > Recover Depth Map: a 3D picture read back into both panes, after the one question
// about unsaved work; a picture that is no stereogram replaces nothing.
class RecoverDepthTest : public QObject, public WindowFixture
{
    Q_OBJECT

    using Choice = Prompts::SaveChoice;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // Grey 120 (8 pixels of shift) on ground, on a random strip 80 wide.
        QImage depth(240, 90, QImage::Format_RGB32);
        depth.fill(qRgb(56, 56, 56));
        for (int y = 20; y < 70; ++y) {
            std::fill_n(reinterpret_cast<QRgb*>(depth.scanLine(y)) + 70, 100, qRgb(120, 120, 120));
        }
        const RasterImage strip(FineRenderer::randomStrip(90, 8).image().copy(0, 0, 80, 90));
        QVERIFY(StereogramRenderer::renderAll(strip, RasterImage(depth))
                    .image()
                    .save(path("picture.bmp")));
        QImage plain(240, 90, QImage::Format_RGB32);
        plain.fill(qRgb(10, 90, 200));
        QVERIFY(plain.save(path("plain.png")));
    }
    void init() { openWindow(); }
    void cleanup() { closeWindow(); }

    void recovers_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("painted");
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("asked"); // the log after the open dialog, joined
        QTest::addColumn<bool>("replaced");
        QTest::newRow("nothing unsaved")
            << "picture.bmp" << false << int(Choice::Cancel) << "" << true;
        QTest::newRow("unsaved, discard")
            << "picture.bmp" << true << int(Choice::Discard)
            << "SaveChanges: The pattern strip has unsaved changes.\nSave them first?" << true;
        QTest::newRow("unsaved, cancel")
            << "picture.bmp" << true << int(Choice::Cancel)
            << "SaveChanges: The pattern strip has unsaved changes.\nSave them first?" << false;
        QTest::newRow("plain colour") << "plain.png" << true << int(Choice::Discard)
                                      << "Error: Cannot recover a depth map from " +
                                             QDir::toNativeSeparators(path("plain.png")) +
                                             ": the picture is one plain colour, with no "
                                             "pattern to read"
                                      << false;
    }
    void recovers()
    {
        QFETCH(QString, file);
        QFETCH(bool, painted);
        QFETCH(int, choice);
        QFETCH(QString, asked);
        QFETCH(bool, replaced);
        if (painted) {
            form().patternStrip().setPixel(3, 3, colorref::rgb(1, 2, 3));
        }
        const QImage stripBefore = form().patternStrip().image();
        const QImage depthBefore = form().depthMap().image();
        m_prompts.files = {path(qPrintable(file))};
        m_prompts.saveChoices = {Choice(choice)};
        part<QAction>(form(), "RecoverDepthItem")->trigger();
        QCOMPARE(m_prompts.log.mid(1).join('\n'), asked);
        QVERIFY(m_prompts.log.first().startsWith(QStringLiteral("Open: Bitmap Files")));
        if (!replaced) {
            QCOMPARE(form().patternStrip().image(), stripBefore);
            QCOMPARE(form().depthMap().image(), depthBefore);
            return;
        }
        DepthDecoder::Result expected;
        QString why;
        QVERIFY(DepthDecoder::decode(QImage(path(qPrintable(file))), 0, &expected, &why));
        QCOMPARE(form().patternStrip().image(), expected.patternStrip.image());
        QCOMPARE(form().depthMap().image(), expected.depthMap.image());
        QCOMPARE(form().depthMap().pixel(100, 40), colorref::grey(120));
        QVERIFY(form().document().PatternFileName.isEmpty());
        QVERIFY(form().document().DepthFileName.isEmpty());
        QVERIFY2(part<Panel>(form(), "pnStu")->text().contains(QStringLiteral("strip width 80")),
                 qPrintable(part<Panel>(form(), "pnStu")->text()));
        QTRY_VERIFY(form().isWindowModified());
    }

    // The command is the File menu's last, in both languages.
    void lastInTheFileMenu()
    {
        auto* item = part<QAction>(form(), "RecoverDepthItem");
        QCOMPARE(part<QMenu>(form(), "FileMenu")->actions().last(), item);
        form().Chinese1Click();
        QCOMPARE(item->text(), QStringLiteral("恢复深度图(&D)..."));
        form().English1Click();
        QCOMPARE(item->text(), QStringLiteral("Recover &Depth Map..."));
    }
};

DEPTHLOOM_TEST_CLASS(RecoverDepthTest);
#include "RecoverDepthTest.moc"
