#include "mainwindow/Startup.h"

#include "mainwindow/DialogPrompts.h"
#include "mainwindow/TForm1.h"

#include <QApplication>

int runEditor(int& argc, char** argv)
{
    QApplication app(argc, argv);
    DialogPrompts prompts(nullptr);
    TForm1 form(prompts);
    form.show();
    return QApplication::exec();
}
