// Starts the real program in an X server (the test runs under xvfb-run), answers its colour
// question when it asks one, looks at its window, opens a project over the host link and quits
// through the quit question, listening as the host program for what the editor tells it.

#include "XSession.h"
#include "common/TestMain.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPalette>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

using namespace xsession;

// Checks the look of a freshly started main window, `shot` being the window alone, against
// its layout: the white 120 x 300 pattern strip in its frame on the button-shadow pane, the
// depth map in the ground grey under the button-face hatch of the mask, the yellow panel of
// the file buttons while the strip is active, and the status bar's empty hint and position
// fields beside the size field's black text. Returns what is wrong, or "".
QString lookProblem(const QImage& shot)
{
    const QPalette palette = QGuiApplication::palette();
    const QRgb face = palette.color(QPalette::Button).rgb();
    const QRgb shadow = palette.color(QPalette::Dark).rgb();
    const QRgb black = qRgb(0, 0, 0);
    const int width = shot.width();
    const int height = shot.height();
    // The menu bar's height is the style's: find the panes' top from the strip's frame, the
    // first black row above the status bar in a column through the strip.
    const int stripColumn = 130;
    int frameBottom = height - 25;
    while (frameBottom > 0 && shot.pixel(stripColumn, frameBottom) != black) {
        --frameBottom;
    }
    const int top = frameBottom - 301;
    const int statusTop = height - 24;

    struct Area
    {
        const char* place;
        QRect rect;
        QList<QRgb> colours; // every pixel is one of them, and each of them shows
    };
    const Area areas[] = {
        {"strip", QRect(70, top + 1, 120, 300), {qRgb(255, 255, 255)}},
        {"strip frame, top", QRect(69, top, 122, 1), {black}},
        {"strip frame, right", QRect(190, top, 1, 302), {black}},
        {"left pane below the strip", QRect(69, top + 310, 166, statusTop - top - 310), {shadow}},
        {"file buttons' panel", QRect(57, top + 5, 3, 48), {qRgb(255, 255, 0)}},
        {"depth map under the mask", QRect(244, top + 3, 300, 300), {qRgb(58, 58, 58), face}},
        {"hint field", QRect(2, height - 22, 408, 20), {face}},
        {"position field", QRect(412, height - 22, 78, 20), {face}},
    };
    for (const Area& area : areas) {
        if (area.rect.isEmpty() || !shot.rect().contains(area.rect)) {
            return QStringLiteral("%1 lies outside the window (panes' top %2)")
                .arg(QLatin1String(area.place))
                .arg(top);
        }
        QSet<QRgb> seen;
        for (int y = area.rect.top(); y <= area.rect.bottom(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(shot.constScanLine(y));
            for (int x = area.rect.left(); x <= area.rect.right(); ++x) {
                if (!area.colours.contains(line[x])) {
                    return QStringLiteral("%1: #%2 at (%3, %4)")
                        .arg(QLatin1String(area.place))
                        .arg(line[x] & 0xFFFFFF, 6, 16, QLatin1Char('0'))
                        .arg(x)
                        .arg(y);
                }
                seen.insert(line[x]);
            }
        }
        if (seen.size() != area.colours.size()) {
            return QStringLiteral("%1 lacks a colour").arg(QLatin1String(area.place));
        }
    }
    int darkest = 255;
    for (int y = height - 22; y < height - 2; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(shot.constScanLine(y));
        for (int x = width - 71; x < width - 2; ++x) {
            darkest = std::min(darkest, qGray(line[x]));
        }
    }
    return darkest < 40 ? QString() : QStringLiteral("no black text in the size field");
}

// Starts the program on the X server with `arguments` and the variables `more` set.
bool startEditor(QProcess& editor, const QString& folder, const QStringList& arguments,
                 const QProcessEnvironment& more = QProcessEnvironment())
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    // The host link's sockets live in the temporary folder: keep them apart from any other
    // copy of the editor on this machine.
    environment.insert(QStringLiteral("TMPDIR"), folder);
    // So are the recovery copies.
    environment.insert(QStringLiteral("XDG_DATA_HOME"), folder + QStringLiteral("/data"));
    environment.insert(more);
    editor.setProcessEnvironment(environment);
    editor.setProcessChannelMode(QProcess::ForwardedChannels);
    editor.start(QStringLiteral(DEPTHLOOM_EXE), arguments);
    return editor.waitForStarted();
}

void stop(QProcess& editor)
{
    if (editor.state() != QProcess::NotRunning) {
        editor.kill();
        editor.waitForFinished();
    }
}

} // namespace

class SmokeTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(qEnvironmentVariableIsSet("DISPLAY"), "run this test under xvfb-run");
        // Keep the pointer off the window, so no hint shows.
        xdotool({QStringLiteral("mousemove"), QStringLiteral("0"), QStringLiteral("0")});
    }

    void startAndQuit_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("displayBits"); // "" for the display's own
        QTest::addColumn<QString>("answer");      // the key that answers the colour question
        QTest::addColumn<bool>("runs");           // the window stays for the user
        QTest::addColumn<QByteArray>("toHost");   // what the host program hears at quitting
        QTest::newRow("alone") << QStringList() << ""
                               << "" << true << QByteArray();
        QTest::newRow("by the host") << QStringList{"DpStart"} << ""
                                     << "" << true << QByteArray("I am quit");
        QTest::newRow("few colours, go on") << QStringList() << "4"
                                            << "y" << true << QByteArray();
        QTest::newRow("few colours, stop") << QStringList() << "4"
                                           << "n" << false << QByteArray();
    }
    void startAndQuit()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, displayBits);
        QFETCH(QString, answer);
        QFETCH(bool, runs);
        QFETCH(QByteArray, toHost);
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

        // The host program's end of the link.
        QLocalServer host;
        QVERIFY(host.listen(dir.filePath(QStringLiteral("dp-ddeserverconv1"))));
        QByteArray heard;
        connect(&host, &QLocalServer::newConnection, &host, [&] {
            QLocalSocket* socket = host.nextPendingConnection();
            connect(socket, &QLocalSocket::readyRead, socket,
                    [&heard, socket] { heard += socket->readAll(); });
        });

        QProcess editor;
        QProcessEnvironment more;
        if (!displayBits.isEmpty()) {
            more.insert(QStringLiteral("DEPTHLOOM_DISPLAY_BITS"), displayBits);
        }
        QVERIFY(startEditor(editor, dir.path(), arguments, more));
        auto cleanup = qScopeGuard([&editor] { stop(editor); });

        const qint64 pid = editor.processId();
        if (!answer.isEmpty()) {
            const QString question = waitForWindow(pid, QStringLiteral("^Warning$"));
            QVERIFY(!question.isEmpty());
            QVERIFY(key(question, answer));
            QVERIFY(waitFor(
                [&] { return !windows(pid, QStringLiteral("^Warning$")).contains(question); }));
        }
        if (!runs) {
            QVERIFY(ends(editor));
            QCOMPARE(editor.exitCode(), 0);
            return;
        }

        const QString window = waitForWindow(pid, QStringLiteral("^3D-Picture"));
        QVERIFY(!window.isEmpty());
        QVERIFY(waitFor([&] {
            return windowName(window) == QLatin1String("3D-Picture  [UNTITLED] -- lay()");
        }));
        QCOMPARE(geometry(window).size(), QSize(564, 449));
        // The splash stays over the window until the last start-up step; on a slow machine
        // that is a while after the window has its caption.
        QImage look;
        QString problem;
        if (!waitFor([&] {
                look = grab(window);
                problem = lookProblem(look);
                return problem.isEmpty();
            })) {
            look.save(dir.filePath(QStringLiteral("window.png")));
            dir.setAutoRemove(false);
            QFAIL(qPrintable(problem + QStringLiteral(" (see %1/window.png)").arg(dir.path())));
        }

        // The host program opens a project.
        QLocalSocket link;
        link.connectToServer(dir.filePath(QStringLiteral("depthloom-ddeserverconv1")));
        QVERIFY(link.waitForConnected(5000));
        link.write("[L]" + project.toUtf8());
        link.disconnectFromServer();
        QVERIFY(waitFor([&] {
            return windowName(window) == QLatin1String("3D-Picture  [p.3dp] -- lay(strip.bmp)");
        }));

        // File, Exit, and OK at the quit question, each step once the one before has shown.
        QVERIFY2(chooseMenuItem(window, QStringLiteral("alt+f"), QStringLiteral("x")),
                 "no File menu");
        const QString question = waitForWindow(pid, QStringLiteral("^Confirm$"));
        QVERIFY(!question.isEmpty());
        QCOMPARE(editor.state(), QProcess::Running);
        QVERIFY(key(question, QStringLiteral("Return")));
        QVERIFY(ends(editor));
        QCOMPARE(editor.exitStatus(), QProcess::NormalExit);
        QCOMPARE(editor.exitCode(), 0);
        // The macro is sent before the editor ends; its bytes wait for this loop to read them.
        if (toHost.isEmpty()) {
            QTest::qWait(500);
            QCOMPARE(heard, QByteArray());
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(heard, toHost, StepTimeoutMs);
        }
    }

    // Under a window manager, the error box of the bitmap chooser, which stays on top, opens
    // over the chooser and takes the keyboard, where the user sees it.
    void errorBoxOverChooser()
    {
        if (!WindowManager::installed()) {
            QSKIP("openbox is not installed: without a window manager windows are not stacked "
                  "in layers (run.sh installs it)");
        }
        QTemporaryDir dir;
        WindowManager openbox;
        QVERIFY2(openbox.start(dir.path()), "openbox did not come up");
        QProcess editor;
        QVERIFY(startEditor(editor, dir.path(), {}));
        auto cleanup = qScopeGuard([&editor] { stop(editor); });
        const qint64 pid = editor.processId();
        const QString window = waitForWindow(pid, QStringLiteral("^3D-Picture"));
        QVERIFY(!window.isEmpty());
        QVERIFY(waitFor([&] {
            return windowName(window) == QLatin1String("3D-Picture  [UNTITLED] -- lay()");
        }));

        // Edit, Copy From, and a name in the name field that names no file.
        QVERIFY2(chooseMenuItem(window, QStringLiteral("alt+e"), QStringLiteral("f")),
                 "no Edit menu");
        const QString chooser = waitForWindow(pid, QStringLiteral("^Open Bitmap File"));
        QVERIFY(!chooser.isEmpty());
        const QString missing = dir.filePath(QStringLiteral("missing.bmp"));
        QVERIFY(key(chooser, QStringLiteral("alt+n")));
        QVERIFY(key(chooser, QStringLiteral("ctrl+a")));
        QVERIFY(type(chooser, missing));
        QVERIFY(key(chooser, QStringLiteral("Return")));

        const QString box = waitForWindow(pid, QStringLiteral("^Error$"));
        QVERIFY(!box.isEmpty());
        QVERIFY2(waitFor([&] { return activeWindow() == box; }), "the box is not active");
        const QStringList stack = stacking();
        QVERIFY2(stack.contains(chooser) && stack.indexOf(box) > stack.indexOf(chooser),
                 qPrintable(QStringLiteral("box %1, chooser %2, stacked %3")
                                .arg(box, chooser, stack.join(QLatin1Char(' ')))));
    }

    void fileDialogsKeepFolders_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("title");
        QTest::newRow("Open") << "ctrl+o"
                              << "Open";
        QTest::newRow("Save As") << "ctrl+shift+s"
                                 << "Save As";
    }

    // A folder selected in a file dialog survives the Delete key, every question answered Yes.
    void fileDialogsKeepFolders()
    {
        QFETCH(QString, command);
        QFETCH(QString, title);
        if (!WindowManager::installed()) {
            QSKIP("openbox is not installed (run.sh installs it)");
        }
        QTemporaryDir dir;
        WindowManager openbox;
        QVERIFY2(openbox.start(dir.path()), "openbox did not come up");
        // The dialogs open in the working folder, where the folder is all there is.
        const QString work = dir.filePath(QStringLiteral("work"));
        const QString inside = work + QStringLiteral("/victim/inside.txt");
        QVERIFY(QDir().mkpath(work + QStringLiteral("/victim")));
        QFile file(inside);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QProcess editor;
        QProcessEnvironment settings;
        settings.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        editor.setWorkingDirectory(work);
        QVERIFY(startEditor(editor, dir.path(), {}, settings));
        auto cleanup = qScopeGuard([&editor] { stop(editor); });
        const qint64 pid = editor.processId();
        const QString window = waitForWindow(pid, QStringLiteral("^3D-Picture"));
        QVERIFY(!window.isEmpty());

        QVERIFY(key(window, command));
        const QString titled = QLatin1Char('^') + title + QLatin1Char('$');
        const QString dialog = waitForWindow(pid, titled);
        QVERIFY(!dialog.isEmpty());
        // From the name field back to the file list, the folder selected, Delete, and away.
        QVERIFY(key(dialog, QStringLiteral("shift+Tab")) && key(dialog, QStringLiteral("space")));
        const QStringList before = windows(pid);
        QVERIFY(key(dialog, QStringLiteral("Delete")));
        // A question that comes is answered Yes. None should come: give it a while.
        QString box;
        waitFor(
            [&] {
                for (const QString& shown : windows(pid)) {
                    if (!before.contains(shown)) {
                        box = shown;
                    }
                }
                return !box.isEmpty();
            },
            2000);
        if (!box.isEmpty()) {
            key(box, QStringLiteral("y"));
            waitFor([&] { return !windows(pid).contains(box); });
        }
        QVERIFY(key(dialog, QStringLiteral("Escape")));
        QVERIFY2(waitFor([&] { return !windows(pid).contains(dialog); }), "the dialog stayed open");
        QVERIFY2(QFile::exists(inside), "the folder was deleted");
        QVERIFY2(box.isEmpty(), "the dialog offered to delete the folder");
    }
};

DEPTHLOOM_TEST_CLASS(SmokeTest);
#include "SmokeTest.moc"
