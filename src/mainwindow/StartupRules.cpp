#include "mainwindow/StartupRules.h"

#include "document/Prompts.h"

#include <QDir>
#include <QFileInfo>

namespace startup {
namespace {

// Topic names compare without regard to case; the server name carries the topic in lower case.
QString topicSuffix(const QString& topic)
{
    return QLatin1Char('-') + topic.toLower();
}

QString joinFolder(const QString& folder, const QString& relative)
{
    if (folder.isEmpty()) {
        return relative;
    }
    return folder.endsWith(QLatin1Char('/')) ? folder + relative
                                             : folder + QLatin1Char('/') + relative;
}

} // namespace

bool launchedByHost(const QStringList& arguments)
{
    return arguments.size() >= 2 && arguments.at(1) == QLatin1String(HostStartArgument);
}

ColorDepthDecision CheckColorDepth(int BitsPerPixel, Prompts& prompts)
{
    ColorDepthDecision decision;
    if (BitsPerPixel > 8) {
        decision.UseHighColorPalette = true;
        decision.highColorPaletteChecked = true;
    } else {
        decision.UseHighColorPalette = false;
        decision.n20ColorPaletteChecked = true;
        decision.highColorPaletteChecked = false;
    }
    if (BitsPerPixel < 8) {
        decision.asked = true;
        decision.passed = prompts.askYesNo(colorDepthQuestion());
    }
    return decision;
}

QString colorDepthQuestion()
{
    return QStringLiteral("This Program need at least 256 colors\n"
                          "    (Recemmend 16-bit color)\n"
                          "    Do you want to continue?");
}

std::optional<QString> projectFromMacro(const QString& macro)
{
    static const QLatin1String Load("[L]");
    qsizetype lineEnd = macro.size();
    for (qsizetype i = 0; i < macro.size(); ++i) {
        if (macro.at(i) == QLatin1Char('\r') || macro.at(i) == QLatin1Char('\n')) {
            lineEnd = i;
            break;
        }
    }
    const QStringView firstLine = QStringView(macro).left(lineEnd);
    // An empty path would "open" a project of three empty names and empty the depth map.
    if (!firstLine.startsWith(Load) || firstLine.size() == Load.size()) {
        return std::nullopt;
    }
    return firstLine.mid(Load.size()).toString();
}

QString hostProjectErrors(const QStringList& errors)
{
    if (errors.size() <= 1) {
        return errors.value(0);
    }
    QString text = QStringLiteral("The host program asked to open %1 projects that cannot be "
                                  "opened:\n%2")
                       .arg(errors.size())
                       .arg(errors.mid(0, HostErrorsShown).join(QLatin1Char('\n')));
    if (errors.size() > HostErrorsShown) {
        text += QStringLiteral("\nand %1 more.").arg(errors.size() - HostErrorsShown);
    }
    return text;
}

EditorArguments editorArguments(const QStringList& arguments)
{
    EditorArguments result;
    result.LaunchedByHost = launchedByHost(arguments);
    if (result.LaunchedByHost || arguments.size() < 2) {
        return result;
    }
    if (arguments.size() > 2) {
        result.error = QStringLiteral("the editor opens one FILE, got %1 arguments (see --help)")
                           .arg(arguments.size() - 1);
    } else if (arguments.at(1).isEmpty()) {
        result.error = QStringLiteral("the FILE to open has an empty name");
    } else {
        result.file = arguments.at(1);
    }
    return result;
}

QString helpFolder(const QString& programFolder)
{
    const QString beside = joinFolder(programFolder, QStringLiteral("help"));
    if (QFileInfo(beside + QStringLiteral("/index.htm")).isFile()) {
        return beside;
    }
    const QString installed =
        QDir::cleanPath(joinFolder(programFolder, QStringLiteral("../share/depthloom/help")));
    if (QFileInfo(installed + QStringLiteral("/index.htm")).isFile()) {
        return installed;
    }
    return beside;
}

QString helpIndexPath(const QString& programFolder)
{
    return helpFolder(programFolder) + QStringLiteral("/index.htm");
}

QUrl helpTopicUrl(const QString& programFolder, const QString& helpFileName)
{
    QString page = helpFileName;
    if (page.endsWith(QLatin1String(".HLP"), Qt::CaseInsensitive)) {
        page.chop(4);
    }
    page += QLatin1String(".htm");
    QUrl url = QUrl::fromLocalFile(helpFolder(programFolder) + QLatin1Char('/') + page);
    url.setFragment(QStringLiteral("10"));
    return url;
}

QString hostServerName(const QString& executablePath)
{
    QString name = QFileInfo(executablePath).fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0) {
        name.truncate(dot);
    }
    return name + topicSuffix(QStringLiteral("DdeServerConv1"));
}

QString hostProgramServerName()
{
    return QStringLiteral("dp") + topicSuffix(QStringLiteral("ddeServerConv1"));
}

} // namespace startup
