// The program: the editor, or one batch command that needs no window and no display.

#include "document/BatchCommands.h"
#include "mainwindow/Startup.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

constexpr const char* Usage =
    "Usage: depthloom [DpStart]\n"
    "       depthloom --make3d PATTERN DEPTH OUTPUT\n"
    "       depthloom --make3d PROJECT.3dp OUTPUT\n"
    "       depthloom --convert INPUT OUTPUT\n"
    "       depthloom --help | --version\n"
    "\n"
    "Depthloom is an editor for single-image stereograms: a colour pattern strip and a grey\n"
    "depth map, whose grey levels are heights, become a 3D picture.\n"
    "\n"
    "  --make3d PATTERN DEPTH OUTPUT\n"
    "             build the 3D picture of the pattern strip PATTERN (any picture) and the\n"
    "             depth map DEPTH (a .bkp height-map file, or any picture taken as greys)\n"
    "             and write it to OUTPUT, a Windows bitmap unless the extension names\n"
    "             another format (.png, ...)\n"
    "  --make3d PROJECT.3dp OUTPUT\n"
    "             the same for the pattern strip and depth map a project file names\n"
    "  --convert INPUT OUTPUT\n"
    "             read a depth map (.bkp, or any picture taken as greys) and write it as a\n"
    "             height-map file, or as a picture when OUTPUT's extension names a picture\n"
    "             format (.bmp, .png, ...)\n"
    "  --help     show this help\n"
    "  --version  show the version\n";

// Exit statuses of the batch commands.
constexpr int ExitFailed = 1; // a file could not be read or written
constexpr int ExitUsage = 2;  // the command line is wrong

int fail(int status, const QString& message)
{
    std::fprintf(stderr, "depthloom: %s\n", qUtf8Printable(message));
    return status;
}

bool isBatchOption(const char* arg)
{
    return arg[0] == '-' && arg[1] != '\0';
}

int runBatch(const QStringList& args)
{
    const QString& option = args.first();
    if (option == QLatin1String("--help") || option == QLatin1String("-h")) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (option == QLatin1String("--version")) {
        std::printf("depthloom %s\n", DEPTHLOOM_VERSION);
        return 0;
    }
    QString error;
    if (option == QLatin1String("--make3d") && args.size() == 4) {
        error = make3dFiles(args[1], args[2], args[3]);
    } else if (option == QLatin1String("--make3d") && args.size() == 3 &&
               args[1].endsWith(QLatin1String(".3dp"), Qt::CaseInsensitive)) {
        error = make3dProject(args[1], args[2]);
    } else if (option == QLatin1String("--make3d")) {
        return fail(ExitUsage, QStringLiteral("--make3d takes PATTERN DEPTH OUTPUT or "
                                              "PROJECT.3dp OUTPUT, got %1 argument(s) (see --help)")
                                   .arg(args.size() - 1));
    } else if (option == QLatin1String("--convert")) {
        if (args.size() != 3) {
            return fail(ExitUsage, QStringLiteral("--convert takes INPUT OUTPUT, got %1 "
                                                  "argument(s) (see --help)")
                                       .arg(args.size() - 1));
        }
        error = convertDepthMap(args[1], args[2]);
    } else {
        return fail(ExitUsage, QStringLiteral("unknown option '%1' (see --help)").arg(option));
    }
    return error.isEmpty() ? 0 : fail(ExitFailed, error);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && isBatchOption(argv[1])) {
        // No QGuiApplication: batch commands must run without a display.
        QCoreApplication app(argc, argv);
        QStringList args = QCoreApplication::arguments();
        args.removeFirst();
        return runBatch(args);
    }
    return runEditor(argc, argv);
}
