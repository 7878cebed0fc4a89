// The floor of the start-up benchmark: a program that shows an empty main window, says "idle"
// as soon as its event loop is idle and ends, exactly as the editor does when measured. With
// "--menu" the window gets one menu title, so it also pays for starting the font system.

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(564, 449);
    if (QCoreApplication::arguments().contains(QStringLiteral("--menu"))) {
        window.menuBar()->addMenu(QStringLiteral("&File"));
    }
    window.show();
    QTimer::singleShot(0, &app, [] {
        std::fputs("idle\n", stdout);
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
    return QApplication::exec();
}
