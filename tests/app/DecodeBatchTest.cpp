#include "BatchRun.h"
#include "common/ImageCompare.h"
#include "common/TestMain.h"
#include "document/ImageFiles.h"
#include "raster/RasterImage.h"
#include "render/DepthDecoder.h"
#include "render/FineRenderer.h"
#include "render/StereogramRenderer.h"

#include <QTest>

using namespace batchrun;

// --decode from the command line: what it writes, what it prints and what it refuses.
class DecodeBatchTest : public QObject, public BatchFolder
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // A box of grey 120 (8 pixels of shift) on ground, on random strips 70 and 100 wide.
        QImage box(200, 60, QImage::Format_RGB32);
        box.fill(qRgb(56, 56, 56));
        for (int y = 15; y < 45; ++y) {
            std::fill_n(reinterpret_cast<QRgb*>(box.scanLine(y)) + 60, 90, qRgb(120, 120, 120));
        }
        const RasterImage depth(box);
        const RasterImage strip = FineRenderer::randomStrip(60, 4);
        const RasterImage rows =
            StereogramRenderer::renderAll(RasterImage(strip.image().copy(0, 0, 70, 60)), depth);
        QVERIFY(rows.image().save(path("rows.png")));
        QVERIFY(rows.image().save(path("rows.bmp")));
        QVERIFY(FineRenderer::render(strip, depth, {}).image().save(path("fine.png")));
        QImage plain(200, 60, QImage::Format_RGB32);
        plain.fill(qRgb(200, 30, 30));
        QVERIFY(plain.save(path("plain.png")));
        QVERIFY(plain.copy(0, 0, 12, 60).save(path("narrow.png")));
        writeFile(path("kept.bkp"), QByteArray("an earlier depth map"));
    }

    // The depth map is the decoder's, written as --convert writes one; the strip width is
    // printed, said to be found when it was not given.
    void writesTheDepthMap_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("stripWidth");
        QTest::newRow("PNG to height map") << "rows.png"
                                           << "rows-out.bkp" << QStringList{} << 70;
        QTest::newRow("bitmap to PNG") << "rows.bmp"
                                       << "rows-out.png" << QStringList{} << 70;
        QTest::newRow("fine picture, strip width given")
            << "fine.png"
            << "fine-out.png" << QStringList{"--strip-width", "100"} << 100;
    }
    void writesTheDepthMap()
    {
        QFETCH(QString, picture);
        QFETCH(QString, output);
        QFETCH(QStringList, options);
        QFETCH(int, stripWidth);
        const QString in = m_dir.filePath(picture);
        const QString out = m_dir.filePath(output);
        const Run run = runBatch(QStringList{QStringLiteral("--decode"), in, out} + options);
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QVERIFY(run.err.isEmpty());
        const QString said = QString::fromUtf8(run.out);
        QVERIFY2(said.contains(QStringLiteral("strip width %1 pixels").arg(stripWidth)),
                 qPrintable(said));
        QCOMPARE(said.contains(QStringLiteral("found")), options.isEmpty());

        RasterImage written;
        QString error;
        QVERIFY2(loadDepthMap(written, out, &error), qPrintable(error));
        DepthDecoder::Result expected;
        QVERIFY(DepthDecoder::decode(QImage(in), stripWidth, &expected, &error));
        DL_COMPARE_IMAGES(written.image(), expected.depthMap.image());
        QCOMPARE(written.pixel(5, 5), colorref::grey(56));
        QCOMPARE(written.pixel(105, 30), colorref::grey(120));
    }

    // Bad input: one line naming the file and the reason, and no output written.
    void refuses_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("mentioned");
        QTest::addColumn<int>("exitCode");
        const QString decode = QStringLiteral("--decode");
        const QString out = path("kept.bkp");
        QTest::newRow("plain colour") << QStringList{decode, path("plain.png"), out}
                                      << QStringList{path("plain.png"), "plain colour"} << 1;
        QTest::newRow("too small") << QStringList{decode, path("narrow.png"), out}
                                   << QStringList{path("narrow.png"), "too small"} << 1;
        QTest::newRow("missing picture")
            << QStringList{decode, path("nope.png"), out} << QStringList{path("nope.png")} << 1;
        QTest::newRow("strip width too wide")
            << QStringList{decode, path("rows.png"), out, "--strip-width", "150"}
            << QStringList{path("rows.png"), "does not fit"} << 1;
        QTest::newRow("output is the picture")
            << QStringList{decode, path("rows.png"), path("rows.png")}
            << QStringList{path("rows.png"), "same file"} << 1;
        QTest::newRow("strip width not a number")
            << QStringList{decode, path("rows.png"), out, "--strip-width", "wide"}
            << QStringList{"--strip-width", "wide"} << 2;
        QTest::newRow("one file") << QStringList{decode, path("rows.png")}
                                  << QStringList{"--decode", "PICTURE DEPTH_OUT"} << 2;
    }
    void refuses()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, mentioned);
        QFETCH(int, exitCode);
        const QByteArray before = readAll(path("rows.png"));
        verifyRefusal(runBatch(args), exitCode, mentioned);
        QCOMPARE(readAll(path("kept.bkp")), QByteArray("an earlier depth map"));
        QCOMPARE(readAll(path("rows.png")), before);
    }
};

DEPTHLOOM_TEST_CLASS(DecodeBatchTest);
#include "DecodeBatchTest.moc"
