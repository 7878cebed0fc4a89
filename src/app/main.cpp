// The program: the editor, or one batch command that needs no window and no display.

#include "document/BatchCommands.h"
#include "document/FineMake3d.h"
#include "mainwindow/Startup.h"

#include <QCoreApplication>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr const char* Usage =
    "Usage: depthloom [FILE]\n"
    "       depthloom DpStart\n"
    "       depthloom [--verbose] --make3d PATTERN DEPTH OUTPUT\n"
    "       depthloom [--verbose] --make3d PROJECT.3dp OUTPUT\n"
    "       depthloom [--verbose] --make3d --fine [--oversample N] [--dots] [--seed N]\n"
    "                 PATTERN|random DEPTH OUTPUT   (or PROJECT.3dp OUTPUT)\n"
    "       depthloom [--verbose] --convert INPUT OUTPUT\n"
    "       depthloom [--verbose] --decode PICTURE DEPTH_OUT [--strip-width S]\n"
    "       depthloom --help | --version\n"
    "\n"
    "Depthloom is an editor for single-image stereograms: a colour pattern strip and a grey\n"
    "depth map, whose grey levels are heights, become a 3D picture.\n"
    "\n"
    "Without a command the editor opens its window.\n"
    "  FILE       open FILE at start: a .3dp project as File > Open 3D Picture opens it, a\n"
    "             .bkp height map into the depth map, any other picture into the pattern\n"
    "             strip\n"
    "  DpStart    started by the host program, which names the project to open over its\n"
    "             link and is told when the editor quits; anything after it is ignored\n"
    "\n"
    "A command runs without a window or a display:\n"
    "  --make3d PATTERN DEPTH OUTPUT\n"
    "             build the 3D picture of the pattern strip PATTERN (any picture) and the\n"
    "             depth map DEPTH (a .bkp height-map file, or any picture taken as greys)\n"
    "             and write it to OUTPUT, a Windows bitmap unless the extension names\n"
    "             another format it writes (.png, .jpg, ...); one it cannot write (.gif,\n"
    "             .tif, ...) is refused; a strip shorter than the depth map is repeated\n"
    "             downwards\n"
    "  --make3d PROJECT.3dp OUTPUT\n"
    "             the same for the pattern strip and depth map a project file names\n"
    "  --fine     with --make3d: the finer renderer, for the same size and depth; it works\n"
    "             at N times the width and reduces, and leaves out what either eye could\n"
    "             not see, so the picture has no echoes and no ghost fragments, and slopes\n"
    "             rise smoothly instead of in steps; a strip shorter than the depth map is\n"
    "             repeated downwards\n"
    "  --oversample N\n"
    "             with --fine: samples per pixel across, 1 to 16 (default 4; 8 gives every\n"
    "             grey level a depth of its own in every row, 4 over each pair of rows)\n"
    "  --dots     with --fine: two dots on a white band added at the top, one strip width\n"
    "             apart, to help the eyes fuse the picture\n"
    "  random     with --fine, as PATTERN: a strip 100 pixels wide of random colour dots\n"
    "  --seed N   with random: the same dots for the same N (0 to 4294967295)\n"
    "  --convert INPUT OUTPUT\n"
    "             read a depth map (.bkp, or any picture taken as greys) and write it as a\n"
    "             height-map file, or as a picture when OUTPUT's extension names a picture\n"
    "             format (.bmp, .png, ...)\n"
    "  --decode PICTURE DEPTH_OUT\n"
    "             read the 3D picture PICTURE (from this program or another, random dots\n"
    "             or a textured pattern) back into its depth map and write it to DEPTH_OUT\n"
    "             as --convert writes one: greys of ground 56 and 8 more for each pixel\n"
    "             by which the picture repeats nearer; prints the strip width it used\n"
    "  --strip-width S\n"
    "             with --decode: the picture's period on the ground in pixels, found from\n"
    "             the picture when not given\n"
    "  --help     show this help\n"
    "  --version  show the version\n"
    "  --verbose  also show the warnings of the picture libraries (Qt, libpng, libjpeg), which\n"
    "             are otherwise left out so that a failure prints only its one error line;\n"
    "             setting QT_LOGGING_RULES shows them too, filtered by those rules\n"
    "\n"
    "OUTPUT is replaced only once it is complete, and never when it is one of the files the\n"
    "command reads, by whatever name, or is not a regular file (a device, a FIFO). A batch\n"
    "command exits with 0 on success, 1 when a file cannot be read or written, and 2 when\n"
    "the command line is wrong. Control characters in names are shown as \\n, \\x1b, ...\n";

// Exit statuses of the batch commands.
constexpr int ExitFailed = 1; // a file could not be read or written
constexpr int ExitUsage = 2;  // the command line is wrong

int fail(int status, const QString& message)
{
    std::fprintf(stderr, "depthloom: %s\n", qUtf8Printable(printableMessage(message)));
    return status;
}

bool isBatchOption(const char* arg)
{
    return arg[0] == '-' && arg[1] != '\0';
}

// The soft limit on open files up to the hard one: the editor holds a descriptor for every
// connection of its host link and every file and window it has open, and a common soft limit
// of 1,024 is soon reached by a flood of connections.
void raiseOpenFileLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

// Standard error goes nowhere for as long as the object lives. The picture libraries write
// their own warnings there, some through Qt's log and libpng's errors directly, ahead of the
// one line that says what failed.
class QuietStderr final
{
public:
    QuietStderr()
    {
        std::fflush(stderr);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        m_saved = null >= 0 ? ::fcntl(2, F_DUPFD_CLOEXEC, 3) : -1;
        if (m_saved >= 0) {
            ::dup2(null, 2);
        }
        if (null >= 0) {
            ::close(null);
        }
    }
    ~QuietStderr()
    {
        if (m_saved >= 0) {
            std::fflush(stderr);
            ::dup2(m_saved, 2);
            ::close(m_saved);
        }
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int m_saved = -1;
};

int runBatch(QStringList args)
{
    // The user asks for the libraries' warnings with --verbose, or by choosing categories in
    // QT_LOGGING_RULES.
    const bool verbose = !args.isEmpty() && args.first() == QLatin1String("--verbose");
    if (verbose) {
        args.removeFirst();
    }
    const bool quiet = !verbose && !qEnvironmentVariableIsSet("QT_LOGGING_RULES");
    const auto run = [quiet](const std::function<QString()>& command) {
        std::optional<QuietStderr> silence;
        if (quiet) {
            silence.emplace();
        }
        return command();
    };
    if (args.isEmpty()) {
        return fail(ExitUsage, QStringLiteral("--verbose needs a command (see --help)"));
    }
    const QString option = args.first(); // a copy: args is rebuilt below
    if (option == QLatin1String("--help") || option == QLatin1String("-h")) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (option == QLatin1String("--version")) {
        std::printf("depthloom %s\n", DEPTHLOOM_VERSION);
        return 0;
    }
    std::optional<FineMake3d> fine;
    if (option == QLatin1String("--make3d")) {
        QStringList files = args.mid(1);
        QString problem;
        if (!takeFineOptions(files, &fine, &problem)) {
            return fail(ExitUsage, problem);
        }
        args = QStringList{option} + files;
    }
    const FineMake3d* finer = fine ? &*fine : nullptr;
    QString error;
    if (option == QLatin1String("--make3d") && args.size() == 4) {
        error = run([&] { return make3dFiles(args[1], args[2], args[3], finer); });
    } else if (option == QLatin1String("--make3d") && args.size() == 3 &&
               args[1].endsWith(QLatin1String(".3dp"), Qt::CaseInsensitive)) {
        error = run([&] { return make3dProject(args[1], args[2], finer); });
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
        error = run([&] { return convertDepthMap(args[1], args[2]); });
    } else if (option == QLatin1String("--decode")) {
        QStringList files = args.mid(1);
        int stripWidth = 0;
        if (const qsizetype at = files.indexOf(QLatin1String("--strip-width")); at >= 0) {
            bool ok = false;
            stripWidth = at + 1 < files.size() ? files[at + 1].toInt(&ok) : 0;
            if (!ok || stripWidth < 1) {
                return fail(ExitUsage, QStringLiteral("--strip-width needs a whole number of "
                                                      "pixels above 0, got '%1' (see --help)")
                                           .arg(at + 1 < files.size() ? files[at + 1] : QString()));
            }
            files.remove(at, 2);
        }
        if (files.size() != 2) {
            return fail(ExitUsage, QStringLiteral("--decode takes PICTURE DEPTH_OUT, got %1 "
                                                  "argument(s) (see --help)")
                                       .arg(files.size()));
        }
        int used = 0;
        error = run([&] { return decodeDepthMap(files[0], files[1], stripWidth, &used); });
        if (error.isEmpty()) {
            std::printf("depthloom: %s: strip width %d pixels%s\n", qUtf8Printable(files[0]), used,
                        stripWidth ? "" : " (found in the picture)");
        }
    } else {
        return fail(ExitUsage, QStringLiteral("unknown option '%1' (see --help)").arg(option));
    }
    if (!error.isEmpty()) {
        return fail(ExitFailed, error);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // Past a file-size limit a write fails with "File too large", which every save reports,
    // instead of the signal ending the program without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    // Likewise a write to a pipe or socket whose reader has gone fails with "Broken pipe".
    std::signal(SIGPIPE, SIG_IGN);
    if (argc > 1 && isBatchOption(argv[1])) {
        // No QGuiApplication: batch commands must run without a display.
        QCoreApplication app(argc, argv);
        QStringList args = QCoreApplication::arguments();
        args.removeFirst();
        return runBatch(args);
    }
    raiseOpenFileLimit();
    return runEditor(argc, argv);
}
