#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

class Prompts;

// The decisions the editor makes while it starts and ends, kept apart from the windows that
// act on them: the display's colour depth, whether a host program started it, the macros the
// host sends, where the help pages live and the names of the host link.
namespace startup {

// The first argument by which the host program marks a start of its own.
inline constexpr char HostStartArgument[] = "DpStart";
// The macro the editor sends the host program when it quits.
inline constexpr char QuitMacro[] = "I am quit";

// True when the first argument after the program, compared case-sensitively, is "DpStart".
// `arguments` is the whole command line as QCoreApplication::arguments() gives it, with the
// program at index 0; later arguments are ignored.
bool launchedByHost(const QStringList& arguments);

// What the main window takes from the display's colour depth. The check marks are those of the
// View menu items HighColorPalette and N20ColorPalette after the check, starting from their
// design state (high-colour checked, 20-colour not).
struct ColorDepthDecision
{
    bool UseHighColorPalette = true;
    bool highColorPaletteChecked = true;
    bool n20ColorPaletteChecked = false;
    // The question was put to the user (displays below 8 bits per pixel only).
    bool asked = false;
    // False when the user declined to go on: the program then ends right after start-up.
    bool passed = true;
};

// More than 8 bits per pixel chooses the high-colour picker; 8 or fewer the 20-colour palette.
// Below 8 the user is asked colorDepthQuestion() and No makes the check fail.
ColorDepthDecision CheckColorDepth(int BitsPerPixel, Prompts& prompts);

// The question asked on displays below 8 bits per pixel, with its line breaks.
QString colorDepthQuestion();

// The project path in a macro from the host program: its first line must begin with "[L]"
// (capital L); the rest of that line is the path, letter case kept as sent. The first line ends
// at the first "\r" or "\n". Anything else, and "[L]" with no path after it, gives nothing.
std::optional<QString> projectFromMacro(const QString& macro);

// How many reasons one message lists when the host names projects that cannot be opened.
inline constexpr int HostErrorsShown = 20;

// One message for the projects the host asked for, in turn, that could not be opened, `errors`
// holding each one's reason (which names its file): a single reason as it is; several under one
// heading, at most HostErrorsShown of them, then how many more there were.
QString hostProjectErrors(const QStringList& errors);

// What the editor's command line asks for. `arguments` is the whole command line as
// QCoreApplication::arguments() gives it, with the program at index 0.
struct EditorArguments
{
    bool LaunchedByHost = false;
    // A file to open at start-up, as given; empty for none.
    QString file;
    // Why the editor cannot start with these arguments; empty when it can.
    QString error;
};

// "DpStart" first marks a start by the host program, and the rest of the line is ignored as the
// host expects. Otherwise one argument names a file to open; more than one, or an empty one, is
// an error.
EditorArguments editorArguments(const QStringList& arguments);

// The folder of the help pages: "help" beside the program (`programFolder`, with or without a
// trailing "/"), as in the build folder, or else "share/depthloom/help" of the prefix the
// program is installed in ("bin" beside "share"). When neither holds an index page, the one
// beside the program, so that a message names where the pages belong.
QString helpFolder(const QString& programFolder);

// The contents page: index.htm of helpFolder(), joined by exactly one "/".
QString helpIndexPath(const QString& programFolder);

// The page for the topic with context number 10 of a help file named like "3DP.HLP": the file
// name with ".HLP" (any letter case) replaced by ".htm", in helpFolder(), at the anchor "10". A
// name without ".HLP" gets ".htm" added.
QUrl helpTopicUrl(const QString& programFolder, const QString& helpFileName);

// The name the editor's host-link server listens under: the executable's file name without its
// folder and without anything from its first "." on, a hyphen, and the conversation topic
// "DdeServerConv1" in lower case ("depthloom-ddeserverconv1").
QString hostServerName(const QString& executablePath);

// The name the host program listens under for the quit macro: "dp-ddeserverconv1".
QString hostProgramServerName();

} // namespace startup
