#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

#include <memory>

class QSettings;

// What the editor remembers between runs, in the user's config folder
// ($XDG_CONFIG_HOME/depthloom/places.ini): the last folder of each kind of file, the recent
// projects and the live preview's place. Every call reads or writes the file at once, so any
// number of these may exist side by side and a running copy sees what another has stored.
// Nothing here decides how the program starts: a caller asks only after the start-up is done.
class RememberedPlaces final
{
public:
    // Kinds of file whose dialogs start in the folder last used for that kind.
    static inline const QString Projects = QStringLiteral("projects");
    static inline const QString Pictures = QStringLiteral("pictures");
    static inline const QString HeightMaps = QStringLiteral("heightMaps");
    static inline const QString Outputs = QStringLiteral("outputs");

    static constexpr int MaxRecentProjects = 8;

    // The folder a file of `kind` was last chosen in; empty for an unknown or empty kind, for
    // none yet, and for a folder that no longer exists.
    QString folder(const QString& kind) const;
    // `chosenFile`'s folder becomes the one for `kind`; an empty kind or name changes nothing.
    void rememberFolderOf(const QString& kind, const QString& chosenFile);

    // Most recent first, at most MaxRecentProjects absolute paths, none twice.
    QStringList recentProjects() const;
    // `project` goes to the top of the list; the oldest beyond the limit falls off.
    void addRecentProject(const QString& project);
    void removeRecentProject(const QString& project);

    // The live preview's frame on the screen when it was last closed or hidden (null before),
    // and whether it was shown when the editor last ended.
    QRect livePreviewFrame() const;
    bool livePreviewShown() const;
    void rememberLivePreview(const QRect& frame, bool shown);
    void rememberLivePreviewShown(bool shown);

private:
    static std::unique_ptr<QSettings> settings();
    void writeRecentProjects(const QStringList& projects);
};
