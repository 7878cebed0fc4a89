#pragma once

// Driving the real program in an X server (the tests run under xvfb-run) as a user does, with
// xdotool for the pointer and the keys and ImageMagick's import for what the screen shows.
//
// Every step waits for what it should bring about instead of sleeping a fixed time: on a busy
// machine a window may take many seconds to come up. A step that never shows its effect fails
// the test at the end of a generous time.

#include <QDeadlineTimer>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QStandardPaths>
#include <QStringList>
#include <QTest>
#include <QThread>

#include <functional>

namespace xsession {

// How long a step may take before the test gives up on it.
inline constexpr int StepTimeoutMs = 60000;

// Runs a command and returns its standard output, trimmed; empty when it fails. `ok` says
// whether it ran to a successful end.
inline QString run(const QString& program, const QStringList& arguments, bool* ok = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    const bool done = process.waitForFinished(StepTimeoutMs) &&
                      process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (ok) {
        *ok = done;
    }
    return done ? QString::fromUtf8(process.readAllStandardOutput()).trimmed() : QString();
}

inline QString xdotool(const QStringList& arguments, bool* ok = nullptr)
{
    return run(QStringLiteral("xdotool"), arguments, ok);
}

// Waits, while Qt's events go on, until `condition` holds; false when it never did in time.
inline bool waitFor(const std::function<bool()>& condition, int timeoutMs = StepTimeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QTest::qWait(100);
    }
    return true;
}

// Whether `process` has ended or ends in time. (waitForFinished() alone says false for a
// process whose end the event loop has already seen.)
inline bool ends(QProcess& process)
{
    return process.state() == QProcess::NotRunning || process.waitForFinished(StepTimeoutMs);
}

// The shown windows of process `pid` whose title matches the regular expression `title`; with
// `pid` 0, all shown windows, named or not.
inline QStringList windows(qint64 pid, const QString& title = QStringLiteral("."))
{
    QStringList arguments{QStringLiteral("search"), QStringLiteral("--all"),
                          QStringLiteral("--onlyvisible")};
    if (pid != 0) {
        arguments << QStringLiteral("--pid") << QString::number(pid) << QStringLiteral("--name")
                  << title;
    } else {
        arguments << QStringLiteral("--name") << QString();
    }
    const QString found = xdotool(arguments);
    return found.isEmpty() ? QStringList() : found.split(QLatin1Char('\n'));
}

// The first shown window of `pid` with a matching title, once there is one; "" when none came.
inline QString waitForWindow(qint64 pid, const QString& title)
{
    QString window;
    waitFor([&] {
        window = windows(pid, title).value(0);
        return !window.isEmpty();
    });
    return window;
}

// A window shown since `before` listed the shown windows, once there is one: a pop-up menu, which
// has no name to find it by.
inline QString waitForNewWindow(const QStringList& before)
{
    QString window;
    waitFor([&] {
        for (const QString& shown : windows(0)) {
            if (!before.contains(shown)) {
                window = shown;
                return true;
            }
        }
        return false;
    });
    return window;
}

inline QString windowName(const QString& window)
{
    return xdotool({QStringLiteral("getwindowname"), window});
}

// The window's place on the screen.
inline QRect geometry(const QString& window)
{
    QRect area;
    const QString shell =
        xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
    for (const QString& line : shell.split(QLatin1Char('\n'))) {
        const int value = line.section(QLatin1Char('='), 1).toInt();
        if (line.startsWith(QLatin1String("X=")))
            area.moveLeft(value);
        if (line.startsWith(QLatin1String("Y=")))
            area.moveTop(value);
        if (line.startsWith(QLatin1String("WIDTH=")))
            area.setWidth(value);
        if (line.startsWith(QLatin1String("HEIGHT=")))
            area.setHeight(value);
    }
    return area;
}

// What the screen shows of `window` (of the whole screen for "root").
inline QImage grab(const QString& window = QStringLiteral("root"))
{
    QProcess import;
    import.start(QStringLiteral("/usr/bin/import"),
                 {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("png:-")});
    if (!import.waitForFinished(StepTimeoutMs) || import.exitCode() != 0) {
        return QImage();
    }
    QImage screen = QImage::fromData(import.readAllStandardOutput(), "PNG")
                        .convertToFormat(QImage::Format_RGB32);
    return window == QLatin1String("root") ? screen : screen.copy(geometry(window));
}

// Gives `window` the keyboard and waits until it has it.
inline bool focus(const QString& window)
{
    return waitFor([&] {
        if (xdotool({QStringLiteral("getwindowfocus")}) == window) {
            return true;
        }
        xdotool({QStringLiteral("windowfocus"), window});
        return false;
    });
}

// Keys typed on `window`, such as "ctrl+q" or "Return"; with no window, on whatever has the
// keyboard (an open menu).
inline bool key(const QString& window, const QString& keys)
{
    bool ok = window.isEmpty() || focus(window);
    if (ok) {
        xdotool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), keys}, &ok);
    }
    return ok;
}

inline bool type(const QString& window, const QString& text)
{
    bool ok = focus(window);
    if (ok) {
        xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text},
                &ok);
    }
    return ok;
}

// A menu item chosen with the keys, such as "alt+f" then "x": the menu's key on `window`, and
// the item's once the menu has shown. False when the menu never showed.
inline bool chooseMenuItem(const QString& window, const QString& menuKey, const QString& itemKey)
{
    const QStringList before = windows(0);
    return key(window, menuKey) && !waitForNewWindow(before).isEmpty() && key(QString(), itemKey);
}

// The pointer to `at`, in the window's own pixels.
inline void moveTo(const QString& window, QPoint at)
{
    const QPoint screen = geometry(window).topLeft() + at;
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(screen.x()),
             QString::number(screen.y())});
}

inline void click(const QString& window, QPoint at)
{
    moveTo(window, at);
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
}

// A drag with the left button through `points`, in the window's own pixels.
inline void drag(const QString& window, const QList<QPoint>& points)
{
    moveTo(window, points.first());
    xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
    for (const QPoint& point : points.mid(1)) {
        moveTo(window, point);
    }
    xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
}

// Where `picture` shows in `shot`, pixel for pixel; (-1, -1) when it shows nowhere.
inline QPoint locate(const QImage& shot, const QImage& picture)
{
    const QImage wanted = picture.convertToFormat(QImage::Format_RGB32);
    const int w = wanted.width();
    const int h = wanted.height();
    for (int y = 0; y + h <= shot.height(); ++y) {
        for (int x = 0; x + w <= shot.width(); ++x) {
            bool same = true;
            for (int row = 0; row < h && same; ++row) {
                const auto* a = reinterpret_cast<const QRgb*>(shot.constScanLine(y + row)) + x;
                const auto* b = reinterpret_cast<const QRgb*>(wanted.constScanLine(row));
                for (int i = 0; i < w; ++i) {
                    if ((a[i] ^ b[i]) & 0xFFFFFF) {
                        same = false;
                        break;
                    }
                }
            }
            if (same) {
                return QPoint(x, y);
            }
        }
    }
    return QPoint(-1, -1);
}

// Whether the window's X properties give it an icon.
inline bool hasIcon(const QString& window)
{
    const QString icon = run(QStringLiteral("xprop"),
                             {QStringLiteral("-id"), window, QStringLiteral("_NET_WM_ICON")});
    return icon.startsWith(QLatin1String("_NET_WM_ICON(CARDINAL) = "));
}

// The window that the window manager has made active; "" without a window manager.
inline QString activeWindow()
{
    return xdotool({QStringLiteral("getactivewindow")});
}

// The managed windows from the bottom of the stack to the top, as the window manager stacks
// them; empty without a window manager.
inline QStringList stacking()
{
    // "_NET_CLIENT_LIST_STACKING: window id # 0x600108, 0x60010d"
    const QString list =
        run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("-notype"),
                                      QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    QStringList stack;
    for (const QString& id : list.section(QLatin1Char('#'), 1).split(QLatin1Char(','))) {
        bool ok = false;
        const qulonglong window = id.trimmed().toULongLong(&ok, 16);
        if (ok) {
            stack << QString::number(window);
        }
    }
    return stack;
}

// Openbox on the test's X server for as long as the object lives: it stacks windows in layers
// (a window that stays on top above the others) and activates new ones, as a desktop does.
// Without a window manager X shows every new window on top, and a box opened under another
// window cannot be seen to be hidden.
class WindowManager final
{
public:
    static bool installed()
    {
        return !QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty();
    }

    // Starts it with its default settings (`folder` stands in for the user's settings) and waits
    // until it manages the screen; false when it never did.
    bool start(const QString& folder)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder);
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), folder);
        m_process.setProcessEnvironment(environment);
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        return m_process.waitForStarted() && waitFor([this] {
                   // A window manager names itself on the window that the root window points to.
                   const QString check = run(QStringLiteral("xprop"),
                                             {QStringLiteral("-root"), QStringLiteral("-notype"),
                                              QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                                             .section(QLatin1Char('#'), 1)
                                             .trimmed();
                   return m_process.state() == QProcess::Running && !check.isEmpty() &&
                          run(QStringLiteral("xprop"),
                              {QStringLiteral("-id"), check, QStringLiteral("_NET_WM_NAME")})
                              .contains(QLatin1String("\"Openbox\""));
               });
    }

    ~WindowManager()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(StepTimeoutMs)) {
                m_process.kill();
                m_process.waitForFinished();
            }
        }
    }

private:
    QProcess m_process;
};

} // namespace xsession
