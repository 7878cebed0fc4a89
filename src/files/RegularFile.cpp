#include "files/RegularFile.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString NulInName = QStringLiteral("the name contains a NUL character");

} // namespace

bool RegularFile::open(const QString& path, qint64 maxBytes, QString* reason)
{
    m_file.close();
    m_size = 0;
    m_missing = false;
    auto fail = [&](const QString& why) {
        if (reason) {
            *reason = why;
        }
        return false;
    };
    // The system would take the name only up to the NUL: another file than the one named.
    if (path.contains(QChar(0))) {
        return fail(NulInName);
    }
    // Non-blocking, so that opening a FIFO returns at once instead of waiting for a writer.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        m_missing = errno == ENOENT || errno == ENOTDIR;
        return fail(m_missing ? QStringLiteral("no such file")
                              : QString::fromLocal8Bit(std::strerror(errno)));
    }
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const bool folder = S_ISDIR(info.st_mode);
        ::close(fd);
        return fail(folder ? QStringLiteral("is a directory")
                           : QStringLiteral("is not a regular file"));
    }
    if (info.st_size > maxBytes) {
        ::close(fd);
        return fail(QStringLiteral("is larger than %1 MiB").arg(maxBytes >> 20));
    }
    if (!m_file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(m_file.errorString());
    }
    m_size = info.st_size;
    return true;
}

bool RegularFile::readAll(QByteArray* contents, QString* reason)
{
    auto fail = [&](const QString& why) {
        if (reason) {
            *reason = why;
        }
        return false;
    };
    try {
        *contents = m_file.read(m_size);
    } catch (const std::bad_alloc&) {
        return fail(QStringLiteral("not enough memory to read it"));
    }
    if (m_file.error() != QFileDevice::NoError) {
        return fail(m_file.errorString());
    }
    if (contents->size() < m_size) {
        return fail(QStringLiteral("it was cut short while it was read (%1 of %2 bytes)")
                        .arg(contents->size())
                        .arg(m_size));
    }
    return true;
}

QString notReplaceable(const QString& path)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || S_ISREG(info.st_mode)) {
        return {};
    }
    return S_ISDIR(info.st_mode) ? QStringLiteral("is a directory")
                                 : QStringLiteral("is not a regular file");
}

bool writeAll(QFileDevice& file, const void* data, qint64 size, QString* reason)
{
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const qint64 written = file.write(bytes, size);
        if (written <= 0) {
            *reason = file.errorString();
            return false;
        }
        bytes += written;
        size -= written;
    }
    return true;
}

bool openToReplace(QSaveFile& file, QIODevice::OpenMode mode, QString* reason)
{
    if (file.fileName().contains(QChar(0))) {
        *reason = NulInName;
        return false;
    }
    if (const QString refused = notReplaceable(file.fileName()); !refused.isEmpty()) {
        *reason = refused;
        return false;
    }
    const QFileInfo target(file.fileName());
    constexpr auto anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (target.exists() && !(target.permissions() & anyWrite)) {
        *reason = QStringLiteral("the file is read-only");
        return false;
    }
    if (!file.open(mode | QIODevice::Unbuffered)) {
        *reason = file.errorString();
        return false;
    }
    return true;
}
