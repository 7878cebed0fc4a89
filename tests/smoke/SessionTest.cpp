// One user's session with the real program in an X server: a depth map painted with two
// heights, a 3D picture made and saved with the images and the project, the program quit and
// started again on the project, and everything checked against what was saved and against the
// batch command's 3D picture of the same project.

#include "XSession.h"
#include "common/TestMain.h"
#include "document/THeightMapFile.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace xsession;

namespace {

// The program's layout, in the main window's pixels from its panes' top (below the menu bar,
// whose height is the style's): the tool buttons and the speed bar's Make 3D button.
constexpr QPoint PencilButton(48, 80);
constexpr QPoint RectangleButton(18, 140);
constexpr QPoint Make3DButton(246, 17 - 34);
constexpr QPoint RightPane(400, 150);
// In the height palette: the number box; in the output window, from its bottom left: Save.
constexpr QPoint HeightBox(31, 245);
constexpr QPoint HeightSwatch(76, 245);
constexpr QPoint SaveButton(16, 14 - 29);

// The grey of height h.
QRgb heightGrey(int h)
{
    const int grey = 56 + 2 * h;
    return qRgb(grey, grey, grey);
}

QImage heightMap(const QString& fileName)
{
    THeightMapFile file;
    return file.load(fileName) ? file.picture().image() : QImage();
}

} // namespace

class SessionTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QProcess m_editor;
    QString m_main;

    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    // Starts the program with `arguments` and waits for its main window under `caption`.
    bool start(const QStringList& arguments, const QString& caption)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        // Its host link, the file dialog's settings and the recovery copies stay in the test's
        // folder.
        environment.insert(QStringLiteral("TMPDIR"), m_dir.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), path("config"));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), path("data"));
        m_editor.setProcessEnvironment(environment);
        m_editor.setProcessChannelMode(QProcess::ForwardedChannels);
        m_editor.start(QStringLiteral(DEPTHLOOM_EXE), arguments);
        if (!m_editor.waitForStarted()) {
            return false;
        }
        m_main = waitForWindow(m_editor.processId(), QStringLiteral("^3D-Picture  \\["));
        return !m_main.isEmpty() && waitFor([&] { return windowName(m_main) == caption; });
    }

    // Where the main window shows `picture` pixel for pixel, once it does; (-1, -1) when it
    // never did.
    QPoint shown(const QImage& picture)
    {
        QPoint at;
        waitFor([&] { return (at = locate(grab(m_main), picture)).x() >= 0; });
        return at;
    }

    // Chooses height h in the height palette and waits until its swatch shows it.
    bool chooseHeight(const QString& palette, int h)
    {
        click(palette, HeightBox);
        return key(palette, QStringLiteral("ctrl+a")) && type(palette, QString::number(h)) &&
               key(palette, QStringLiteral("Return")) &&
               waitFor([&] { return grab(palette).pixel(HeightSwatch) == heightGrey(h); });
    }

    // Answers the next save dialog with `fileName`, and waits until the dialog has gone and the
    // file is there.
    bool saveAs(const QString& fileName)
    {
        const QString dialog = waitForWindow(m_editor.processId(), QStringLiteral("^Save As$"));
        return !dialog.isEmpty() && key(dialog, QStringLiteral("ctrl+a")) &&
               type(dialog, fileName) && key(dialog, QStringLiteral("Return")) && waitFor([&] {
                   return QFile::exists(fileName) &&
                          !windows(m_editor.processId(), QStringLiteral("^Save As$"))
                               .contains(dialog);
               });
    }

    // File > Exit's key, to the main window or (`toFocus`) to whichever window has the keyboard,
    // and `answer` to the quit question: OK, or a choice of the unsaved-changes question.
    bool quit(bool toFocus = false, const QString& answer = QStringLiteral("Return"))
    {
        if (!key(toFocus ? QString() : m_main, QStringLiteral("ctrl+q"))) {
            return false;
        }
        const QString question = waitForWindow(m_editor.processId(), QStringLiteral("^Confirm$"));
        return !question.isEmpty() && key(question, answer) && ends(m_editor) &&
               m_editor.exitStatus() == QProcess::NormalExit && m_editor.exitCode() == 0;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(qEnvironmentVariableIsSet("DISPLAY"), "run this test under xvfb-run");
    }
    void cleanup()
    {
        if (m_editor.state() != QProcess::NotRunning) {
            m_editor.kill();
            m_editor.waitForFinished();
        }
    }

    void session()
    {
        QImage white(120, 300, QImage::Format_RGB32);
        white.fill(Qt::white);
        QVERIFY(start({}, QStringLiteral("3D-Picture  [UNTITLED] -- lay()")));
        // The panes' top, below the menu bar, whose height is the style's: the new pattern
        // strip lies inside its frame at (70, top + 1).
        const QPoint strip = shown(white);
        QCOMPARE(strip.x(), 70);
        const int top = strip.y() - 1;
        const auto at = [top](QPoint p) { return QPoint(p.x(), top + p.y()); };

        // The depth map, 300 x 300 in the ground grey.
        click(m_main, at(RightPane));
        QVERIFY(waitFor([&] { return windowName(m_main).endsWith(QLatin1String("-- Back()")); }));
        QImage ground(300, 300, QImage::Format_RGB32);
        ground.fill(heightGrey(1));
        const QPoint depth = shown(ground);
        QVERIFY2(depth.x() >= 0, "no new depth map on the screen");
        const auto on = [depth](int x, int y) { return depth + QPoint(x, y); };

        // Height 80 with the pencil, height 30 with the rectangle.
        click(m_main, at(PencilButton));
        const QString palette = waitForWindow(m_editor.processId(), QStringLiteral("^Height$"));
        QVERIFY(!palette.isEmpty());
        QVERIFY(chooseHeight(palette, 80));
        drag(m_main, {on(40, 60), on(100, 60), on(160, 60), on(220, 60)});
        QVERIFY(waitFor([&] { return grab(m_main).pixel(on(100, 60)) == heightGrey(80); }));
        click(m_main, at(RectangleButton));
        QVERIFY(chooseHeight(palette, 30));
        drag(m_main, {on(50, 120), on(150, 200), on(250, 250)});
        QVERIFY(waitFor([&] { return grab(m_main).pixel(on(100, 120)) == heightGrey(30); }));

        // Make 3D, and the 3D picture saved from its window.
        click(m_main, at(Make3DButton));
        const QString output =
            waitForWindow(m_editor.processId(), QStringLiteral("^3D-Picture  - \\["));
        QVERIFY(!output.isEmpty());
        // Every window the user sees carries the program's icon.
        for (const QString& window : windows(m_editor.processId())) {
            QVERIFY2(hasIcon(window), qPrintable(windowName(window)));
        }
        click(output, QPoint(0, geometry(output).height()) + SaveButton);
        QVERIFY(saveAs(path("target.bmp")));

        // Save As of the project: the depth map, which is active, the pattern strip, the project.
        QVERIFY(key(m_main, QStringLiteral("ctrl+shift+s")));
        QVERIFY(saveAs(path("depth.bkp")));
        QVERIFY(saveAs(path("strip.bmp")));
        QVERIFY(saveAs(path("p.3dp")));
        QVERIFY(waitFor([&] {
            return windowName(m_main) == QLatin1String("3D-Picture  [p.3dp] -- Back(depth.bkp)");
        }));
        // The keyboard is back on the main window once the last dialog has closed.
        QVERIFY(quit(true));

        // What was saved: the two heights where they were painted, the ground elsewhere.
        const QImage saved = heightMap(path("depth.bkp"));
        QCOMPARE(saved.size(), QSize(300, 300));
        QCOMPARE(saved.pixel(100, 60), heightGrey(80));
        QCOMPARE(saved.pixel(100, 120), heightGrey(30));
        QCOMPARE(saved.pixel(250, 180), heightGrey(1));
        QCOMPARE(QImage(path("strip.bmp")).convertToFormat(QImage::Format_RGB32), white);
        const QImage target(path("target.bmp"));
        QCOMPARE(target.size(), QSize(420, 300));

        // Again, with the project named on the command line.
        QVERIFY(start({path("p.3dp")}, QStringLiteral("3D-Picture  [p.3dp] -- lay(strip.bmp)")));
        QVERIFY2(shown(white).x() >= 0, "the pattern strip is not as saved");
        click(m_main, at(RightPane));
        QVERIFY(waitFor(
            [&] { return windowName(m_main).endsWith(QLatin1String("-- Back(depth.bkp)")); }));
        const QPoint again = shown(saved);
        QVERIFY2(again.x() >= 0, "the depth map is not as saved");
        // Made smaller by its size grip, the depth map fits its pane: the scroll bars that the
        // drag showed go again, and the pane's right edge shows its background.
        const auto onAgain = [again](int x, int y) { return again + QPoint(x, y); };
        drag(m_main, {onAgain(301, 301), onAgain(200, 200), onAgain(100, 100)});
        QVERIFY(waitFor([&] {
            const QImage shot = grab(m_main);
            return shot.pixel(shot.width() - 4, onAgain(0, 150).y()) ==
                   shot.pixel(onAgain(150, 150));
        }));
        // View > 3D-Picture shows the saved 3D picture.
        QVERIFY2(chooseMenuItem(m_main, QStringLiteral("alt+v"), QStringLiteral("3")),
                 "no View menu");
        // Loaded, not made: the window has its first title.
        const QString shown = waitForWindow(m_editor.processId(), QStringLiteral("^3D-Picture$"));
        QVERIFY(!shown.isEmpty());
        QVERIFY(waitFor([&] { return locate(grab(shown), target).x() >= 0; }));
        // Made narrower than 400 pixels by the window system, the main window springs back.
        xdotool(
            {QStringLiteral("windowsize"), m_main, QStringLiteral("100"), QStringLiteral("300")});
        QVERIFY(waitFor([&] { return geometry(m_main).width() == 400; }));
        // The smaller depth map is not kept.
        QVERIFY(quit(false, QStringLiteral("alt+d")));

        // The batch command makes the same 3D picture of the project.
        QProcess batch;
        batch.start(QStringLiteral(DEPTHLOOM_EXE),
                    {QStringLiteral("--make3d"), path("p.3dp"), path("batch.bmp")});
        QVERIFY(batch.waitForFinished(StepTimeoutMs));
        QCOMPARE(batch.exitCode(), 0);
        QCOMPARE(QImage(path("batch.bmp")).convertToFormat(QImage::Format_RGB32),
                 target.convertToFormat(QImage::Format_RGB32));
    }
};

DEPTHLOOM_TEST_CLASS(SessionTest);
#include "SessionTest.moc"
