#include "mainwindow/HostLink.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QStringDecoder>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace {

// Connections the kernel queues before they are accepted: QLocalServer's default.
constexpr int Backlog = 50;

// Owns one descriptor and closes it on every way out.
class Descriptor
{
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    Descriptor(Descriptor&& other) noexcept : m_fd(other.release()) {}
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { reset(); }
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }
    void reset()
    {
        if (m_fd >= 0) {
            // Linux closes the descriptor even when close() is interrupted: never retry.
            ::close(m_fd);
            m_fd = -1;
        }
    }

private:
    int m_fd;
};

Descriptor streamSocket()
{
    return Descriptor(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
}

// The path QLocalServer and QLocalSocket use on Unix for `serverName`.
QByteArray socketPath(const QString& serverName)
{
    if (serverName.startsWith(QLatin1Char('/'))) {
        return QFile::encodeName(serverName);
    }
    return QFile::encodeName(QDir::tempPath() + QLatin1Char('/') + serverName);
}

// False when `path` does not fit a socket address.
bool toAddress(const QByteArray& path, sockaddr_un& address)
{
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || path.size() >= qsizetype(sizeof address.sun_path)) {
        return false;
    }
    std::memcpy(address.sun_path, path.constData(), path.size());
    return true;
}

int connectTo(int fd, const sockaddr_un& address)
{
    return ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
}

// Waits until `fd` is ready for `events` or has failed; false when the deadline passed first.
bool waitFor(int fd, short events, const QDeadlineTimer& deadline)
{
    for (;;) {
        pollfd entry{fd, events, 0};
        const qint64 left = deadline.remainingTime();
        const int ready = ::poll(&entry, 1, int(std::min<qint64>(left, 1 << 30)));
        if (ready > 0) {
            return true;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

// Whether nobody holds `path`. A socket file left by a copy that crashed refuses connections
// at once and is removed here; a live server accepts them (the kernel queues them before the
// server gets round to it). Anything else, such as a live server whose queue is full, no
// descriptor free for the probe, or a file that is no socket, counts as taken, so a working
// copy never loses its name to a newcomer.
bool nameIsFree(const sockaddr_un& address)
{
    const Descriptor probe = streamSocket();
    if (probe.get() < 0) {
        return false;
    }
    if (connectTo(probe.get(), address) == 0) {
        return false;
    }
    if (errno == ENOENT) {
        return true;
    }
    struct stat status
    {};
    return errno == ECONNREFUSED && ::lstat(address.sun_path, &status) == 0 &&
           S_ISSOCK(status.st_mode) && (::unlink(address.sun_path) == 0 || errno == ENOENT);
}

// A listening socket at `path` that only this user can connect to. It is bound in a private
// folder beside `path`, so nobody else can reach it before its access is set, and then linked
// under `path`: link() fails when the name has been taken since it was probed, where rename()
// would silently take it.
Descriptor listenPrivately(const QByteArray& path)
{
    const QByteArray folder = path.left(path.lastIndexOf('/') + 1);
    QByteArray privateFolder = folder + ".XXXXXX";
    sockaddr_un address;
    if (!::mkdtemp(privateFolder.data())) {
        return Descriptor();
    }
    const QByteArray privatePath = privateFolder + "/s";
    Descriptor listener = streamSocket();
    const bool linked =
        listener.get() >= 0 && toAddress(privatePath, address) &&
        ::bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        ::chmod(privatePath.constData(), S_IRWXU) == 0 && ::listen(listener.get(), Backlog) == 0 &&
        ::link(privatePath.constData(), path.constData()) == 0;
    ::unlink(privatePath.constData());
    ::rmdir(privateFolder.constData());
    if (!linked) {
        listener.reset();
    }
    return listener;
}

} // namespace

HostLink::HostLink(QObject* parent) : QObject(parent), m_retry(new QTimer(this))
{
    m_retry->setSingleShot(true);
    m_retry->setInterval(RelistenMs);
    connect(m_retry, &QTimer::timeout, this, [this] {
        m_accepting->setEnabled(true);
        acceptConnections();
    });
}

HostLink::~HostLink()
{
    close();
}

bool HostLink::listen(const QString& serverName)
{
    close();
    const QByteArray path = socketPath(serverName);
    sockaddr_un address;
    if (!toAddress(path, address) || !nameIsFree(address)) {
        return false;
    }
    Descriptor listener = listenPrivately(path);
    if (listener.get() < 0) {
        return false;
    }
    m_path = path;
    m_listener = listener.release();
    m_accepting = new QSocketNotifier(m_listener, QSocketNotifier::Read, this);
    connect(m_accepting, &QSocketNotifier::activated, this, &HostLink::acceptConnections);
    return true;
}

void HostLink::close()
{
    if (m_listener < 0) {
        return;
    }
    m_retry->stop();
    // The notifier must let go of the descriptor before it is closed.
    delete m_accepting;
    m_accepting = nullptr;
    Descriptor(m_listener).reset();
    m_listener = -1;
    ::unlink(m_path.constData());
    m_path.clear();
}

bool HostLink::isListening() const
{
    return m_listener >= 0;
}

void HostLink::acceptConnections()
{
    for (;;) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            if (m_open >= MaxConnections) {
                Descriptor(fd).reset();
                continue;
            }
            serve(fd);
            continue;
        }
        if (errno == EINTR || errno == ECONNABORTED) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            // Mostly no descriptor free. The queued connection keeps the socket readable, so
            // waiting for the notifier would spin: look again later.
            m_accepting->setEnabled(false);
            m_retry->start();
        }
        return;
    }
}

void HostLink::serve(int descriptor)
{
    struct Reception
    {
        explicit Reception(Descriptor&& socket) : socket(std::move(socket)) {}
        Descriptor socket;
        QByteArray bytes;
    };
    auto reception = std::make_shared<Reception>(Descriptor(descriptor));
    auto* notifier = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
    ++m_open;
    connect(notifier, &QObject::destroyed, this, [this] { --m_open; });
    const qsizetype maxBytes = m_maxMacroBytes;

    auto finish = [this, notifier, reception](bool deliver) {
        if (reception->socket.get() < 0) {
            return;
        }
        notifier->setEnabled(false);
        reception->socket.reset();
        notifier->deleteLater();
        if (!deliver || reception->bytes.isEmpty()) {
            return;
        }
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString macro = decoder(reception->bytes);
        if (!decoder.hasError()) {
            emit macroReceived(macro);
        }
    };
    // Reads what has come, never more than one byte over the limit.
    connect(notifier, &QSocketNotifier::activated, this, [reception, finish, maxBytes] {
        char chunk[4096];
        for (;;) {
            const qsizetype wanted =
                std::min<qsizetype>(sizeof chunk, maxBytes + 1 - reception->bytes.size());
            const ssize_t got = ::read(reception->socket.get(), chunk, size_t(wanted));
            if (got > 0) {
                reception->bytes.append(chunk, got);
                if (reception->bytes.size() > maxBytes) {
                    finish(false);
                    return;
                }
            } else if (got == 0) {
                finish(true);
                return;
            } else if (errno != EINTR) {
                if (errno != EAGAIN && errno != EWOULDBLOCK) {
                    finish(false);
                }
                return;
            }
        }
    });

    auto* deadline = new QTimer(notifier);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, this, [finish] { finish(false); });
    deadline->start(m_timeoutMs);
}

bool HostLink::sendMacro(const QString& serverName, const QString& text, int waitMs)
{
    sockaddr_un address;
    const Descriptor socket = streamSocket();
    if (!toAddress(socketPath(serverName), address) || socket.get() < 0) {
        return false;
    }
    const int fd = socket.get();
    const QDeadlineTimer connecting(waitMs);
    while (connectTo(fd, address) != 0) {
        if (errno == EAGAIN) {
            // The server's queue is full; the kernel does not say when it has room.
            if (connecting.hasExpired()) {
                return false;
            }
            const qint64 left = connecting.remainingTime(); // -1: no limit
            ::poll(nullptr, 0, left < 0 ? 5 : int(std::min<qint64>(left, 5)));
            continue;
        }
        int error = 0;
        socklen_t size = sizeof error;
        if ((errno != EINPROGRESS && errno != EINTR) || !waitFor(fd, POLLOUT, connecting) ||
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) {
            return false;
        }
        break;
    }

    const QByteArray bytes = text.toUtf8();
    const QDeadlineTimer writing(waitMs);
    for (qsizetype sent = 0; sent < bytes.size();) {
        const ssize_t wrote =
            ::send(fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (wrote >= 0) {
            sent += wrote;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (!waitFor(fd, POLLOUT, writing)) {
                return false;
            }
        } else if (errno != EINTR) {
            return false;
        }
    }
    return true;
}
