#include "document/TMy3DFile.h"

#include "common/FileSizeLimit.h"
#include "common/TestMain.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString missing = QStringLiteral("<missing>");

// A project file as written by hand on Windows.
const QByteArray windowsFile = "; Depthloom project\r\n"
                               "[Other]\r\n"
                               "LayFile=wrong section\r\n"
                               "\r\n"
                               "  [ files ]  \r\n"
                               "; Hidden=commented out\r\n"
                               "layfile =  D:\\art\\my leaves;2.bmp  \r\n"
                               "BackFile=C:\\Back\\sky.bmp\r\n"
                               "backfile=second\r\n"
                               "TargetFile=\r\n"
                               "junk line\r\n"
                               "=no key\r\n"
                               "Eq=a=b\r\n"
                               "\r\n"
                               "[Files]\r\n"
                               "Extra=second Files section\r\n";

// A byte array of the whole literal, NULs included.
template <qsizetype N> QByteArray raw(const char (&literal)[N])
{
    return QByteArray(literal, N - 1);
}

QByteArray gbk(const QString& text)
{
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TMy3DFileTest final : public QObject
{
    Q_OBJECT

private slots:
    void readsWindowsFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");

        const auto row = [](const char* tag, const QByteArray& content, const char* section,
                            const char* key, const QString& expected) {
            QTest::newRow(tag) << content << QString::fromUtf8(section) << QString::fromUtf8(key)
                               << expected;
        };
        row("case, blanks, ; in value", windowsFile, "FILES", " LAYFILE ",
            "D:\\art\\my leaves;2.bmp");
        row("first key wins", windowsFile, "Files", "BackFile", "C:\\Back\\sky.bmp");
        row("empty value is not missing", windowsFile, "Files", "TargetFile", "");
        row("= inside value", windowsFile, "Files", "eq", "a=b");
        row("other section", windowsFile, "other", "LayFile", "wrong section");
        row("commented key", windowsFile, "Files", "Hidden", missing);
        row("later section of same name", windowsFile, "Files", "Extra", missing);
        row("line without =", windowsFile, "Files", "junk line", missing);
        row("empty key", windowsFile, "Files", "", missing);
        row("missing section", windowsFile, "Nope", "LayFile", missing);
        row("LF and BOM", "\xEF\xBB\xBF[Files]\nLayFile=D:\\a.bmp\n", "Files", "LayFile",
            "D:\\a.bmp");
        row("no final line end", "[Files]\r\nLayFile=x", "Files", "LayFile", "x");
        row("quotes around", "[Files]\r\nLayFile = \"D:\\my art\\a.bmp\"\r\n", "Files", "LayFile",
            "D:\\my art\\a.bmp");
        row("single quotes around", "[Files]\r\nx='y'\r\n", "Files", "x", "y");
        row("unmatched quotes stay", "[Files]\r\nx=\"y'\r\n", "Files", "x", "\"y'");
        row("UTF-8 names and value", "[文件]\r\n图层 = D:\\图片\\叶子.bmp\r\n", "文件", "图层",
            QStringLiteral("D:\\图片\\叶子.bmp"));
        row("byte order mark inside is no blank", "[Files]\n\xEF\xBB\xBFLayFile=x\n", "Files",
            "LayFile", missing);
        row("key before any section", "LayFile=x\r\n[Files]\r\n", "Files", "LayFile", missing);
        row("[ without ] is no header", "[Files]\r\n[Broken\r\nLayFile=x\r\n", "Files", "LayFile",
            "x");
        row("binary around", raw("\0\xff[\x01]=\n\0=\0\n[Files]\nLayFile=ok\n\xfe"), "Files",
            "LayFile", "ok");
    }

    void readsWindowsFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);

        QTemporaryDir dir;
        const QString path = dir.filePath("p.3dp");
        QCOMPARE(TMy3DFile(path).readString(section, key, missing), missing);
        writeBytes(path, content);
        QCOMPARE(TMy3DFile(path).readString(section, key, missing), expected);
    }

    void rewritesOnlyWhatItMust_data()
    {
        QTest::addColumn<QByteArray>("before"); // null: no file yet
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<bool>("project"); // false: only in memory, the file is refused

        const auto row = [](const char* tag, const QByteArray& before, const char* section,
                            const char* key, const char* value, const QByteArray& after,
                            bool project = true) {
            QTest::newRow(tag) << before << QString::fromUtf8(section) << QString::fromUtf8(key)
                               << QString::fromUtf8(value) << after << project;
        };
        const auto edited = [](const char* from, const char* to) {
            return QByteArray(windowsFile).replace(from, to);
        };
        row("value only", windowsFile, "files", "LayFile", "D:\\new\\x y;z.bmp",
            edited("D:\\art\\my leaves;2.bmp", "D:\\new\\x y;z.bmp"));
        row("first of duplicates", windowsFile, "Files", "BACKFILE", "[x]=;y",
            edited("C:\\Back\\sky.bmp", "[x]=;y"));
        row("empty value, value trimmed", windowsFile, "Files", "TargetFile", "  t.bmp ",
            edited("TargetFile=", "TargetFile=t.bmp"));
        row("added after last key", "[Files]\r\nA=1\r\njunk\r\n\r\n; about Other\r\n[Other]\r\n",
            "Files", "K", "v", "[Files]\r\nA=1\r\nK=v\r\njunk\r\n\r\n; about Other\r\n[Other]\r\n");
        row("added to empty section", "[Files]\r\n[Other]\r\n", "Files", "K", "v",
            "[Files]\r\nK=v\r\n[Other]\r\n");
        row("added at unended end", "[Files]\nA=1", "Files", "K", "v", "[Files]\nA=1\nK=v");
        row("new section, CR LF", "; c\r\n[Other]\r\nB=2\r\n", "Files", "K", "v",
            "; c\r\n[Other]\r\nB=2\r\n[Files]\r\nK=v\r\n", false);
        row("new section, LF", "[Other]\nB=2\n", "Files", "K", "v", "[Other]\nB=2\n[Files]\nK=v\n",
            false);
        row("new file", QByteArray(), "Files", "LayFile", "D:\\a b\\c;d.bmp",
            "[Files]\r\nLayFile=D:\\a b\\c;d.bmp\r\n");
        row("BOM only", "\xEF\xBB\xBF", "Files", "K", "图 😀", "\xEF\xBB\xBF[Files]\r\nK=图 😀\r\n");
        row("BOM kept", "\xEF\xBB\xBF[Files]\nK=1\n", "Files", "K", "2",
            "\xEF\xBB\xBF[Files]\nK=2\n");
        const QByteArray garbage = raw("\x01\xff\xfe bin\r\n[ no close\r\n=\x02");
        row("garbage kept", garbage, "Files", "K", "v", garbage + "\r\n[Files]\r\nK=v", false);
    }

    void rewritesOnlyWhatItMust()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        QFETCH(bool, project);
        QByteArray inMemory = before;
        QVERIFY(TMy3DFile::writeStringIn(inMemory, section, key, value));
        QCOMPARE(inMemory, after);
        if (!project) {
            return; // notAProjectIsLeftAlone
        }

        QTemporaryDir dir;
        const QString path = dir.filePath("p.3dp");
        if (!before.isNull()) {
            writeBytes(path, before);
        }
        TMy3DFile file(path);
        QString error;
        QVERIFY2(file.writeString(section, key, value, &error), qPrintable(error));
        QCOMPARE(readBytes(path), after);
        QCOMPARE(file.readString(section, key, missing), value.trimmed());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"p.3dp"});
    }

    void gbkFileStaysGbk()
    {
        // ']' is the trail byte of 塢 in GBK; \xff\xff is no character at all, and \x81 starts
        // one that the next line must not complete.
        const QByteArray before = gbk(QStringLiteral("; 工程文件\r\n[塢]\r\n")) +
                                  "k\x81=\xff\xff\r\n" + gbk(QStringLiteral("名字 = 值\r\n")) +
                                  gbk(QStringLiteral("[Files]\r\nLayFile=D:\\图片\\叶子.bmp\r\n"));
        QTemporaryDir dir;
        const QString path = dir.filePath("p.3dp");
        writeBytes(path, before);
        TMy3DFile file(path);
        QCOMPARE(file.readString(QStringLiteral("塢"), QStringLiteral("名字")),
                 QStringLiteral("值"));
        QCOMPARE(file.readString("Files", "LayFile"), QStringLiteral("D:\\图片\\叶子.bmp"));

        const QString back = QStringLiteral("D:\\背景\\天空.bmp");
        QVERIFY(file.writeString("Files", "BackFile", back));
        const QByteArray expected = before + gbk("BackFile=" + back + "\r\n");
        QCOMPARE(readBytes(path), expected);

        QString error;
        QVERIFY(!file.writeString("Files", "LayFile", QStringLiteral("😀.bmp"), &error));
        QVERIFY2(error.contains(path) && error.contains("GBK"), qPrintable(error));
        QCOMPARE(readBytes(path), expected);
    }

    // Whatever decided the file's encoding, a write leaves every other key reading as before,
    // and the value written reads back.
    void writeKeepsOtherKeys_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("value"); // written to LayFile; BackFile is the other key
        // Found by the fuzzer: once the GBK byte \xff is gone the file is UTF-8, and a byte
        // order mark starting a line must not then make it a key line.
        QTest::newRow("byte order mark inside") << raw("[Files]\nLayFile=\xff\n\xef\xbb\xbf"
                                                       "BackFile=x\n")
                                                << QStringLiteral("D:\\a.bmp");
        // 图片 in GBK is valid UTF-8; 叶子 is not.
        QTest::newRow("GBK left without its only non-UTF-8 bytes")
            << gbk(QStringLiteral("[Files]\r\nLayFile=叶子.bmp\r\nBackFile=D:\\图片\\a.bkp\r\n"))
            << QStringLiteral("D:\\a.bmp");
        QTest::newRow("GBK value that is valid UTF-8")
            << gbk(QStringLiteral("[Files]\nLayFile=叶子\n")) << QStringLiteral("D:\\图片\\a.bmp");
    }
    void writeKeepsOtherKeys()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, value);
        const QString other = TMy3DFile::readStringIn(before, "Files", "BackFile", missing);
        QByteArray after = before;
        QVERIFY(TMy3DFile::writeStringIn(after, "Files", "LayFile", value));
        QCOMPARE(TMy3DFile::readStringIn(after, "Files", "BackFile", missing), other);
        QCOMPARE(TMy3DFile::readStringIn(after, "Files", "LayFile", missing), value);
    }

    void failedWriteChangesNothing_data()
    {
        QTest::addColumn<QString>("target"); // relative to a folder holding p.3dp and sub/
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");

        const auto row = [](const char* tag, const char* target, const char* section,
                            const char* key, const char* value) {
            QTest::newRow(tag) << QString::fromUtf8(target) << QString::fromUtf8(section)
                               << QString::fromUtf8(key) << QString::fromUtf8(value);
        };
        row("missing folder", "missing/p.3dp", "Files", "K", "v");
        row("target is a folder", "sub", "Files", "K", "v");
        row("empty key", "p.3dp", "Files", " ", "v");
        row("= in key", "p.3dp", "Files", "a=b", "v");
        row("; starts key", "p.3dp", "Files", ";K", "v");
        row("] in section", "p.3dp", "Fi]les", "K", "v");
        row("line break in value", "p.3dp", "Files", "K", "a\r\nb=c");
        row("read-only file", "p.3dp", "Files", "K", "v");
        row("file-size limit", "p.3dp", "Files", "K", "v"); // as a full disk
    }

    void failedWriteChangesNothing()
    {
        QFETCH(QString, target);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);

        QTemporaryDir dir;
        writeBytes(dir.filePath("p.3dp"), windowsFile);
        QVERIFY(QDir(dir.path()).mkdir("sub"));
        const QString path = dir.filePath(target);
        if (QTest::currentDataTag() == QByteArrayLiteral("read-only file")) {
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
        }
        const bool full = QTest::currentDataTag() == QByteArrayLiteral("file-size limit");
        const FileSizeLimit limit(full ? 16 : RLIM_INFINITY);
        QString error;
        QVERIFY(!TMy3DFile(path).writeString(section, key, value, &error));
        QVERIFY2(error.contains(path), qPrintable(error));
        QCOMPARE(readBytes(dir.filePath("p.3dp")), windowsFile);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 (QStringList{"p.3dp", "sub"}));
        QVERIFY(QDir(dir.filePath("sub")).isEmpty());
    }

    // A file that is not a project is neither opened as one nor written into, with a message
    // naming it and the reason; an empty or new file is a new project.
    void notAProjectIsLeftAlone_data()
    {
        QTest::addColumn<QByteArray>("content");  // null: no file
        QTest::addColumn<QString>("openRefused"); // what the refusal says; empty: opens
        QTest::addColumn<QString>("saveRefused"); // empty: written
        const auto row = [](const char* tag, const QByteArray& content, const char* openRefused,
                            const char* saveRefused) {
            QTest::newRow(tag) << content << QString::fromUtf8(openRefused)
                               << QString::fromUtf8(saveRefused);
        };
        const char* noSection = "no [Files] section";
        row("text file", "Shopping list\nmilk\n", noSection, noSection);
        row("another program's settings", "[Window]\r\nwidth=800\r\n", noSection, noSection);
        row("picture", raw("BM\x36\0\0\0\0\0[Files]\r\n"), "binary data", "binary data");
        row("[files] after another section", "; by hand\r\n[Other]\r\nA=1\r\n  [ files ]\r\n", "",
            "");
        row("empty file", "", "", "");
        row("byte order mark and blanks", "\xEF\xBB\xBF \r\n\t\n", "", "");
        row("no file yet", QByteArray(), "no such file", "");
    }
    void notAProjectIsLeftAlone()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, openRefused);
        QFETCH(QString, saveRefused);
        QTemporaryDir dir;
        const QString path = dir.filePath("notes.txt");
        if (!content.isNull()) {
            writeBytes(path, content);
        }
        const QString opened = TMy3DFile(path).whyNotAProject();
        QVERIFY2(openRefused.isEmpty() ? opened.isEmpty()
                                       : opened.contains(path) && opened.contains(openRefused),
                 qPrintable(opened));
        QString error;
        QCOMPARE(TMy3DFile(path).writeString("Files", "LayFile", "a.bmp", &error),
                 saveRefused.isEmpty());
        if (saveRefused.isEmpty()) {
            QCOMPARE(TMy3DFile(path).readString("Files", "LayFile"), QStringLiteral("a.bmp"));
            return;
        }
        QVERIFY2(error.contains(path) && error.contains(saveRefused), qPrintable(error));
        QCOMPARE(readBytes(path), content);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"notes.txt"});
    }

    void seesChangesMadeByOthers()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("p.3dp");
        TMy3DFile file(path);
        QVERIFY(file.writeString("Files", "LayFile", "a.bmp"));
        writeBytes(path, "[Files]\r\nLayFile=b.bmp\r\n");
        QCOMPARE(file.readString("Files", "LayFile"), QStringLiteral("b.bmp"));
    }
};

DEPTHLOOM_TEST_CLASS(TMy3DFileTest);
#include "TMy3DFileTest.moc"
