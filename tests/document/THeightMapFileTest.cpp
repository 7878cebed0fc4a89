#include "document/THeightMapFile.h"

#include "common/FileSizeLimit.h"
#include "common/HostilePaths.h"
#include "common/ImageCompare.h"
#include "common/TestMain.h"
#include "document/TMy3DFile.h"
#include "files/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

RasterImage greyRow(const QList<int>& greys)
{
    RasterImage image(int(greys.size()), 1);
    for (int x = 0; x < greys.size(); ++x) {
        image.setPixel(x, 0, colorref::grey(greys[x]));
    }
    return image;
}

RasterImage flat(int width, int height, int grey)
{
    RasterImage image;
    image.brush().color = colorref::grey(grey);
    image.setSize(width, height);
    return image;
}

RasterImage noise(int width, int height)
{
    QRandomGenerator random(7);
    RasterImage image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, colorref::grey(random.bounded(256)));
        }
    }
    return image;
}

QByteArray header(int width, int height)
{
    const char bytes[] = {
        'H', 'M', char(width & 0xFF), char(width >> 8), char(height & 0xFF), char(height >> 8)};
    return QByteArray(bytes, 6);
}

QByteArray runs(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (const int v : values) {
        bytes.append(char(v));
    }
    return bytes;
}

} // namespace

class THeightMapFileTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void encoding_data()
    {
        QTest::addColumn<QByteArray>("picture"); // as rows of runs, decoded by the test itself
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("10 10 200") << runs({10, 10, 200}) << header(3, 1) + runs({2, 10, 1, 200});
        QTest::newRow("255 equal pixels")
            << QByteArray(255, char(58)) << header(255, 1) + runs({255, 58});
        QTest::newRow("256 equal pixels")
            << QByteArray(256, char(58)) << header(256, 1) + runs({255, 58, 1, 58});
        QTest::newRow("600 of the ground grey")
            << QByteArray(600, char(58)) << header(600, 1) + runs({255, 58, 255, 58, 90, 58});
        QTest::newRow("alternating")
            << runs({1, 2, 1, 2}) << header(4, 1) + runs({1, 1, 1, 2, 1, 1, 1, 2});
    }
    void encoding()
    {
        QFETCH(QByteArray, picture);
        QFETCH(QByteArray, expected);
        QList<int> greys;
        for (const char c : picture) {
            greys << uchar(c);
        }
        QCOMPARE(THeightMapFile::encode(greyRow(greys)), expected);
    }

    void roundTrip()
    {
        QTemporaryDir dir;
        QRandomGenerator random(5);
        RasterImage picture(300, 40);
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 300; ++x) {
                // Long runs with an occasional step, so runs both end early and reach 255.
                picture.setPixel(x, y, colorref::grey(random.bounded(50) == 0 ? 90 : 58 + y));
            }
        }
        picture.setPixel(299, 39, colorref::rgb(200, 100, 30)); // stored as its blue, 30
        const QString path = dir.filePath(QStringLiteral("map.bkp"));
        THeightMapFile writer;
        QString error;
        QVERIFY2(writer.save(path, picture, &error), qPrintable(error));

        THeightMapFile reader;
        QVERIFY2(reader.load(path, &error), qPrintable(error));
        QCOMPARE(reader.clipRect(), QRect(0, 0, 300, 40));
        QCOMPARE(reader.picture().pixel(299, 39), colorref::grey(30));
        QCOMPARE(reader.picture().palette(), greypalette::make());
        picture.setPixel(299, 39, colorref::grey(30));
        DL_COMPARE_IMAGES(reader.picture().image(), picture.image());
    }

    // Crafted hostile files: each is refused with a reason, or read without going outside the
    // picture, and never costs more than the file's own size.
    void hostileFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QByteArray>("firstRow"); // greys of row 0 when accepted
        QTest::newRow("empty") << QByteArray() << false << QByteArray();
        QTest::newRow("short header") << header(3, 1).left(5) << false << QByteArray();
        QTest::newRow("lower-case mark")
            << QByteArray("hm") + header(1, 1).mid(2) + runs({1, 9}) << false << QByteArray();
        QTest::newRow("zero width") << header(0, 4) << false << QByteArray();
        QTest::newRow("zero height") << header(4, 0) + runs({4, 9}) << false << QByteArray();
        QTest::newRow("huge header in 26 bytes")
            << header(65535, 65535) + QByteArray(20, '\xff') << false << QByteArray();
        QTest::newRow("truncated rows")
            << header(4, 3) + runs({4, 9, 4, 9, 2, 9}) << false << QByteArray();
        QTest::newRow("ends inside a record")
            << header(4, 1) + runs({3, 9, 1}) << false << QByteArray();
        QTest::newRow("over-long run is cut at the row's end")
            << header(3, 2) + runs({200, 7, 3, 8}) << true << runs({7, 7, 7});
        QTest::newRow("zero counts set nothing")
            << header(2, 1) + runs({0, 99, 0, 98, 2, 5}) << true << runs({5, 5});
        QTest::newRow("bytes after the last row are ignored")
            << header(1, 1) + runs({1, 4, 9, 9}) << true << runs({4});
    }
    void hostileFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, accepted);
        QFETCH(QByteArray, firstRow);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("hostile.bkp"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();

        THeightMapFile reader;
        QString error;
        QCOMPARE(reader.load(path, &error), accepted);
        if (!accepted) {
            QVERIFY(reader.picture().isEmpty());
            QVERIFY2(error.contains(QStringLiteral("hostile.bkp")), qPrintable(error));
            return;
        }
        for (int x = 0; x < firstRow.size(); ++x) {
            QCOMPARE(reader.picture().pixel(x, 0), colorref::grey(uchar(firstRow[x])));
        }
    }

    // A name from a project file or another program may lead anywhere. Height maps and project
    // files read only regular files: the rest is refused at once, naming the file and the reason.
    void hostilePaths_data()
    {
        QTest::addColumn<QString>("reason");
        QTest::newRow(qPrintable(hostile::Folder)) << QStringLiteral("is a directory");
        QTest::newRow(qPrintable(hostile::Fifo)) << QStringLiteral("is not a regular file");
        QTest::newRow(qPrintable(hostile::DevZero)) << QStringLiteral("is not a regular file");
        QTest::newRow(qPrintable(hostile::Missing)) << QStringLiteral("no such file");
        QTest::newRow(qPrintable(hostile::NulInName)) << QStringLiteral("contains a NUL");
    }
    void hostilePaths()
    {
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        const QString path = hostile::makePath(dir, tag, QStringLiteral("hostile.bkp"));
        QVERIFY(!path.isEmpty());
        const auto refused = [&](const QString& error) {
            return error.contains(path) && error.contains(reason);
        };
        ::alarm(20); // a blocked open ends the test instead of hanging it
        THeightMapFile map;
        QString error;
        QVERIFY(!map.load(path, &error));
        QVERIFY2(refused(error), qPrintable(error));

        const QString fallback = QStringLiteral("<default>");
        error.clear();
        QCOMPARE(TMy3DFile(path).readString("Files", "LayFile", fallback, &error), fallback);
        QVERIFY2(refused(error), qPrintable(error));

        error.clear();
        const bool written = TMy3DFile(path).writeString("Files", "LayFile", "a.bmp", &error);
        ::alarm(0);
        QCOMPARE(written, tag == hostile::Missing);
        QVERIFY2(written || refused(error), qPrintable(error));
    }

    void tooLargeToLoad()
    {
        // Long enough to describe 65535 x 65535, but 16 GiB of pixels are not allocated.
        const QByteArray bytes = header(65535, 65535) + QByteArray(65535 * 258 * 2, '\xff');
        THeightMapFile reader;
        QString reason;
        QVERIFY(!reader.decode(bytes, &reason));
        QVERIFY2(reason.contains(QStringLiteral("too large")), qPrintable(reason));
    }

    void saveFailures()
    {
        QTemporaryDir dir;
        const QString earlier = dir.filePath(QStringLiteral("kept.bkp"));
        THeightMapFile file;
        QVERIFY(file.save(earlier, flat(4, 4, 58)));
        QFile check(earlier);
        QVERIFY(check.open(QIODevice::ReadOnly));
        const QByteArray before = check.readAll();
        check.close();

        QString error;
        QVERIFY(!file.save(earlier, flat(65536, 1, 58), &error));
        QVERIFY2(error.contains(QStringLiteral("65535")), qPrintable(error));
        QVERIFY(!file.save(earlier, RasterImage(), &error));
        QVERIFY2(error.contains(QStringLiteral("kept.bkp")), qPrintable(error));
        QVERIFY(check.open(QIODevice::ReadOnly));
        QCOMPARE(check.readAll(), before);
        check.close();

        const QString missing = dir.filePath(QStringLiteral("no/such/map.bkp"));
        QVERIFY(!file.save(missing, flat(4, 4, 58), &error));
        QVERIFY2(error.contains(QDir::toNativeSeparators(missing)), qPrintable(error));
        QVERIFY(!file.save(dir.path(), flat(4, 4, 58), &error)); // the target is a folder
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("kept.bkp")});

        // A full disk or a file-size limit gives the system's reason.
        {
            const FileSizeLimit limit(1024);
            QVERIFY(!file.save(earlier, noise(64, 64), &error));
        }
        QVERIFY2(error.contains(QStringLiteral("kept.bkp: File too large")), qPrintable(error));
        QVERIFY(check.open(QIODevice::ReadOnly));
        QCOMPARE(check.readAll(), before);
    }

    // A file that another program cuts short between its size being taken and its reading is
    // refused; a mapped file would have killed the program with SIGBUS instead.
    void cutShortWhileRead()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("shrinking.bkp"));
        QVERIFY(THeightMapFile().save(path, noise(300, 200)));
        const qint64 size = QFileInfo(path).size();
        RegularFile file;
        QString reason;
        QVERIFY(file.open(path, THeightMapFile::MaxFileBytes, &reason));
        QVERIFY(QFile::resize(path, 1000));
        QByteArray bytes;
        QVERIFY(!file.readAll(&bytes, &reason));
        QCOMPARE(reason,
                 QStringLiteral("it was cut short while it was read (1000 of %1 bytes)").arg(size));
    }
};

DEPTHLOOM_TEST_CLASS(THeightMapFileTest);
#include "THeightMapFileTest.moc"
