#include "mainwindow/HelpWindow.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QStyle>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton* navigationButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon,
                              const QString& tip, const QKeySequence& key)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolTip(tip);
    button->setShortcut(key);
    button->setAutoRaise(true);
    return button;
}

} // namespace

HelpWindow::HelpWindow(QWidget* owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    // Pages of the program open here; anything else goes to the desktop.
    m_browser->setOpenLinks(true);
    m_browser->setOpenExternalLinks(true);

    m_back = navigationButton(this, "HelpBack", QStyle::SP_ArrowBack, QStringLiteral("Back"),
                              QKeySequence::Back);
    m_forward = navigationButton(this, "HelpForward", QStyle::SP_ArrowForward,
                                 QStringLiteral("Forward"), QKeySequence::Forward);
    m_home = navigationButton(this, "HelpHome", QStyle::SP_DirHomeIcon, QStringLiteral("Contents"),
                              QKeySequence(Qt::ALT | Qt::Key_Home));
    connect(m_back, &QToolButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QToolButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_home, &QToolButton::clicked, m_browser, &QTextBrowser::home);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &HelpWindow::pageChanged);
    connect(m_browser, &QTextBrowser::historyChanged, this, &HelpWindow::pageChanged);

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(2, 2, 2, 2);
    bar->addWidget(m_back);
    bar->addWidget(m_forward);
    bar->addWidget(m_home);
    bar->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(bar);
    layout->addWidget(m_browser);
    resize(720, 640);
    pageChanged();
}

void HelpWindow::showPage(const QUrl& page)
{
    m_page = page;
    if (QFileInfo(page.toLocalFile()).isFile()) {
        m_browser->setSource(page);
    } else {
        m_browser->setHtml(QStringLiteral("<p>The help page %1 is missing: the program's help "
                                          "folder has not been installed with it.</p>")
                               .arg(QDir::toNativeSeparators(page.toLocalFile()).toHtmlEscaped()));
    }
    show();
    raise();
    activateWindow();
}

void HelpWindow::pageChanged()
{
    m_back->setEnabled(m_browser->isBackwardAvailable());
    m_forward->setEnabled(m_browser->isForwardAvailable());
    const QString title = m_browser->documentTitle();
    setWindowTitle(title.isEmpty() ? QStringLiteral("Depthloom help") : title);
}

namespace help {

namespace {

void showInOwnWindow(const QUrl& page, QWidget* owner, HelpWindow*& window)
{
    if (!window) {
        window = new HelpWindow(owner);
    }
    window->showPage(page);
}

} // namespace

void openPage(const QUrl& page, QWidget* owner, HelpWindow*& window)
{
    // xdg-open starts whatever the desktop has, and says with its exit code when it had nothing
    // that could show the page; QDesktopServices would say only that it was started.
    const QString opener = QGuiApplication::platformName() == QLatin1String("xcb")
                               ? QStandardPaths::findExecutable(QStringLiteral("xdg-open"))
                               : QString();
    if (opener.isEmpty()) {
        if (!QDesktopServices::openUrl(page)) {
            showInOwnWindow(page, owner, window);
        }
        return;
    }
    // The process outlives a closed main window quietly; `window` belongs to the owner and is
    // touched only while the owner lives.
    auto* process = new QProcess(QCoreApplication::instance());
    const QPointer<QWidget> guard(owner);
    auto fallBack = [page, guard, &window, process] {
        process->deleteLater();
        if (guard) {
            showInOwnWindow(page, guard, window);
        }
    };
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, fallBack](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart) {
                             fallBack();
                         }
                     });
    QObject::connect(process, &QProcess::finished, process,
                     [process, fallBack](int code, QProcess::ExitStatus status) {
                         if (code != 0 || status != QProcess::NormalExit) {
                             fallBack();
                         } else {
                             process->deleteLater();
                         }
                     });
    process->start(opener, {page.toString()});
}

} // namespace help
