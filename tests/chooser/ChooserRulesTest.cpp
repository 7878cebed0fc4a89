#include "chooser/ChooserRules.h"

#include "common/TestMain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using chooser::PreviewKind;

Q_DECLARE_METATYPE(chooser::PreviewKind)

class ChooserRulesTest : public QObject
{
    Q_OBJECT

private slots:
    void qtNameFilters_data();
    void qtNameFilters();
    void previewKind_data();
    void previewKind();
    void splitTypedPath_data();
    void splitTypedPath();
    void listFiles_data();
    void listFiles();
    void dialogStart_data();
    void dialogStart();
    void applyDefaultSuffix_data();
    void applyDefaultSuffix();

private:
    QTemporaryDir m_dir;
};

void ChooserRulesTest::qtNameFilters_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("chooser's own list")
        << "Bitmap Files[*.bmp]|*.bmp|Back ground[*.bkp]|*.bkp|All Files[*.*]|*.*"
        << QStringList{"Bitmap Files[*.bmp] (*.bmp)", "Back ground[*.bkp] (*.bkp)",
                       "All Files[*.*] (*)"};
    QTest::newRow("several masks")
        << "Pictures|*.bmp;*.dib; *.png" << QStringList{"Pictures (*.bmp *.dib *.png)"};
    QTest::newRow("description without mask is dropped")
        << "3D Project|*.3dp|Orphan" << QStringList{"3D Project (*.3dp)"};
    QTest::newRow("empty description shows the mask") << "|*.bkp" << QStringList{"*.bkp"};
    QTest::newRow("empty mask is dropped") << "Nothing||Maps|*.bkp" << QStringList{"Maps (*.bkp)"};
    QTest::newRow("empty") << "" << QStringList{};
}

void ChooserRulesTest::qtNameFilters()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    QCOMPARE(chooser::qtNameFilters(filter), expected);
}

void ChooserRulesTest::previewKind_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("key");
    QTest::addColumn<PreviewKind>("kind");
    QTest::newRow("bitmap") << "/p/tiger.bmp"
                            << ".BMP" << PreviewKind::Bitmap;
    QTest::newRow("mixed case") << "/p/A.Bmp"
                                << ".BMP" << PreviewKind::Bitmap;
    QTest::newRow("only four characters count") << "/p/a.bmpx"
                                                << ".BMP" << PreviewKind::Bitmap;
    QTest::newRow("last dot counts") << "/p/a.bkp.bmp"
                                     << ".BMP" << PreviewKind::Bitmap;
    QTest::newRow("height map") << "/p/depth.BKP"
                                << ".BKP" << PreviewKind::HeightMap;
    QTest::newRow("short extension") << "/p/a.bm"
                                     << ".BM" << PreviewKind::None;
    QTest::newRow("text") << "/p/notes.txt"
                          << ".TXT" << PreviewKind::None;
    QTest::newRow("whole extension for other formats Qt reads") << "/p/a.JPEG"
                                                                << ".JPE" << PreviewKind::Bitmap;
    QTest::newRow("dot in folder only") << "/p.bmp/file"
                                        << "" << PreviewKind::None;
    QTest::newRow("nothing selected") << ""
                                      << "" << PreviewKind::None;
}

void ChooserRulesTest::previewKind()
{
    QFETCH(QString, path);
    QFETCH(QString, key);
    QFETCH(PreviewKind, kind);
    QCOMPARE(chooser::extensionKey(path), key);
    QCOMPARE(chooser::previewKind(path), kind);
}

void ChooserRulesTest::splitTypedPath_data()
{
    QVERIFY(m_dir.isValid());
    const QString base = m_dir.path();
    QVERIFY(QDir(base).mkpath("sub/deeper"));

    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("name");
    QTest::newRow("mask") << "*.bkp"
                          << ""
                          << "*.bkp"
                          << "";
    QTest::newRow("question mark is a wildcard") << "tiger?.bmp"
                                                 << ""
                                                 << "tiger?.bmp"
                                                 << "";
    QTest::newRow("plain name") << "tiger.bmp"
                                << ""
                                << ""
                                << "tiger.bmp";
    QTest::newRow("relative folder and mask") << "sub/*.bmp" << base + "/sub"
                                              << "*.bmp"
                                              << "";
    QTest::newRow("absolute path") << base + "/sub/tiger.bmp" << base + "/sub"
                                   << ""
                                   << "tiger.bmp";
    QTest::newRow("name of a folder") << "sub" << base + "/sub"
                                      << ""
                                      << "";
    QTest::newRow("parent") << "sub/deeper/../.." << base << ""
                            << "";
    QTest::newRow("folder with slash") << "sub/" << base + "/sub"
                                       << ""
                                       << "";
    QTest::newRow("root") << "/"
                          << "/"
                          << ""
                          << "";
    QTest::newRow("missing folder kept for the caller") << "gone/x.bmp" << base + "/gone"
                                                        << ""
                                                        << "x.bmp";
    QTest::newRow("empty") << ""
                           << ""
                           << ""
                           << "";
}

void ChooserRulesTest::splitTypedPath()
{
    QFETCH(QString, text);
    QFETCH(QString, folder);
    QFETCH(QString, mask);
    QFETCH(QString, name);
    const chooser::TypedPath typed = chooser::splitTypedPath(text, m_dir.path());
    QCOMPARE(typed.folder, folder);
    QCOMPARE(typed.mask, mask);
    QCOMPARE(typed.name, name);
}

void ChooserRulesTest::listFiles_data()
{
    QVERIFY(m_dir.isValid());
    const QDir dir(m_dir.path() + "/list");
    QVERIFY(dir.mkpath("folder.bmp"));
    for (const char* name : {"b.bmp", "A.BMP", "c.Bkp", "README", ".hidden.bmp", "d.bmpx"}) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    // Previewing either would read without end or block.
    QVERIFY(mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0600) == 0);
    QVERIFY(QFile::link(dir.filePath("fifo"), dir.filePath("pipe.bmp")));
    QVERIFY(QFile::link("/dev/zero", dir.filePath("zero.bmp")));
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("case ignored; folders, hidden files, devices and pipes left out")
        << "*.bmp" << QStringList{"A.BMP", "b.bmp"};
    QTest::newRow("all files, also without a dot")
        << "*.*" << QStringList{"A.BMP", "b.bmp", "c.Bkp", "d.bmpx", "README"};
    QTest::newRow("several masks") << "*.bkp;README" << QStringList{"c.Bkp", "README"};
    QTest::newRow("question mark") << "?.bmp?" << QStringList{"d.bmpx"};
    QTest::newRow("nothing matches") << "*.png" << QStringList{};
}

void ChooserRulesTest::listFiles()
{
    QFETCH(QString, mask);
    QFETCH(QStringList, expected);
    QCOMPARE(chooser::listFiles(m_dir.path() + "/list", mask), expected);
    QCOMPARE(chooser::listFiles(m_dir.path() + "/no such folder", mask), QStringList{});
}

void ChooserRulesTest::dialogStart_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("filterIndex");
    QTest::newRow("mask only") << "*.bmp"
                               << ""
                               << "*.bmp"
                               << "" << 0;
    QTest::newRow("mask in a folder") << "/pictures/*.BKP"
                                      << "/pictures"
                                      << "*.BKP"
                                      << "" << 1;
    QTest::newRow("all files") << "*.*"
                               << ""
                               << "*.*"
                               << "" << 2;
    QTest::newRow("mask not in the list") << "*.png"
                                          << ""
                                          << "*.png"
                                          << "" << -1;
    QTest::newRow("full path") << "/pictures/tiger.bmp"
                               << ""
                               << ""
                               << "/pictures/tiger.bmp" << -1;
    QTest::newRow("empty") << ""
                           << ""
                           << ""
                           << "" << -1;
}

void ChooserRulesTest::dialogStart()
{
    QFETCH(QString, fileName);
    QFETCH(QString, folder);
    QFETCH(QString, pattern);
    QFETCH(QString, file);
    QFETCH(int, filterIndex);
    const chooser::DialogStart start = chooser::dialogStart(fileName);
    QCOMPARE(start.folder, folder);
    QCOMPARE(start.pattern, pattern);
    QCOMPARE(start.file, file);
    const auto entries = chooser::parseFilterList(
        "Bitmap Files[*.bmp]|*.bmp|Back ground[*.bkp]|*.bkp|All Files[*.*]|*.*");
    QCOMPARE(chooser::filterIndexForPattern(entries, start.pattern), filterIndex);
}

void ChooserRulesTest::applyDefaultSuffix_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("expected");
    QTest::newRow("added in lower case") << "/a/pic"
                                         << "BMP"
                                         << "/a/pic.bmp";
    QTest::newRow("leading dot") << "/a/pic"
                                 << ".BKP"
                                 << "/a/pic.bkp";
    QTest::newRow("typed extension kept") << "/a/pic.BMP"
                                          << "bmp"
                                          << "/a/pic.BMP";
    QTest::newRow("other extension kept") << "/a/pic.png"
                                          << "BMP"
                                          << "/a/pic.png";
    QTest::newRow("dot in folder only") << "/a.b/pic"
                                        << "BMP"
                                        << "/a.b/pic.bmp";
    QTest::newRow("no suffix") << "/a/pic"
                               << ""
                               << "/a/pic";
    QTest::newRow("folder") << "/a/"
                            << "BMP"
                            << "/a/";
}

void ChooserRulesTest::applyDefaultSuffix()
{
    QFETCH(QString, path);
    QFETCH(QString, suffix);
    QFETCH(QString, expected);
    QCOMPARE(chooser::applyDefaultSuffix(path, suffix), expected);
}

DEPTHLOOM_TEST_CLASS(ChooserRulesTest);
#include "ChooserRulesTest.moc"
