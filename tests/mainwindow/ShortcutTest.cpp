#include "WindowFixture.h"
#include "common/FindPart.h"
#include "common/TestMain.h"
#include "mainwindow/HelpWindow.h"
#include "tools/TDrawTool.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>

namespace {

// Stands in for the current tool and writes down the Edit commands that reach it.
class EditRecorder final : public TOneTool
{
public:
    EditRecorder(DrawingState& state, ToolHost& host, QStringList& log)
        : TOneTool(state, host), m_log(log)
    {}
    void Undo() override { m_log << QStringLiteral("undo"); }
    void Cut() override { m_log << QStringLiteral("cut"); }
    void Copy() override { m_log << QStringLiteral("copy"); }
    void Paste() override { m_log << QStringLiteral("paste"); }
    void KeyPress(QChar key) override { m_log << QStringLiteral("key ") + key; }

private:
    QStringList& m_log;
};

} // namespace

// Stands in for the system's viewer of help pages and writes down what it was asked to open,
// relative to the program's folder.
class HelpViewer : public QObject
{
    Q_OBJECT

public:
    QStringList* log = nullptr;

public slots:
    void open(const QUrl& url)
    {
        QString page =
            QDir(QCoreApplication::applicationDirPath()).relativeFilePath(url.toLocalFile());
        if (url.hasFragment()) {
            page += QLatin1Char('#') + url.fragment();
        }
        *log << QStringLiteral("open ") + page;
    }
};

class ShortcutTest : public QObject, public WindowFixture
{
    Q_OBJECT

    QStringList m_log;
    HelpViewer m_viewer;

private slots:
    void init()
    {
        openWindow();
        m_log.clear();
        m_viewer.log = &m_log;
        form().drawTool()->setFactory([this](ToolId, DrawingState& s, ToolHost& h) {
            return std::make_unique<EditRecorder>(s, h, m_log);
        });
        form().drawTool()->SelectTool(ToolId::Line);
        // A titled project, so that Save and Save As differ in the dialogs they open.
        form().document().ProjectFileName = path("p.3dp");
    }
    void cleanup()
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        closeWindow();
    }

    void commands_data()
    {
        QTest::addColumn<QString>("input"); // keys typed on the window, or the control used
        QTest::addColumn<bool>("chinese");
        QTest::addColumn<bool>("viewer"); // the system opens help pages
        QTest::addColumn<QStringList>("log");
        QTest::newRow("Ctrl+Z") << "Ctrl+Z" << false << true << QStringList{"undo"};
        QTest::newRow("Ctrl+X") << "Ctrl+X" << false << true << QStringList{"cut"};
        QTest::newRow("Ctrl+C") << "Ctrl+C" << false << true << QStringList{"copy"};
        QTest::newRow("Ctrl+V") << "Ctrl+V" << false << true << QStringList{"paste"};
        // The project commands take the platform's keys, and characters still reach the tool.
        const QString imageSaves[] = {PatternSave + " (unscripted)", DepthSave + " (unscripted)"};
        QTest::newRow("Ctrl+N") << "Ctrl+N" << false << true
                                << QStringList{"YesNo: Are You Sure To\nStart A New 3D Picture? "
                                               "(unscripted)"};
        QTest::newRow("Ctrl+O")
            << "Ctrl+O" << false << true
            << QStringList{"Open: 3D-Picture File[*.3dp]|*.3dp|All Files[*.*]|*.* (unscripted)"};
        QTest::newRow("Ctrl+S") << "Ctrl+S" << false << true
                                << QStringList{imageSaves[0], imageSaves[1]};
        QTest::newRow("Ctrl+Shift+S")
            << "Ctrl+Shift+S" << false << true
            << QStringList{imageSaves[0], imageSaves[1], ProjectSave + " (unscripted)"};
        QTest::newRow("Ctrl+P") << "Ctrl+P" << false << true << QStringList{"Print (unscripted)"};
        QTest::newRow("Ctrl+Q") << "Ctrl+Q" << false << true
                                << QStringList{"OkCancel: Are you sure to quit? (unscripted)"};
        QTest::newRow("a") << "A" << false << true << QStringList{"key a"};
        QTest::newRow("F1") << "F1" << false << true << QStringList{"open help/3DP.htm#10"};
        QTest::newRow("F1, Chinese")
            << "F1" << true << true << QStringList{"open help/c3DP.htm#10"};
        QTest::newRow("Help Contents")
            << "HelpContentsItem" << false << true << QStringList{"open help/index.htm"};
        // Without a browser the program's own help window shows the page.
        QTest::newRow("Help Contents, no viewer")
            << "HelpContentsItem" << false << false << QStringList{"window help/index.htm"};
        QTest::newRow("help button")
            << "sbHelp" << false << true << QStringList{"open help/index.htm"};
        QTest::newRow("help button, no viewer")
            << "sbHelp" << false << false << QStringList{"window help/index.htm"};
        QTest::newRow("F1, no viewer")
            << "F1" << false << false << QStringList{"window help/3DP.htm#10"};
        QTest::newRow("F1, Chinese, no viewer")
            << "F1" << true << false << QStringList{"window help/c3DP.htm#10"};
        // A menu item and its button are one command: each use runs it once.
        QTest::newRow("Cut item") << "EditCutItem" << false << true << QStringList{"cut"};
        QTest::newRow("Cut button") << "sbCut" << false << true << QStringList{"cut"};
        QTest::newRow("Copy button") << "sbCopy" << false << true << QStringList{"copy"};
        QTest::newRow("Paste button") << "sbPaste" << false << true << QStringList{"paste"};
        QTest::newRow("Print button")
            << "sbPrint" << false << true << QStringList{"Print (unscripted)"};
        QTest::newRow("New 3D button")
            << "sbNew3D" << false << true
            << QStringList{"YesNo: Are You Sure To\nStart A New 3D Picture? (unscripted)"};
    }
    // Keys are typed on the window as a user types them, so a shortcut that is not bound
    // does nothing.
    void commands()
    {
        QFETCH(QString, input);
        QFETCH(bool, chinese);
        QFETCH(bool, viewer);
        if (chinese) {
            part<QAction>(form(), "Chinese1")->trigger();
        }
        if (viewer) {
            QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_viewer, "open");
        } else if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
            QSKIP("only the offscreen platform is known to open no pages");
        }
        if (auto* button = form().findChild<QToolButton*>(input)) {
            QTest::mouseClick(button, Qt::LeftButton);
        } else if (auto* item = form().findChild<QAction*>(input)) {
            item->trigger();
        } else {
            QTest::keySequence(form().windowHandle(), QKeySequence(input));
        }
        if (HelpWindow* window = form().helpWindow(); window && window->isVisible()) {
            m_viewer.log = nullptr;
            const QUrl shown = window->page();
            m_log << QStringLiteral("window ") +
                         QDir(QCoreApplication::applicationDirPath())
                             .relativeFilePath(shown.toLocalFile()) +
                         (shown.hasFragment() ? QLatin1Char('#') + shown.fragment() : QString());
        }
        QTEST(m_log + m_prompts.log, "log");
    }
};

DEPTHLOOM_TEST_CLASS(ShortcutTest);
#include "ShortcutTest.moc"
