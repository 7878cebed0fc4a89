// What the main window remembers between runs (the recent projects in the File menu, the live
// preview's place) and how its floating windows keep out of its way.

#include "document/Prompts.h"
#include "document/RememberedPlaces.h"
#include "language/LanguageTables.h"
#include "mainwindow/EditorToolHost.h"
#include "mainwindow/LivePreview.h"
#include "mainwindow/TForm1.h"
#include "pickers/FloatingPalette.h"
#include "pickers/TfmPStyle.h"
#include "widgets/Panel.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QScreen>

void TForm1::createRecentProjectsMenu()
{
    m_recentProjects = new QMenu(this);
    m_recentProjects->setObjectName(QStringLiteral("RecentProjectsMenu"));
    QAction* exit = command("FileExitItem");
    FileMenu->insertMenu(exit, m_recentProjects);
    FileMenu->insertSeparator(exit);
    // Another copy of the editor may have opened a project since: the list is read each time.
    connect(FileMenu, &QMenu::aboutToShow, this, &TForm1::fillRecentProjects);
    fillRecentProjects();
}

void TForm1::fillRecentProjects()
{
    m_recentProjects->setTitle(
        language::LanguageMessages(language::MessageRow::RecentProjects, UILanguage));
    m_recentProjects->clear();
    const QStringList projects = RememberedPlaces().recentProjects();
    for (qsizetype i = 0; i < projects.size(); ++i) {
        const QString& project = projects.at(i);
        // "&1" to "&8" choose by key; an ampersand in a path is no accelerator.
        QString shown = QDir::toNativeSeparators(project);
        shown.replace(QLatin1Char('&'), QLatin1String("&&"));
        QAction* item = m_recentProjects->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
        item->setData(project);
        connect(item, &QAction::triggered, this, [this, project] { openRecentProject(project); });
    }
    m_recentProjects->menuAction()->setEnabled(!projects.isEmpty());
}

void TForm1::openRecentProject(const QString& fileName)
{
    if (!QFileInfo(fileName).isFile()) {
        RememberedPlaces().removeRecentProject(fileName);
        fillRecentProjects();
        m_prompts.showError(
            language::LanguageMessages(language::MessageRow::RecentProjectMissing, UILanguage)
                .arg(QDir::toNativeSeparators(fileName)));
        return;
    }
    openProjectFile(fileName);
}

void TForm1::rememberRecentProject(const QString& fileName)
{
    RememberedPlaces().addRecentProject(fileName);
    fillRecentProjects();
}

void TForm1::rememberWindows()
{
    if (m_livePreview) {
        RememberedPlaces().rememberLivePreview(QRect(m_livePreview->pos(), m_livePreview->size()),
                                               m_livePreview->isVisible());
    } else {
        RememberedPlaces().rememberLivePreviewShown(false);
    }
}

void TForm1::restoreRememberedWindows()
{
    if (RememberedPlaces().livePreviewShown()) {
        setLivePreviewShown(true);
    }
}

QList<QRect> TForm1::barsOnScreen() const
{
    const QPoint panes = PnBackground->mapToGlobal(QPoint(0, 0));
    const QRect frame = frameGeometry();
    QList<QRect> bars{QRect(frame.topLeft(), QPoint(frame.right(), panes.y() - 1))};
    if (!Toolbar->isHidden()) {
        bars.append(QRect(Toolbar->mapToGlobal(QPoint(0, 0)), Toolbar->size()));
    }
    return bars;
}

QRect TForm1::clearOfBars() const
{
    const QRect screen = this->screen()->availableGeometry();
    const QPoint panes =
        PnBackground->mapToGlobal(QPoint(Toolbar->isHidden() ? 0 : Toolbar->width(), 0));
    return QRect(panes, screen.bottomRight()).intersected(screen);
}

std::vector<QWidget*> TForm1::paletteWindows() const
{
    std::vector<QWidget*> windows;
    for (FloatingPalette* palette : m_toolHost->paletteWindows()) {
        if (palette) {
            windows.push_back(palette);
        }
    }
    if (QWidget* picker = m_toolHost->penStylePicker()) {
        windows.push_back(picker);
    }
    return windows;
}

void TForm1::keepPalettesClear()
{
    const bool maximised = isMaximized() || isFullScreen();
    const std::vector<QWidget*> palettes = paletteWindows();
    if (!maximised) {
        if (m_paletteColumn == 0) {
            return;
        }
        m_paletteColumn = 0;
        layoutBackground();
        for (const auto& [palette, place] : m_palettePlaces) {
            palette->move(place);
        }
        m_palettePlaces.clear();
        return;
    }
    if (palettes.empty()) {
        return;
    }
    if (m_paletteColumn == 0) {
        int widest = 0;
        for (QWidget* palette : palettes) {
            m_palettePlaces.emplace_back(palette, palette->pos());
            widest = std::max(widest, palette->frameGeometry().width());
        }
        m_paletteColumn = widest + 2 * placement::Gap;
        layoutBackground();
    }
    // Again after each move: a window manager may tell the maximised window's place only after
    // its size. The palettes share the column's top; the pen style picker goes below them.
    for (QWidget* palette : palettes) {
        placeFloatingWindow(palette, placement::Side::Right,
                            palette == m_toolHost->penStylePicker());
    }
}
