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
inline const QString NulInName = QStringLiteral("NUL in the name");

// A path in `dir` that is what `kind` says: the folder itself, a FIFO that never delivers, a
// link to an endless device, nothing at all, or a name with a NUL inside whose part before the
// NUL is a file. Any other kind gives the plain name `name` in `dir`, for the test to fill.
// Empty when the path could not be made.
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
    if (kind == NulInName) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write("x", 1) == 1
                   ? path + QChar(0) + QStringLiteral("junk")
                   : QString();
    }
    return path;
}

} // namespace hostile
