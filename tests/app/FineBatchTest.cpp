#include "BatchRun.h"
#include "common/ImageCompare.h"
#include "common/TestMain.h"
#include "document/ImageFiles.h"
#include "raster/RasterImage.h"
#include "render/FineRenderer.h"

#include <QFile>
#include <QTest>

using namespace batchrun;

// --make3d --fine and its options, from the command line.
class FineBatchTest : public QObject, public BatchFolder
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // A strip shorter than the depth map, which the finer renderer tiles without a word.
        QVERIFY(colourStrip(60, 30).save(path("strip.png")));
        QVERIFY(boxDepth(90, 50, QRect(20, 10, 50, 30)).save(path("depth.bmp")));
        writeFile(path("cube.3dp"), QStringLiteral("[Files]\r\nLayFile=%1\r\nBackFile=%2\r\n")
                                        .arg(path("strip.png"), path("depth.bmp"))
                                        .toUtf8());
    }

    void writesTheFinePicture_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("oversample");
        QTest::addColumn<bool>("dots");
        const QString fine = QStringLiteral("--fine");
        const QString strip = path("strip.png");
        const QString depth = path("depth.bmp");
        const QString out = path("fine.png");
        QTest::newRow("defaults") << QStringList{fine, strip, depth, out} << 4 << false;
        QTest::newRow("options after the files") << QStringList{strip,
                                                                depth,
                                                                out,
                                                                QStringLiteral("--oversample"),
                                                                QStringLiteral("2"),
                                                                QStringLiteral("--dots"),
                                                                fine}
                                                 << 2 << true;
        QTest::newRow("project") << QStringList{fine, path("cube.3dp"), out} << 4 << false;
    }
    void writesTheFinePicture()
    {
        QFETCH(QStringList, args);
        QFETCH(int, oversample);
        QFETCH(bool, dots);
        const Run result = runBatch(QStringList{QStringLiteral("--make3d")} + args);
        QVERIFY2(result.exitCode == 0, result.err.constData());
        QVERIFY2(result.err.isEmpty(), result.err.constData());
        RasterImage strip;
        RasterImage depth;
        QVERIFY(strip.load(path("strip.png")) && LoadGreyBitmap(depth, path("depth.bmp")));
        QImage written;
        QVERIFY(written.load(path("fine.png")));
        DL_COMPARE_IMAGES(written, FineRenderer::render(strip, depth, {oversample, dots}).image());
    }

    // The word random for the pattern: 100 columns of dots, the same for the same seed.
    void randomPattern()
    {
        const auto make = [this](const char* out, const QStringList& seed) {
            const Run result =
                runBatch(QStringList{QStringLiteral("--make3d"), QStringLiteral("--fine")} + seed +
                         QStringList{QStringLiteral("random"), path("depth.bmp"), path(out)});
            QVERIFY2(result.exitCode == 0, result.err.constData());
        };
        const QStringList seed5{QStringLiteral("--seed"), QStringLiteral("5")};
        make("r1.bmp", seed5);
        make("r2.bmp", seed5);
        make("r3.bmp", {QStringLiteral("--seed"), QStringLiteral("4294967295")});
        make("r4.bmp", {});
        QImage picture;
        QVERIFY(picture.load(path("r1.bmp")));
        QCOMPARE(picture.size(), QSize(FineRenderer::RandomStripWidth + 90, 50));
        QCOMPARE(readAll(path("r2.bmp")), readAll(path("r1.bmp")));
        QVERIFY(readAll(path("r3.bmp")) != readAll(path("r1.bmp")));
        QVERIFY(readAll(path("r4.bmp")) != readAll(path("r1.bmp")));
    }

    // Wrong options are refused as a wrong command line (2), unreadable or overwritten inputs
    // as for --make3d (1); either way one line names the culprit and the output stays.
    void badInput_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("mentioned");
        QTest::addColumn<int>("exitCode");
        const QString strip = path("strip.png");
        const QString depth = path("depth.bmp");
        const QString out = path("kept.bmp");
        const auto row = [&](const char* tag, const QStringList& options,
                             const QStringList& mentioned, int exitCode = 2) {
            QTest::newRow(tag) << QStringList{QStringLiteral("--make3d")} + options << mentioned
                               << exitCode;
        };
        const QString fine = QStringLiteral("--fine");
        const QString oversample = QStringLiteral("--oversample");
        row("oversample 0", {fine, oversample, "0", strip, depth, out}, {oversample, "'0'"});
        row("oversample 17", {fine, oversample, "17", strip, depth, out}, {oversample, "16"});
        row("oversample without a value", {fine, strip, depth, out, oversample}, {oversample});
        row("dots without fine", {"--dots", strip, depth, out}, {"--dots", fine});
        row("seed without random", {fine, "--seed", "3", strip, depth, out}, {"--seed", "random"});
        row("too few files", {fine, strip, out}, {"--make3d"});
        row("missing depth map", {fine, strip, path("none.bmp"), out},
            {path("none.bmp"), "no such file"}, 1);
        row("output is the depth map", {fine, "random", depth, depth}, {depth, "same file"}, 1);
    }
    void badInput()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, mentioned);
        QFETCH(int, exitCode);
        QFile kept(path("kept.bmp"));
        QVERIFY(kept.open(QIODevice::WriteOnly));
        kept.write("an earlier picture");
        kept.close();
        const QByteArray depth = readAll(path("depth.bmp"));
        const Run result = runBatch(args);
        QCOMPARE(result.exitCode, exitCode);
        const QString message = QString::fromUtf8(result.err);
        QCOMPARE(message.count(QLatin1Char('\n')), 1);
        for (const QString& text : mentioned) {
            QVERIFY2(message.contains(text), qPrintable(message));
        }
        QCOMPARE(readAll(path("kept.bmp")), QByteArray("an earlier picture"));
        QCOMPARE(readAll(path("depth.bmp")), depth);
    }
};

DEPTHLOOM_TEST_CLASS(FineBatchTest);
#include "FineBatchTest.moc"
