// What the main window does when the program starts and ends: the colour-depth check, the start
// language, the host link, the help pages, the about box and the quit question.

#include "document/Prompts.h"
#include "mainwindow/AboutBox.h"
#include "mainwindow/HostLink.h"
#include "mainwindow/StartupRules.h"
#include "mainwindow/TForm1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

namespace {

// The font whose presence means a Chinese system: SimSun by its Chinese name.
const QString ChineseFont = QStringLiteral("宋体");

} // namespace

bool TForm1::FormCreate(const QStringList& arguments, int bitsPerPixel,
                        const QStringList& fontFamilies)
{
    BitsPerPixel = bitsPerPixel;
    const startup::ColorDepthDecision depth = startup::CheckColorDepth(BitsPerPixel, m_prompts);
    m_drawing.UseHighColorPalette = depth.UseHighColorPalette;
    HighColorPalette->setChecked(depth.highColorPaletteChecked);
    N20ColorPalette->setChecked(depth.n20ColorPaletteChecked);

    if (fontFamilies.contains(ChineseFont)) {
        Chinese1Click();
    } else {
        ChangeLanguage(language::English);
    }
    LaunchedByHost = startup::launchedByHost(arguments);
    FirstActivation = true;
    return depth.passed;
}

void TForm1::startHostLink(const QString& executablePath)
{
    m_hostLink = new HostLink(this);
    if (!m_hostLink->listen(startup::hostServerName(executablePath))) {
        // Another copy serves the host; this one runs without a server.
        delete m_hostLink;
        m_hostLink = nullptr;
        return;
    }
    connect(m_hostLink, &HostLink::macroReceived, this, &TForm1::DdeServerConv1ExecuteMacro);
}

void TForm1::DdeServerConv1ExecuteMacro(const QString& macro)
{
    const std::optional<QString> project = startup::projectFromMacro(macro);
    if (!project) {
        return;
    }
    // A macro that arrives while a dialog is open waits for it to close, so a project is never
    // opened under a question the user is answering.
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(200, this, [this, macro] { DdeServerConv1ExecuteMacro(macro); });
        return;
    }
    openProjectFile(*project);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (!m_prompts.askOkCancel(
            language::LanguageMessages(language::MessageRow::QuitQuestion, UILanguage))) {
        event->ignore();
        return;
    }
    if (LaunchedByHost) {
        HostLink::sendMacro(startup::hostProgramServerName(),
                            QString::fromLatin1(startup::QuitMacro));
    }
    event->accept();
    // The program ends with this window, whatever other windows are still open. (quit() would
    // try to close every window, this one included, and so ask again.)
    QCoreApplication::exit(0);
}

void TForm1::HelpContentsItemClick()
{
    const QString page = startup::helpIndexPath(QCoreApplication::applicationDirPath());
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(page))) {
        m_prompts.showError(QStringLiteral("Can not open help page: index.htm"));
    }
}

void TForm1::sbHelpClick()
{
    QDesktopServices::openUrl(
        QUrl::fromLocalFile(startup::helpIndexPath(QCoreApplication::applicationDirPath())));
}

void TForm1::showHelpTopic()
{
    QDesktopServices::openUrl(
        startup::helpTopicUrl(QCoreApplication::applicationDirPath(), HelpFile));
}

void TForm1::HelpAboutItemClick()
{
    if (!m_about) {
        m_about = new TdlgAbout(this);
    }
    m_about->showBox();
}

void TForm1::connectStartupCommands()
{
    connect(FileExitItem, &QAction::triggered, this, &QWidget::close);
    connect(HelpContentsItem, &QAction::triggered, this, &TForm1::HelpContentsItemClick);
    connect(sbHelp, &QToolButton::clicked, this, &TForm1::sbHelpClick);
    connect(HelpAboutItem, &QAction::triggered, this, &TForm1::HelpAboutItemClick);
    connect(Chinese1, &QAction::triggered, this, &TForm1::Chinese1Click);
    connect(English1, &QAction::triggered, this, &TForm1::English1Click);
}
