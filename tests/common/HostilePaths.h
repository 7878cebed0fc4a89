#pragma once

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <sys/stat.h>

// The names a user, a project file or another program may hand the loaders that lead to no
// readable file. Each row of a hostile-path test is tagged with one of these.
namespace hostile {

inline const QString Folder = QStringLiteral("folder");
inline const QString Fifo = QStringLiteral("FIFO");
inline const QString DevZero = QStringLiteral("link to /dev/zero");
inline const QString Missing = QStringLiteral("missing");

// A path in `dir` that is what `kind` says: the folder itself, a FIFO that never delivers, a
// link to an endless device, or nothing at all. Any other kind gives the plain name `name` in
// `dir`, for the test to fill. Empty when the path could not be made.
inline QString makePath(const QTemporaryDir& dir, const QString& kind, const QString& name)
{
    const QString path = dir.filePath(name);
    if (kind == Folder) {
        return dir.path();
    }
    if (kind == Fifo) {
        return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0 ? path : QString();
    }
    if (kind == DevZero) {
        return QFile::link(QStringLiteral("/dev/zero"), path) ? path : QString();
    }
    return path;
}

} // namespace hostile
