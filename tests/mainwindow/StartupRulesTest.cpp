#include "mainwindow/StartupRules.h"

#include "common/TestMain.h"
#include "document/Prompts.h"

#include <QTest>

namespace {

// Answers every Yes/No question with `answer` and records the questions.
class ScriptedPrompts final : public Prompts
{
public:
    explicit ScriptedPrompts(bool answer) : m_answer(answer) {}

    bool askYesNo(const QString& text) override
    {
        asked << text;
        return m_answer;
    }
    bool askOkCancel(const QString& text) override
    {
        asked << text;
        return m_answer;
    }
    void showError(const QString& text) override { asked << text; }
    QString chooseOpenFile(const FileDialog&) override { return {}; }
    QString chooseSaveFile(const FileDialog&) override { return {}; }
    QString runBitmapChooser(const QString&, bool) override { return {}; }
    bool runPrintDialog(QPrinter&) override { return false; }
    bool runPrintSetupDialog(QPrinter&) override { return false; }

    QStringList asked;

private:
    bool m_answer;
};

} // namespace

class StartupRulesTest : public QObject
{
    Q_OBJECT

private slots:
    void colorDepth_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("highColor");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("passed");
        QTest::newRow("32 bits") << 32 << false << true << false << true;
        QTest::newRow("16 bits") << 16 << false << true << false << true;
        QTest::newRow("9 bits") << 9 << false << true << false << true;
        QTest::newRow("8 bits") << 8 << false << false << false << true;
        QTest::newRow("4 bits, Yes") << 4 << true << false << true << true;
        QTest::newRow("4 bits, No") << 4 << false << false << true << false;
        QTest::newRow("1 bit, No") << 1 << false << false << true << false;
    }
    void colorDepth()
    {
        QFETCH(int, bits);
        QFETCH(bool, answer);
        QFETCH(bool, highColor);
        QFETCH(bool, asked);
        QFETCH(bool, passed);
        ScriptedPrompts prompts(answer);
        const startup::ColorDepthDecision decision = startup::CheckColorDepth(bits, prompts);
        QCOMPARE(decision.UseHighColorPalette, highColor);
        QCOMPARE(decision.highColorPaletteChecked, highColor);
        QCOMPARE(decision.n20ColorPaletteChecked, !highColor);
        QCOMPARE(decision.asked, asked);
        QCOMPARE(decision.passed, passed);
        const QStringList expected =
            asked ? QStringList{QStringLiteral("This Program need at least 256 colors\n"
                                               "    (Recemmend 16-bit color)\n"
                                               "    Do you want to continue?")}
                  : QStringList{};
        QCOMPARE(prompts.asked, expected);
    }

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
