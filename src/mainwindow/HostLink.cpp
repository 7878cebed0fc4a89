#include "mainwindow/HostLink.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStringDecoder>
#include <QTimer>

#include <memory>

namespace {

enum class NameState
{
    Free,
    Taken,
    Unknown
};

// Whether someone answers under `serverName`. A socket file left by a copy that crashed
// refuses connections at once and is removed here; a live server accepts them (the kernel
// queues them before the server gets round to it). Anything else, such as a live server whose
// queue is full or no descriptor free for the probe, leaves the answer unknown.
// Listening must not be tried first: with user-only access, Qt puts its socket file in place
// by renaming, which would silently take the name from a live server.
NameState nameState(const QString& serverName)
{
    QLocalSocket probe;
    probe.connectToServer(serverName);
    if (probe.waitForConnected(200)) {
        probe.abort();
        return NameState::Taken;
    }
    switch (probe.error()) {
    case QLocalSocket::ServerNotFoundError:
        return NameState::Free;
    case QLocalSocket::ConnectionRefusedError:
        QLocalServer::removeServer(serverName);
        return NameState::Free;
    default:
        return NameState::Unknown;
    }
}

} // namespace

HostLink::HostLink(QObject* parent)
    : QObject(parent), m_server(new QLocalServer(this)), m_watch(new QTimer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &HostLink::acceptConnections);
    // QLocalServer reports no failure by signal: it just stops listening.
    m_watch->setInterval(RelistenMs);
    connect(m_watch, &QTimer::timeout, this, &HostLink::relistenIfFailed);
}

HostLink::~HostLink() = default;

bool HostLink::listen(const QString& serverName)
{
    close();
    // An unknown answer counts as taken, so a working copy never loses its name to a newcomer.
    if (nameState(serverName) != NameState::Free || !m_server->listen(serverName)) {
        return false;
    }
    m_name = serverName;
    m_watch->start();
    return true;
}

void HostLink::close()
{
    m_watch->stop();
    m_name.clear();
    m_server->close();
}

void HostLink::relistenIfFailed()
{
    if (m_server->isListening() || m_name.isEmpty()) {
        return;
    }
    switch (nameState(m_name)) {
    case NameState::Taken:
        // Another copy serves the host now; this one does not take the name from it.
        close();
        return;
    case NameState::Unknown:
        return;
    case NameState::Free:
        // Failing again (no descriptor free yet) leaves the timer to try once more.
        m_server->listen(m_name);
        return;
    }
}

bool HostLink::isListening() const
{
    return m_server->isListening();
}

void HostLink::acceptConnections()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        if (m_open >= MaxConnections) {
            socket->abort();
            delete socket;
            continue;
        }
        ++m_open;
        connect(socket, &QObject::destroyed, this, [this] { --m_open; });
        serve(socket);
    }
}

void HostLink::serve(QLocalSocket* socket)
{
    struct Reception
    {
        QByteArray bytes;
        bool finished = false;
    };
    auto reception = std::make_shared<Reception>();
    const qsizetype maxBytes = m_maxMacroBytes;
    // Qt's own buffer would otherwise take whatever the client sends before we look at it.
    socket->setReadBufferSize(maxBytes + 1);

    auto finish = [this, socket, reception](bool deliver) {
        if (reception->finished) {
            return;
        }
        reception->finished = true;
        socket->abort();
        socket->deleteLater();
        if (!deliver || reception->bytes.isEmpty()) {
            return;
        }
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString macro = decoder(reception->bytes);
        if (!decoder.hasError()) {
            emit macroReceived(macro);
        }
    };
    // False once the client has sent more than the limit.
    auto take = [socket, reception, maxBytes] {
        reception->bytes += socket->read(maxBytes + 1 - reception->bytes.size());
        return reception->bytes.size() <= maxBytes;
    };

    connect(socket, &QLocalSocket::readyRead, this, [take, finish] {
        if (!take()) {
            finish(false);
        }
    });
    connect(socket, &QLocalSocket::disconnected, this, [reception, take, finish] {
        if (!reception->finished) {
            finish(take());
        }
    });

    auto* deadline = new QTimer(socket);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, this, [finish] { finish(false); });
    deadline->start(m_timeoutMs);

    if (socket->state() == QLocalSocket::UnconnectedState) {
        finish(take());
    }
}

bool HostLink::sendMacro(const QString& serverName, const QString& text, int waitMs)
{
    QLocalSocket socket;
    socket.connectToServer(serverName, QIODevice::WriteOnly);
    if (!socket.waitForConnected(waitMs)) {
        return false;
    }
    const QByteArray bytes = text.toUtf8();
    if (socket.write(bytes) != bytes.size()) {
        return false;
    }
    const QDeadlineTimer deadline(waitMs);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(int(deadline.remainingTime()))) {
            return false;
        }
    }
    socket.disconnectFromServer();
    return true;
}
