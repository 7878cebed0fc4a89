#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>

// A file that the user, a project file or another program names, which may be anything: a
// folder, a FIFO that never delivers, a device that never ends. It is opened without blocking,
// checked through the open descriptor (so a name swapped in between cannot slip through) and
// read only when it is a regular file no larger than a limit that suits its kind.
class QSaveFile;

// Opens `file` to replace its target as QSaveFile does, and also refuses a target that exists
// with no write permission for anyone, which the administrator's account could otherwise
// replace (with a new mode, too). On failure `reason` says why.
bool openToReplace(QSaveFile& file, QIODevice::OpenMode mode, QString* reason);

class RegularFile final
{
public:
    // Largest files read, by kind. A picture file larger than Qt's decoding limit cannot be
    // read anyway.
    static constexpr qint64 MaxPictureBytes = qint64(256) << 20;
    static constexpr qint64 MaxProjectBytes = qint64(1) << 20;

    // Opens `path` for reading. On failure `reason` says why without naming the file: "no such
    // file", "is a directory", "is not a regular file", "is larger than N MiB", or the system's
    // own text (such as "Permission denied").
    bool open(const QString& path, qint64 maxBytes, QString* reason);
    // Whether the last open failed because nothing is at the path.
    bool missing() const { return m_missing; }

    qint64 size() const { return m_size; }

    // The whole file, read through the descriptor; at most size() bytes even if it grew since.
    bool readAll(QByteArray* contents, QString* reason);
    // The whole file mapped into memory, valid while this object lives; read instead when it
    // cannot be mapped (an empty file gives an empty view).
    bool map(QByteArrayView* contents, QString* reason);

private:
    QFile m_file;
    qint64 m_size = 0;
    bool m_missing = false;
    QByteArray m_read; // holds what map() had to read
};
