// What the main window does when the program starts and ends: the colour-depth check, the start
// language, the floating windows, the host link, the help pages, the about box and the quit
// question.

#include "document/Prompts.h"
#include "document/TMy3DFile.h"
#include "mainwindow/AboutBox.h"
#include "mainwindow/EditorToolHost.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/HostLink.h"
#include "mainwindow/LivePreview.h"
#include "mainwindow/StartupRules.h"
#include "mainwindow/TForm1.h"
#include "pickers/Placement.h"
#include "pickers/TfmColor.h"
#include "pickers/TfmColor16.h"
#include "pickers/TfmPStyle.h"
#include "pickers/Tfmheight.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTimer>
#include <QUrl>

namespace {

// The font whose presence means a Chinese system: SimSun by its Chinese name.
const QString ChineseFont = QStringLiteral("宋体");

// Room for the title bar and borders that a window manager adds around a window, unknown until
// the window has been shown.
const QMargins FrameAllowance(4, 30, 4, 4);

// The screen area a window's frame takes or will take: a window's position is that of its frame.
QRect frameOf(const QWidget* window)
{
    return window->frameGeometry().united(
        QRect(window->pos(), window->size().grownBy(FrameAllowance)));
}

} // namespace

bool TForm1::FormCreate(const QStringList& arguments, int bitsPerPixel,
                        const QStringList& fontFamilies)
{
    BitsPerPixel = bitsPerPixel;
    const startup::ColorDepthDecision depth = startup::CheckColorDepth(BitsPerPixel, m_prompts);
    m_drawing.UseHighColorPalette = depth.UseHighColorPalette;
    command("HighColorPalette")->setChecked(depth.highColorPaletteChecked);
    command("N20ColorPalette")->setChecked(depth.n20ColorPaletteChecked);

    if (fontFamilies.contains(ChineseFont)) {
        Chinese1Click();
    } else {
        ChangeLanguage(language::English);
    }
    LaunchedByHost = startup::launchedByHost(arguments);
    FirstActivation = true;
    return depth.passed;
}

void TForm1::createHeightPalette()
{
    auto* palette = new Tfmheight(m_drawing, m_document.groundColor, this);
    m_toolHost->setPaletteWindow(PaletteWindow::Height, palette);
    placeFloatingWindow(palette, placement::Side::Right, false);
}

void TForm1::createColorPalettes()
{
    auto* color16 = new TfmColor16(m_drawing, m_prompts, this);
    m_toolHost->setPaletteWindow(PaletteWindow::Color20, color16);
    placeFloatingWindow(color16, placement::Side::Right, false);
    auto* highColor = new TfmColor(m_drawing, this);
    m_toolHost->setPaletteWindow(PaletteWindow::HighColor, highColor);
    placeFloatingWindow(highColor, placement::Side::Right, false);
}

void TForm1::createPenStylePicker()
{
    auto* picker = new TfmPStyle(m_drawing, this);
    m_toolHost->setPenStylePicker(picker);
    placeFloatingWindow(picker, placement::Side::Left, true);
}

Tfmheight* TForm1::heightPalette() const
{
    return static_cast<Tfmheight*>(m_toolHost->paletteWindow(PaletteWindow::Height));
}

TfmColor16* TForm1::color16Palette() const
{
    return static_cast<TfmColor16*>(m_toolHost->paletteWindow(PaletteWindow::Color20));
}

TfmColor* TForm1::highColorPicker() const
{
    return static_cast<TfmColor*>(m_toolHost->paletteWindow(PaletteWindow::HighColor));
}

TfmPStyle* TForm1::penStylePicker() const
{
    return m_toolHost->penStylePicker();
}

void TForm1::placeFloatingWindow(QWidget* window, placement::Side side, bool clearOfOthers)
{
    const QScreen* screen = this->screen();
    if (!screen) {
        return;
    }
    QList<QRect> taken;
    if (clearOfOthers) {
        for (const FloatingPalette* palette : m_toolHost->paletteWindows()) {
            if (palette) {
                taken.append(frameOf(palette));
            }
        }
        if (const QWidget* picker = m_toolHost->penStylePicker(); picker && picker != window) {
            taken.append(frameOf(picker));
        }
    }
    // A maximised window's frame may not be known yet; it is the screen's free area.
    const QRect main =
        isMaximized() || isFullScreen() ? screen->availableGeometry() : frameOf(this);
    const QSize size = frameOf(window).size();
    const QPoint beside =
        placement::besideMainWindow(main, size, screen->availableGeometry(), side, taken);
    if (!QRect(beside, size).intersects(main)) {
        window->move(beside);
        return;
    }
    // No room beside the window (maximised, say): over its panes, never over its bars; in the
    // palettes' column while it keeps one.
    QRect allowed = clearOfBars();
    if (m_paletteColumn > 0 && window != m_livePreview) {
        allowed.setLeft(allowed.right() + 1 - m_paletteColumn + placement::Gap);
    }
    const QRect over = placement::overMainWindow(allowed, size, taken);
    if (over.size() != size) {
        window->resize(window->size() - (size - over.size()));
    }
    // A window hidden after it was shown is moved by its inside's corner (it has forgotten its
    // frame): its frame will be about as thick as this window's.
    const QPoint frameCorner = window->isVisible() || !window->windowHandle()
                                   ? QPoint()
                                   : geometry().topLeft() - frameGeometry().topLeft();
    window->move(over.topLeft() + frameCorner);
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
    m_hostProjects.append(*project);
    openHostProjects();
}

void TForm1::openHostProjects()
{
    // Projects that arrive while some are being opened join the queue being worked through.
    if (m_openingHostProjects) {
        return;
    }
    // A project is never opened under a question the user is answering: the queue waits for
    // the dialog to close. Everything that arrives meanwhile is reported in the next box.
    if (QApplication::activeModalWidget()) {
        if (!m_hostRetryDue) {
            m_hostRetryDue = true;
            QTimer::singleShot(200, this, [this] {
                m_hostRetryDue = false;
                openHostProjects();
            });
        }
        return;
    }
    QStringList errors;
    {
        const QScopedValueRollback opening(m_openingHostProjects, true);
        while (!m_hostProjects.isEmpty()) {
            const QString project = m_hostProjects.takeFirst();
            if (const QString error = TMy3DFile(project).whyNotAProject(); !error.isEmpty()) {
                errors.append(error);
            } else {
                openProjectFile(project);
            }
        }
    }
    // Projects that arrive while the box is up wait for it to close (see above).
    if (!errors.isEmpty()) {
        m_prompts.showError(startup::hostProjectErrors(errors));
    }
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (!confirmReplacing(true, true, true, [this] {
            return m_prompts.askOkCancel(
                language::LanguageMessages(language::MessageRow::QuitQuestion, UILanguage));
        })) {
        event->ignore();
        return;
    }
    if (LaunchedByHost) {
        HostLink::sendMacro(startup::hostProgramServerName(),
                            QString::fromLatin1(startup::QuitMacro));
    }
    endRecovery();
    event->accept();
    rememberWindows();
    // The program ends with this window, whatever other windows are still open. (quit() would
    // try to close every window, this one included, and so ask again.)
    QCoreApplication::exit(0);
}

void TForm1::HelpContentsItemClick()
{
    openHelpPage(
        QUrl::fromLocalFile(startup::helpIndexPath(QCoreApplication::applicationDirPath())));
}

void TForm1::sbHelpClick()
{
    HelpContentsItemClick();
}

void TForm1::showHelpTopic()
{
    openHelpPage(startup::helpTopicUrl(QCoreApplication::applicationDirPath(), HelpFile));
}

// A browser shows the page, or else the help window: help is never silent.
void TForm1::openHelpPage(const QUrl& page)
{
    help::openPage(page, this, m_help);
}

void TForm1::HelpAboutItemClick()
{
    if (!m_about) {
        m_about = new TdlgAbout(this);
    }
    m_about->showBox();
}
