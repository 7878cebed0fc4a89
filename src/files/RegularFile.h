#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// A file that the user, a project file or another program names, which may be anything: a
// folder, a FIFO that never delivers, a device that never ends. It is opened without blocking,
// checked through the open descriptor (so a name swapped in between cannot slip through) and
// read only when it is a regular file no larger than a limit that suits its kind.
class QSaveFile;

// Opens `file` to replace its target as QSaveFile does, and also refuses a target that exists
// with no write permission for anyone, which the administrator's account could otherwise
// replace (with a new mode, too), and one that is not a regular file: the rename would put a
// file in place of a device, a FIFO or a socket. The file is opened unbuffered: QSaveFile does
// not see a write that fails in its buffer, and would commit a file cut short (on a full disk,
// an empty one) as complete. On failure `reason` says why.
bool openToReplace(QSaveFile& file, QIODevice::OpenMode mode, QString* reason);

// Why a save may not replace `path`: "is a directory" or "is not a regular file" for what a
// link-following look finds there, otherwise (nothing there, or a regular file) an empty text.
QString notReplaceable(const QString& path);

// Writes all `size` bytes to `file`, opened unbuffered. A short write is retried, and the next
// one tells the system's reason ("No space left on device").
bool writeAll(QFileDevice& file, const void* data, qint64 size, QString* reason);

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

    // The whole file, read through the descriptor; at most size() bytes even if it grew since,
    // and a refusal when another program cut it short meanwhile. Files are read rather than
    // mapped: a mapped file cut short kills the program with SIGBUS.
    bool readAll(QByteArray* contents, QString* reason);

private:
    QFile m_file;
    qint64 m_size = 0;
    bool m_missing = false;
};
