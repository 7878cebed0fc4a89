#include "BatchRun.h"
#include "common/ImageCompare.h"
#include "common/TestMain.h"
#include "document/BatchCommands.h"
#include "document/ImageFiles.h"
#include "raster/RasterImage.h"
#include "render/StereogramRenderer.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QProcess>
#include <QTest>
#include <QThread>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace batchrun;

// Owner, group and others; the "user" flags say what the running account may do.
constexpr QFile::Permissions ReadOnly = QFile::ReadOwner | QFile::ReadGroup;

class BatchCommandTest : public QObject, public BatchFolder
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // A colour strip as PNG and a colour depth picture as BMP, which the command greys.
        QVERIFY(colourStrip(60, 40).save(path("strip.png")));
        QVERIFY(boxDepth(90, 40, QRect(20, 8, 50, 24)).save(path("depth.bmp")));
        writeFile(path("cut.png"), readAll(path("strip.png")).chopped(30));
        QByteArray damaged = readAll(path("strip.png")); // whole, but its check sum fails
        damaged[damaged.indexOf("IDAT") + 10] ^= 0x55;
        writeFile(path("damaged.png"), damaged);
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("sub")));
        for (const char* locked : {"locked.bmp", "locked.bkp"}) {
            writeFile(path(locked), QByteArray("an earlier picture"));
            QVERIFY(QFile::setPermissions(path(locked), ReadOnly));
        }
        QCOMPARE(::mkfifo(QFile::encodeName(path("fifo.bmp")).constData(), 0600), 0);
        QVERIFY(QFile::link(path("depth.bmp"), path("depth-link.bmp")));
        QCOMPARE(::link(QFile::encodeName(path("strip.png")).constData(),
                        QFile::encodeName(path("strip-hard.png")).constData()),
                 0);
    }

    void make3dWritesThePicture_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QByteArray>("magic");
        QTest::newRow("bitmap") << QStringLiteral("out.bmp") << QByteArray("BM");
        QTest::newRow("unknown extension is a bitmap")
            << QStringLiteral("out.3d") << QByteArray("BM");
        QTest::newRow("png") << QStringLiteral("out.png") << QByteArray("\x89PNG");
    }
    void make3dWritesThePicture()
    {
        QFETCH(QString, output);
        QFETCH(QByteArray, magic);
        const QString outPath = m_dir.filePath(output);
        const Run run =
            runBatch({QStringLiteral("--make3d"), path("strip.png"), path("depth.bmp"), outPath});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QVERIFY(run.err.isEmpty());
        QVERIFY(readAll(outPath).startsWith(magic));

        RasterImage strip;
        QVERIFY(strip.load(path("strip.png")));
        RasterImage depth;
        QVERIFY(LoadGreyBitmap(depth, path("depth.bmp")));
        QCOMPARE(depth.pixel(20, 8), colorref::grey(126));
        const RasterImage expected = StereogramRenderer::renderAll(strip, depth);
        QImage written;
        QVERIFY(written.load(outPath));
        DL_COMPARE_IMAGES(written, expected.image());
    }

    // The batch command makes the editor's picture from every kind of depth map file: Open
    // turns it grey as (blue + green + red) div 3, Make 3D renders it, and the file holds a
    // bitmap byte for byte as Qt writes it, or a PNG of the same pixels. Depth widths 90 to 93
    // give every padding of a 24-bit bitmap row.
    void make3dOutputUnchanged_data()
    {
        QTest::addColumn<QImage>("depth");
        QTest::addColumn<QString>("depthName");
        QTest::addColumn<QString>("output");
        const int h = 40;
        QImage grey(92, h, QImage::Format_Grayscale8);
        QImage grey16(91, h, QImage::Format_Grayscale16);
        QImage colour(93, h, QImage::Format_RGB32);
        QImage clear(90, h, QImage::Format_ARGB32);
        QImage palette(91, h, QImage::Format_Indexed8);
        for (int i = 0; i < 16; ++i) {
            palette.setColor(i, qRgb(i * 16, 255 - i * 9, (i * 77) % 256));
        }
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < 93; ++x) {
                const QRgb c = qRgb(x * 11 % 256, y * 53 % 256, x * y * 7 % 256);
                if (x < 92) {
                    grey.scanLine(y)[x] = uchar(56 + (x / 9 + y / 7) * 19 % 200);
                }
                if (x < 91) {
                    reinterpret_cast<quint16*>(grey16.scanLine(y))[x] = quint16(x * y * 263 + x);
                    palette.scanLine(y)[x] = uchar((x / 5 + y / 3) % 16);
                }
                if (x < 90) {
                    reinterpret_cast<QRgb*>(clear.scanLine(y))[x] =
                        qRgba(qRed(c), qGreen(c), qBlue(c), x * 37 % 256);
                }
                reinterpret_cast<QRgb*>(colour.scanLine(y))[x] = c;
            }
        }
        const auto row = [](const char* tag, const QImage& depth, const char* depthName,
                            const char* output) {
            QTest::newRow(tag) << depth << QString::fromLatin1(depthName)
                               << QString::fromLatin1(output);
        };
        row("8-bit grey PNG to bitmap", grey, "grey.png", "grey.bmp");
        row("8-bit grey PNG to PNG", grey, "grey.png", "grey-out.png");
        row("16-bit grey PNG to bitmap", grey16, "grey16.png", "grey16.bmp");
        row("colour bitmap to bitmap", colour, "colour.bmp", "colour-out.bmp");
        row("colour bitmap to PNG", colour, "colour.bmp", "colour.png");
        row("transparent PNG to bitmap", clear, "clear.png", "clear.bmp");
        row("palette bitmap to bitmap", palette, "palette.bmp", "palette-out.bmp");
        row("palette bitmap to PNG", palette, "palette.bmp", "palette.png");
    }
    void make3dOutputUnchanged()
    {
        QFETCH(QImage, depth);
        QFETCH(QString, depthName);
        QFETCH(QString, output);
        const QString depthPath = m_dir.filePath(depthName);
        const QString outPath = m_dir.filePath(output);
        QVERIFY(depth.save(depthPath));
        QCOMPARE(QImage(depthPath).format(), depth.format()); // the kind of file the row names

        RasterImage greys{QImage(depthPath)}; // as decoded, laid over white
        for (int y = 0; y < greys.height(); ++y) {
            QRgb* row = greys.scanLine(y);
            for (int x = 0; x < greys.width(); ++x) {
                const int v = (qBlue(row[x]) + qGreen(row[x]) + qRed(row[x])) / 3;
                row[x] = qRgb(v, v, v);
            }
        }
        RasterImage opened;
        QVERIFY(loadDepthMap(opened, depthPath));
        DL_COMPARE_IMAGES(opened.image(), greys.image());

        RasterImage strip;
        QVERIFY(strip.load(path("strip.png")));
        const QImage expected = StereogramRenderer::renderAll(strip, greys).image();
        const QString error = make3dFiles(path("strip.png"), depthPath, outPath);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        if (output.endsWith(QLatin1String(".bmp"))) {
            QByteArray qtBitmap;
            QBuffer buffer(&qtBitmap);
            QVERIFY(buffer.open(QIODevice::WriteOnly) &&
                    QImageWriter(&buffer, "bmp").write(expected));
            QCOMPARE(readAll(outPath), qtBitmap);
            return;
        }
        QVERIFY(readAll(outPath).startsWith("\x89PNG"));
        const QImage written(outPath);
        DL_COMPARE_IMAGES(written, expected);
    }

    // A file that cannot be written whole ends the command with the system's reason, and the
    // earlier output stays, with nothing half-written beside it.
    void writeFailureKeepsTheOutput_data()
    {
        QTest::addColumn<QString>("output");
        QTest::newRow("bitmap") << QStringLiteral("unwritten.bmp");
        QTest::newRow("PNG") << QStringLiteral("unwritten.png");
        QTest::newRow("JPEG, by Qt's writer") << QStringLiteral("unwritten.jpg");
    }
    void writeFailureKeepsTheOutput()
    {
        QFETCH(QString, output);
        const QString outPath = m_dir.filePath(output);
        const QByteArray earlier("an earlier picture");
        writeFile(outPath, earlier);
        // Files may grow to 1 KiB; past that a write fails instead of raising a signal.
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit saved = {};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit small{1024, saved.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &small);
        const QString error = make3dFiles(path("strip.png"), path("depth.bmp"), outPath);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        QVERIFY2(error.contains(outPath) && error.contains(QLatin1String("too large")),
                 qPrintable(error));
        QCOMPARE(readAll(outPath), earlier);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files).filter(output), QStringList{output});
    }

    // Bad input: one line on standard error naming the culprit, a non-zero exit, and the
    // output file exactly as it was.
    void badInput_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("mentioned");
        QTest::addColumn<int>("exitCode");
        const QString make3d = QStringLiteral("--make3d");
        const QString out = path("kept.bmp");
        const auto row = [](const char* tag, const QStringList& args, const QStringList& mentioned,
                            int exitCode = 1) {
            QTest::newRow(tag) << args << mentioned << exitCode;
        };
        row("missing pattern", {make3d, path("nope.bmp"), path("depth.bmp"), out},
            {path("nope.bmp"), "no such file"});
        row("unreadable depth", {make3d, path("strip.png"), path("garbage.bmp"), out},
            {path("garbage.bmp")});
        row("output folder missing",
            {make3d, path("strip.png"), path("depth.bmp"), path("no/such/out.bmp")},
            {path("no/such/out.bmp")});
        row("too few arguments", {make3d, path("strip.png"), out}, {make3d}, 2);
        row("unknown option", {QStringLiteral("--frobnicate"), out}, {"--frobnicate"}, 2);
        row("FIFO as depth map", {make3d, path("strip.png"), path("fifo.bmp"), out},
            {path("fifo.bmp"), "is not a regular file"});
        row("PNG cut short", {make3d, path("cut.png"), path("depth.bmp"), out}, {path("cut.png")});
        // libpng prints an error of its own for it, which must not show.
        row("PNG damaged", {make3d, path("damaged.png"), path("depth.bmp"), out},
            {path("damaged.png")});
        row("output is the depth map by another path",
            {make3d, path("strip.png"), path("depth.bmp"), path("sub/../depth.bmp")},
            {path("sub/../depth.bmp"), "same file"});
        row("output is a hard link to the strip",
            {make3d, path("strip.png"), path("depth.bmp"), path("strip-hard.png")},
            {path("strip-hard.png"), "same file"});
        row("read-only output", {make3d, path("strip.png"), path("depth.bmp"), path("locked.bmp")},
            {path("locked.bmp"), "read-only"});
        row("read-only height map",
            {QStringLiteral("--convert"), path("depth.bmp"), path("locked.bkp")},
            {path("locked.bkp"), "read-only"});
        row("format it cannot write", {make3d, path("strip.png"), path("depth.bmp"), path("o.gif")},
            {path("o.gif"), "GIF"});
        row("convert to a format it cannot write",
            {QStringLiteral("--convert"), path("depth.bmp"), path("o.tif")},
            {path("o.tif"), "TIF"});
        row("convert onto a link to its input",
            {QStringLiteral("--convert"), path("depth.bmp"), path("depth-link.bmp")},
            {path("depth-link.bmp"), "same file"});
        // A device, FIFO or socket is refused before any input is read, so not for the input.
        row("output is a FIFO", {make3d, path("nope.bmp"), path("depth.bmp"), path("fifo.bmp")},
            {path("fifo.bmp"), "is not a regular file"});
        row("convert onto a FIFO",
            {QStringLiteral("--convert"), path("nope.bkp"), path("fifo.bmp")},
            {path("fifo.bmp"), "is not a regular file"});
        row("newline and escape sequence in a name",
            {make3d, path("new\nline\x1b[2J.bmp"), path("depth.bmp"), out},
            {"new\\nline\\x1b[2J.bmp", "no such file"});
    }
    void badInput()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, mentioned);
        QFETCH(int, exitCode);
        writeFile(path("garbage.bmp"), QByteArray("BM\x10\x00 not really", 14));
        const QByteArray earlier("an earlier picture");
        writeFile(path("kept.bmp"), earlier);

        const Run run = runBatch(args);
        QCOMPARE(run.exitCode, exitCode);
        const QString message = QString::fromUtf8(run.err);
        QCOMPARE(message.count(QLatin1Char('\n')), 1);
        for (const QString& text : mentioned) {
            QVERIFY2(message.contains(text), qPrintable(message));
        }
        QCOMPARE(readAll(path("kept.bmp")), earlier);
        for (const char* locked : {"locked.bmp", "locked.bkp"}) {
            QCOMPARE(readAll(path(locked)), earlier);
            QCOMPARE(QFile::permissions(path(locked)) & 0x7077, ReadOnly);
        }
        for (const char* refused : {"no/such/out.bmp", "o.gif", "o.tif"}) {
            QVERIFY(!QFile::exists(path(refused)));
        }
        struct stat fifo = {};
        QVERIFY(::lstat(QFile::encodeName(path("fifo.bmp")).constData(), &fifo) == 0 &&
                S_ISFIFO(fifo.st_mode));
        // Nothing half-written is left beside the output.
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files).filter(QStringLiteral("locked")).size(),
                 2);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files).filter(QStringLiteral("kept")).size(),
                 1);
    }

    // A depth map through a height-map file renders as the bitmap it came from, alone and
    // through a project file; --convert writes both kinds of file.
    void heightMapsAndProjects()
    {
        Run run = runBatch({QStringLiteral("--convert"), path("depth.bmp"), path("depth.BKP")});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QVERIFY(readAll(path("depth.BKP")).startsWith("HM"));
        run = runBatch({QStringLiteral("--convert"), path("depth.BKP"), path("back.png")});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QImage exported;
        QVERIFY(exported.load(path("back.png")));
        QCOMPARE(exported.pixel(20, 8), qRgb(126, 126, 126));

        run = runBatch({QStringLiteral("--make3d"), path("strip.png"), path("depth.bmp"),
                        path("from-bitmap.bmp")});
        QCOMPARE(run.exitCode, 0);
        run = runBatch({QStringLiteral("--make3d"), path("strip.png"), path("depth.BKP"),
                        path("from-bkp.bmp")});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QCOMPARE(readAll(path("from-bkp.bmp")), readAll(path("from-bitmap.bmp")));

        // A project written by hand, Windows style, with a comment and another section.
        writeFile(path("cube.3dp"), QStringLiteral("; made elsewhere\r\n[Other]\r\nLayFile=x\r\n"
                                                   "[files]\r\n  layfile = %1\r\nBackFile=%2\r\n")
                                        .arg(path("strip.png"), path("depth.BKP"))
                                        .toUtf8());
        run = runBatch({QStringLiteral("--make3d"), path("cube.3dp"), path("from-project.bmp")});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QCOMPARE(readAll(path("from-project.bmp")), readAll(path("from-bitmap.bmp")));

        // Relative names mean files beside the project, whatever the working folder.
        writeFile(path("relative.3dp"), "[Files]\r\nLayFile=strip.png\r\nBackFile=./depth.BKP\r\n");
        run = runBatch({QStringLiteral("--make3d"), path("relative.3dp"), path("relative.bmp")});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QCOMPARE(readAll(path("relative.bmp")), readAll(path("from-bitmap.bmp")));
    }

    void badHeightMapsAndProjects_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("mentioned");
        const QString out = path("kept.bmp");
        QTest::newRow("truncated height map")
            << QStringList{QStringLiteral("--make3d"), path("strip.png"), path("cut.bkp"), out}
            << path("cut.bkp");
        QTest::newRow("convert a truncated height map")
            << QStringList{QStringLiteral("--convert"), path("cut.bkp"), out} << path("cut.bkp");
        QTest::newRow("missing project")
            << QStringList{QStringLiteral("--make3d"), path("none.3dp"), out} << path("none.3dp");
        QTest::newRow("text file as a project")
            << QStringList{QStringLiteral("--make3d"), path("notes.3dp"), out}
            << path("notes.3dp") + QStringLiteral(": it has no [Files] section");
        QTest::newRow("project without a depth map")
            << QStringList{QStringLiteral("--make3d"), path("half.3dp"), out}
            << QStringLiteral("BackFile");
    }
    void badHeightMapsAndProjects()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, mentioned);
        writeFile(path("cut.bkp"), QByteArray("HM\x02\x00\x02\x00\x02\x09", 8));
        writeFile(path("half.3dp"), "[Files]\nLayFile=strip.png\n");
        writeFile(path("notes.3dp"), "LayFile=strip.png\nBackFile=depth.bmp\n");
        const QByteArray earlier("an earlier picture");
        writeFile(path("kept.bmp"), earlier);
        const Run run = runBatch(args);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err.count('\n'), 1);
        QVERIFY2(QString::fromUtf8(run.err).contains(mentioned), run.err.constData());
        QCOMPARE(readAll(path("kept.bmp")), earlier);
    }

    // A strip shorter than the depth map repeats without a word; a 3D picture too large for
    // memory is an error like any other.
    void shortStripAndHugePicture()
    {
        QImage tall(90, 70, QImage::Format_RGB32);
        tall.fill(qRgb(150, 150, 150));
        QVERIFY(tall.save(path("tall.bmp")));
        Run run = runBatch(
            {QStringLiteral("--make3d"), path("strip.png"), path("tall.bmp"), path("short.bmp")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QByteArray());
        RasterImage strip;
        RasterImage depth;
        QVERIFY(strip.load(path("strip.png")) && depth.load(path("tall.bmp")));
        QImage written;
        QVERIFY(written.load(path("short.bmp")));
        DL_COMPARE_IMAGES(written, StereogramRenderer::renderAll(strip, depth).image());

        // 60000 columns of strip beside a depth map 60000 rows high: 14 GB of 3D picture.
        QImage wide(60000, 1, QImage::Format_RGB32);
        wide.fill(Qt::red);
        QVERIFY(wide.save(path("wide.bmp")));
        writeFile(path("high.bkp"),
                  QByteArray("HM\x01\x00\x60\xea", 6) + QByteArray(120000, '\x01'));
        run = runBatch(
            {QStringLiteral("--make3d"), path("wide.bmp"), path("high.bkp"), path("huge.bmp")},
            rlim_t(2) << 30);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err.count('\n'), 1);
        QVERIFY2(run.err.contains("huge.bmp") && run.err.contains("memory"), run.err.constData());
    }

    // Past a file-size limit every writer fails with the system's reason, and the program is
    // not ended by SIGXFSZ.
    void fileSizeLimit_data()
    {
        QTest::addColumn<QStringList>("args");
        const QString make3d = QStringLiteral("--make3d");
        QTest::newRow("bitmap") << QStringList{make3d, path("strip.png"), path("depth.bmp"),
                                               path("limited.bmp")};
        QTest::newRow("PNG") << QStringList{make3d, path("strip.png"), path("depth.bmp"),
                                            path("limited.png")};
        QTest::newRow("height map")
            << QStringList{QStringLiteral("--convert"), path("depth.bmp"), path("limited.bkp")};
    }
    void fileSizeLimit()
    {
        QFETCH(QStringList, args);
        const QByteArray earlier("an earlier picture");
        writeFile(args.last(), earlier);
        const Run run = runBatch(args, 100, RLIMIT_FSIZE);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(QFile::encodeName(args.last())) &&
                     run.err.contains("File too large"),
                 run.err.constData());
        QCOMPARE(readAll(args.last()), earlier);
    }

    // A height-map file that another program cuts short while it is read ends the command with
    // a message, or not at all; reading it through a memory map, the program died of SIGBUS.
    void heightMapCutShortWhileRead()
    {
        const QString big = path("big.bkp");
        // 16000 x 16000: 62 runs of 255 and one of 190 to a row, 2 MB for 1 GB of pixels.
        const QByteArray row = QByteArray("\xff\x3a", 2).repeated(62) + QByteArray("\xbe\x3a", 2);
        const QByteArray bytes = QByteArray("HM\x80\x3e\x80\x3e", 6) + row.repeated(16000);
        for (const int delay : {100, 300, 600}) {
            writeFile(big, bytes);
            QProcess process;
            process.start(QStringLiteral(DEPTHLOOM_EXE),
                          {QStringLiteral("--convert"), big, path("big-out.bkp")});
            QVERIFY(process.waitForStarted());
            QThread::msleep(delay);
            QVERIFY(QFile::resize(big, 1000));
            QVERIFY(process.waitForFinished(60000));
            const QByteArray err = process.readAllStandardError();
            QCOMPARE(process.exitStatus(), QProcess::NormalExit);
            QVERIFY2(process.exitCode() == 0 ||
                         (process.exitCode() == 1 && err.contains("big.bkp")),
                     err.constData());
        }
    }

    void helpAndVersion()
    {
        const Run help = runBatch({QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.contains("--make3d PATTERN DEPTH OUTPUT"));
        const Run version = runBatch({QStringLiteral("--version")});
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(version.out, QByteArray("depthloom " DEPTHLOOM_VERSION "\n"));
        // --verbose lets the libraries' own messages through.
        const Run verbose = runBatch({QStringLiteral("--verbose"), QStringLiteral("--make3d"),
                                      path("damaged.png"), path("depth.bmp"), path("v.bmp")});
        QCOMPARE(verbose.exitCode, 1);
        QVERIFY2(verbose.err.contains("libpng"), verbose.err.constData());
    }
};

DEPTHLOOM_TEST_CLASS(BatchCommandTest);
#include "BatchCommandTest.moc"
