#include "mainwindow/Startup.h"

#include "mainwindow/AppIcon.h"
#include "mainwindow/DialogPrompts.h"
#include "mainwindow/SplashWindow.h"
#include "mainwindow/StartupRules.h"
#include "mainwindow/TForm1.h"

#include <QApplication>
#include <QFontDatabase>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <memory>

int runEditor(int& argc, char** argv)
{
    QApplication app(argc, argv);
    const startup::EditorArguments arguments =
        startup::editorArguments(QCoreApplication::arguments());
    if (!arguments.error.isEmpty()) {
        std::fprintf(stderr, "depthloom: %s\n", qUtf8Printable(arguments.error));
        return 2;
    }
    // Every window carries the icon; the desktop entry of the same name ties the running
    // program to its launcher.
    QApplication::setWindowIcon(appicon::icon());
    QGuiApplication::setDesktopFileName(QStringLiteral("depthloom"));
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    auto splash = std::make_unique<Tsplashfm>();
    splash->showNow();
    QCoreApplication::setApplicationName(QStringLiteral("Depthloom"));

    DialogPrompts prompts(nullptr);
    TForm1 form(prompts);
    prompts.setParent(&form);
    const QScreen* screen = form.screen();
    int bitsPerPixel = screen ? screen->depth() : 32;
    // The X servers Qt runs on have 8 bits per pixel or more: DEPTHLOOM_DISPLAY_BITS stands in
    // for the display's depth, so that the question for fewer colours and both its answers can
    // be tried on any of them.
    bool depthGiven = false;
    const int givenDepth = qEnvironmentVariableIntValue("DEPTHLOOM_DISPLAY_BITS", &depthGiven);
    if (depthGiven && givenDepth > 0) {
        bitsPerPixel = givenDepth;
    }
    const bool passed =
        form.FormCreate(QCoreApplication::arguments(), bitsPerPixel, QFontDatabase::families());
    // Before the first activation, which fills the new depth map with the ground colour that
    // the height palette sets.
    form.createHeightPalette();
    form.show();
    // A shown main window is activated at once; running its first activation here lets the
    // first paint show the images instead of empty panes.
    form.FormActivate();
    form.repaint();
    form.createColorPalettes();
    form.createSecondaryWindows();
    form.createPenStylePicker();
    form.startHostLink(QCoreApplication::applicationFilePath());
    splash.reset();
    QGuiApplication::restoreOverrideCursor();

    if (!passed) {
        // The user chose not to go on with too few colours: start-up ran to its end, and the
        // program ends without taking any input.
        return 0;
    }
    form.restoreRememberedWindows();
    if (!arguments.file.isEmpty()) {
        // From the running loop, so that a message about the file shows over the window.
        QTimer::singleShot(0, &form, [&form, file = arguments.file] { form.openGivenFile(file); });
    }
    // For measuring start-up: say "idle" and end as soon as the window is shown and the loop
    // has nothing left to do.
    if (qEnvironmentVariableIsSet("DEPTHLOOM_QUIT_WHEN_IDLE")) {
        QTimer::singleShot(0, &app, [] {
            std::fputs("idle\n", stdout);
            std::fflush(stdout);
            QCoreApplication::exit(0);
        });
    }
    // What a run that did not quit cleanly left unsaved is offered back once the window and the
    // given file are up; from now on this run keeps copies of its own.
    QTimer::singleShot(0, &form, [&form] {
        const QString root = defaultRecoveryRoot();
        form.keepRecoveryCopies(root);
        form.offerRecovery(root);
    });
    return QApplication::exec();
}
