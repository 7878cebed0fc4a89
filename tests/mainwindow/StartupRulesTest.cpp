#include "mainwindow/StartupRules.h"

#include "common/TestMain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class StartupRulesTest : public QObject
{
    Q_OBJECT

private slots:
    void launchedByHost_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("byHost");
        QTest::newRow("first") << QStringList{"depthloom", "DpStart"} << true;
        QTest::newRow("first, more after") << QStringList{"depthloom", "DpStart", "x"} << true;
        QTest::newRow("no arguments") << QStringList{"depthloom"} << false;
        QTest::newRow("empty list") << QStringList{} << false;
        QTest::newRow("lower case") << QStringList{"depthloom", "dpstart"} << false;
        QTest::newRow("upper case") << QStringList{"depthloom", "DPSTART"} << false;
        QTest::newRow("second") << QStringList{"depthloom", "x", "DpStart"} << false;
        QTest::newRow("with blank") << QStringList{"depthloom", "DpStart "} << false;
    }
    void launchedByHost()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, byHost);
        QCOMPARE(startup::launchedByHost(arguments), byHost);
    }

    void editorArguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("byHost");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("refused");
        QTest::newRow("none") << QStringList{"depthloom"} << false << "" << false;
        QTest::newRow("file") << QStringList{"depthloom", "a b.3dp"} << false << "a b.3dp" << false;
        QTest::newRow("host") << QStringList{"depthloom", "DpStart"} << true << "" << false;
        QTest::newRow("host, rest ignored")
            << QStringList{"depthloom", "DpStart", "a.3dp", "b"} << true << "" << false;
        QTest::newRow("host's word in other letters is a file")
            << QStringList{"depthloom", "dpstart"} << false << "dpstart" << false;
        QTest::newRow("two files")
            << QStringList{"depthloom", "a.3dp", "b.3dp"} << false << "" << true;
        QTest::newRow("empty name") << QStringList{"depthloom", ""} << false << "" << true;
    }
    void editorArguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, refused);
        const startup::EditorArguments result = startup::editorArguments(arguments);
        QTEST(result.LaunchedByHost, "byHost");
        QTEST(result.file, "file");
        QCOMPARE(!result.error.isEmpty(), refused);
    }

    void projectFromMacro_data()
    {
        QTest::addColumn<QString>("macro");
        QTest::addColumn<QString>("project"); // null: ignored
        QTest::newRow("letter case kept") << QStringLiteral("[L]/home/Ann/Art/Cube.3dp")
                                          << QStringLiteral("/home/Ann/Art/Cube.3dp");
        QTest::newRow("backslashes kept")
            << QStringLiteral("[L]c:\\art\\cube.3dp") << QStringLiteral("c:\\art\\cube.3dp");
        QTest::newRow("CRLF, second line ignored")
            << QStringLiteral("[L]/art/a b.3dp\r\n[L]/other.3dp") << QStringLiteral("/art/a b.3dp");
        QTest::newRow("LF") << QStringLiteral("[L]/art/立体.3dp\n")
                            << QStringLiteral("/art/立体.3dp");
        QTest::newRow("lower-case l") << QStringLiteral("[l]/art/cube.3dp") << QString();
        QTest::newRow("quit macro") << QStringLiteral("I am quit") << QString();
        QTest::newRow("leading blank") << QStringLiteral(" [L]/art/cube.3dp") << QString();
        QTest::newRow("on second line") << QStringLiteral("hello\n[L]/art/cube.3dp") << QString();
        QTest::newRow("no path") << QStringLiteral("[L]\r\n/art/cube.3dp") << QString();
        QTest::newRow("empty") << QString() << QString();
    }
    void projectFromMacro()
    {
        QFETCH(QString, macro);
        QFETCH(QString, project);
        const std::optional<QString> result = startup::projectFromMacro(macro);
        QCOMPARE(result.has_value(), !project.isNull());
        if (result) {
            QCOMPARE(*result, project);
        }
    }

    void helpPaths_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("helpFile");
        QTest::addColumn<QString>("index");
        QTest::addColumn<QString>("topic");
        QTest::newRow("no slash") << QStringLiteral("/opt/depthloom") << QStringLiteral("3DP.HLP")
                                  << QStringLiteral("/opt/depthloom/help/index.htm")
                                  << QStringLiteral("/opt/depthloom/help/3DP.htm");
        QTest::newRow("trailing slash")
            << QStringLiteral("/opt/depthloom/") << QStringLiteral("c3DP.HLP")
            << QStringLiteral("/opt/depthloom/help/index.htm")
            << QStringLiteral("/opt/depthloom/help/c3DP.htm");
        QTest::newRow("root, lower-case name")
            << QStringLiteral("/") << QStringLiteral("c3dp.hlp")
            << QStringLiteral("/help/index.htm") << QStringLiteral("/help/c3dp.htm");
        QTest::newRow("blank and hash in folder")
            << QStringLiteral("/home/ann/my #1 tools") << QStringLiteral("3DP.HLP")
            << QStringLiteral("/home/ann/my #1 tools/help/index.htm")
            << QStringLiteral("/home/ann/my #1 tools/help/3DP.htm");
    }
    void helpPaths()
    {
        QFETCH(QString, folder);
        QFETCH(QString, helpFile);
        QFETCH(QString, index);
        QFETCH(QString, topic);
        QCOMPARE(startup::helpIndexPath(folder), index);
        const QUrl url = startup::helpTopicUrl(folder, helpFile);
        QVERIFY(url.isLocalFile());
        QCOMPARE(url.toLocalFile(), topic);
        QCOMPARE(url.fragment(), QStringLiteral("10"));
    }

    // Installed, the pages live in share/depthloom/help of the program's prefix; beside the
    // program (the build folder) they come first.
    void installedHelp()
    {
        QTemporaryDir prefix;
        const QString bin = prefix.filePath(QStringLiteral("bin"));
        const QString shared = prefix.filePath(QStringLiteral("share/depthloom/help"));
        QVERIFY(QDir().mkpath(bin) && QDir().mkpath(shared));
        QVERIFY(QFile(shared + QStringLiteral("/index.htm")).open(QIODevice::WriteOnly));
        QCOMPARE(startup::helpIndexPath(bin), shared + QStringLiteral("/index.htm"));
        QCOMPARE(
            startup::helpTopicUrl(bin + QLatin1Char('/'), QStringLiteral("3DP.HLP")).toLocalFile(),
            shared + QStringLiteral("/3DP.htm"));

        QVERIFY(QDir().mkpath(bin + QStringLiteral("/help")));
        QVERIFY(QFile(bin + QStringLiteral("/help/index.htm")).open(QIODevice::WriteOnly));
        QCOMPARE(startup::helpIndexPath(bin), bin + QStringLiteral("/help/index.htm"));
    }

    void serverNames_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << QStringLiteral("/usr/bin/depthloom")
                               << QStringLiteral("depthloom-ddeserverconv1");
        QTest::newRow("extension")
            << QStringLiteral("/opt/x/depthloom.bin") << QStringLiteral("depthloom-ddeserverconv1");
        QTest::newRow("dotted folder, two dots")
            << QStringLiteral("/opt/v1.2/Depth.Loom.exe") << QStringLiteral("Depth-ddeserverconv1");
    }
    void serverNames()
    {
        QFETCH(QString, executable);
        QFETCH(QString, name);
        QCOMPARE(startup::hostServerName(executable), name);
        QCOMPARE(startup::hostProgramServerName(), QStringLiteral("dp-ddeserverconv1"));
    }
};

DEPTHLOOM_TEST_CLASS(StartupRulesTest);
#include "StartupRulesTest.moc"
