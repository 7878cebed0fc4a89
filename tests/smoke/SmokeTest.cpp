// Starts the real program in an X server (the test runs under xvfb-run), looks at its window,
// opens a project over the host link and quits through the quit question.

#include "common/TestMain.h"

#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Runs a command and returns its standard output, trimmed; empty when it fails.
QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000) || process.exitCode() != 0) {
        return QString();
    }
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString windowName(const QString& window)
{
    return run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), window});
}

} // namespace

class SmokeTest : public QObject
{
    Q_OBJECT

private slots:
    void startOpenAndQuit()
    {
        QVERIFY2(qEnvironmentVariableIsSet("DISPLAY"), "run this test under xvfb-run");
        QTemporaryDir dir;
        QImage strip(40, 60, QImage::Format_RGB32);
        strip.fill(Qt::darkGreen);
        QVERIFY(strip.save(dir.filePath(QStringLiteral("strip.bmp"))));
        const QString project = dir.filePath(QStringLiteral("p.3dp"));
        {
            QFile file(project);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[Files]\nLayFile=" + dir.filePath(QStringLiteral("strip.bmp")).toUtf8() +
                       "\n");
        }

        QProcess editor;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        // The host link's socket lives in the temporary folder: keep it apart from any other
        // copy of the editor on this machine.
        environment.insert(QStringLiteral("TMPDIR"), dir.path());
        editor.setProcessEnvironment(environment);
        editor.setProcessChannelMode(QProcess::ForwardedChannels);
        editor.start(QStringLiteral(DEPTHLOOM_EXE), QStringList());
        QVERIFY(editor.waitForStarted());

        QString window;
        QTRY_VERIFY_WITH_TIMEOUT(!(window = run(QStringLiteral("xdotool"),
                                                {QStringLiteral("search"), QStringLiteral("--name"),
                                                 QStringLiteral("^3D-Picture")})
                                                .section(QLatin1Char('\n'), 0, 0))
                                      .isEmpty(),
                                 20000);
        QTRY_COMPARE_WITH_TIMEOUT(windowName(window),
                                  QStringLiteral("3D-Picture  [UNTITLED] -- lay()"), 10000);

        // The window is painted: its part of the screen is not one flat colour.
        const QString shot = dir.filePath(QStringLiteral("screen.png"));
        QCOMPARE(QProcess::execute(QStringLiteral("/usr/bin/import"),
                                   {QStringLiteral("-window"), QStringLiteral("root"), shot}),
                 0);
        const QStringList geometry =
            run(QStringLiteral("xdotool"),
                {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window})
                .split(QLatin1Char('\n'));
        QRect area;
        for (const QString& line : geometry) {
            const int value = line.section(QLatin1Char('='), 1).toInt();
            if (line.startsWith(QStringLiteral("X=")))
                area.moveLeft(value);
            if (line.startsWith(QStringLiteral("Y=")))
                area.moveTop(value);
            if (line.startsWith(QStringLiteral("WIDTH=")))
                area.setWidth(value);
            if (line.startsWith(QStringLiteral("HEIGHT=")))
                area.setHeight(value);
        }
        QVERIFY2(area.width() > 300 && area.height() > 300, qPrintable(geometry.join(' ')));
        const QImage screen = QImage(shot).copy(area).convertToFormat(QImage::Format_RGB32);
        QSet<QRgb> colours;
        for (int y = 0; y < screen.height(); y += 3) {
            for (int x = 0; x < screen.width(); x += 3) {
                colours.insert(screen.pixel(x, y));
            }
        }
        QVERIFY2(colours.size() > 4, qPrintable(QString::number(colours.size())));

        // The host program opens a project.
        QLocalSocket host;
        host.connectToServer(dir.filePath(QStringLiteral("depthloom-ddeserverconv1")));
        QVERIFY(host.waitForConnected(5000));
        host.write("[L]" + project.toUtf8());
        host.disconnectFromServer();
        QTRY_COMPARE_WITH_TIMEOUT(windowName(window),
                                  QStringLiteral("3D-Picture  [p.3dp] -- lay(strip.bmp)"), 10000);

        // File, Exit, and OK at the quit question.
        run(QStringLiteral("xdotool"),
            {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
        run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("alt+f")});
        QTest::qWait(500);
        run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("x")});
        QTest::qWait(700);
        QCOMPARE(editor.state(), QProcess::Running);
        run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")});
        QVERIFY(editor.waitForFinished(10000));
        QCOMPARE(editor.exitStatus(), QProcess::NormalExit);
        QCOMPARE(editor.exitCode(), 0);
    }
};

DEPTHLOOM_TEST_CLASS(SmokeTest);
#include "SmokeTest.moc"
