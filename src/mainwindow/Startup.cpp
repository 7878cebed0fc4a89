#include "mainwindow/Startup.h"

#include <QApplication>

#include <cstdio>

int runEditor(int& argc, char** argv, const char* usage)
{
    QApplication app(argc, argv);
    // The editor's windows are not there yet: until they are, say how the program is used.
    std::fputs(usage, stdout);
    return 0;
}
