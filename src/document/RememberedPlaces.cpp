#include "document/RememberedPlaces.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <memory>

namespace {

const QString FoldersGroup = QStringLiteral("folders/");
const QString RecentKey = QStringLiteral("recent/projects");
const QString PreviewFrameKey = QStringLiteral("livePreview/frame");
const QString PreviewShownKey = QStringLiteral("livePreview/shown");

bool knownKind(const QString& kind)
{
    return kind == RememberedPlaces::Projects || kind == RememberedPlaces::Pictures ||
           kind == RememberedPlaces::HeightMaps || kind == RememberedPlaces::Outputs;
}

// Paths are compared as the file system spells them: "a/../b.3dp" and "b.3dp" are one project.
QString canonicalName(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

std::unique_ptr<QSettings> RememberedPlaces::settings()
{
    // INI on every platform, so that the file is one a user can read and delete.
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("depthloom"), QStringLiteral("places"));
}

QString RememberedPlaces::folder(const QString& kind) const
{
    if (!knownKind(kind)) {
        return QString();
    }
    const QString stored = settings()->value(FoldersGroup + kind).toString();
    return !stored.isEmpty() && QFileInfo(stored).isDir() ? stored : QString();
}

void RememberedPlaces::rememberFolderOf(const QString& kind, const QString& chosenFile)
{
    if (!knownKind(kind) || chosenFile.isEmpty()) {
        return;
    }
    settings()->setValue(FoldersGroup + kind, QFileInfo(canonicalName(chosenFile)).path());
}

QStringList RememberedPlaces::recentProjects() const
{
    QStringList projects;
    for (const QString& stored : settings()->value(RecentKey).toStringList()) {
        if (!stored.isEmpty() && !projects.contains(stored) &&
            projects.size() < MaxRecentProjects) {
            projects.append(stored);
        }
    }
    return projects;
}

void RememberedPlaces::writeRecentProjects(const QStringList& projects)
{
    settings()->setValue(RecentKey, projects.mid(0, MaxRecentProjects));
}

void RememberedPlaces::addRecentProject(const QString& project)
{
    if (project.isEmpty()) {
        return;
    }
    const QString name = canonicalName(project);
    QStringList projects = recentProjects();
    projects.removeAll(name);
    projects.prepend(name);
    writeRecentProjects(projects);
}

void RememberedPlaces::removeRecentProject(const QString& project)
{
    QStringList projects = recentProjects();
    projects.removeAll(project);
    projects.removeAll(canonicalName(project));
    writeRecentProjects(projects);
}

QRect RememberedPlaces::livePreviewFrame() const
{
    return settings()->value(PreviewFrameKey).toRect();
}

bool RememberedPlaces::livePreviewShown() const
{
    return settings()->value(PreviewShownKey, false).toBool();
}

void RememberedPlaces::rememberLivePreview(const QRect& frame, bool shown)
{
    const std::unique_ptr<QSettings> stored = settings();
    stored->setValue(PreviewFrameKey, frame);
    stored->setValue(PreviewShownKey, shown);
}

void RememberedPlaces::rememberLivePreviewShown(bool shown)
{
    settings()->setValue(PreviewShownKey, shown);
}
