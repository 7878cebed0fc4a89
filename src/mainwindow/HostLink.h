#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;
class QTimer;

// The channel between the editor and its host program: a local socket per direction. A client
// connects, writes one macro as UTF-8 text and closes; the receiver takes the bytes it got
// before the close as one macro. Nothing is answered. The sockets are plain Unix stream sockets
// at the path QLocalServer and QLocalSocket use for the same name (QDir::tempPath() + "/" +
// name, or the name itself when it starts with "/"), so a host program may use either.
//
// The server serves the same user only: its socket file is made in a private folder, set to
// user-only access and only then linked under its name. A connection that sends more than
// maxMacroBytes(), sends nothing, sends text that is not UTF-8, or stays open longer than the
// time-out is dropped without a macro, so no client can hold the editor up or fill its memory.
// Beyond MaxConnections open at once, a connection is closed as soon as it is accepted, so a
// flood of clients cannot take every file descriptor of the editor. When accept() finds no
// descriptor free, the server keeps its name and queue and accepts again as soon as it can, so
// a macro sent meanwhile arrives late rather than never.
class HostLink final : public QObject
{
    Q_OBJECT

public:
    static constexpr qsizetype DefaultMaxMacroBytes = 4096;
    static constexpr int DefaultTimeoutMs = 2000;
    static constexpr int MaxConnections = 16;
    // How often a server that found no descriptor free tries to accept again.
    static constexpr int RelistenMs = 500;

    explicit HostLink(QObject* parent = nullptr);
    ~HostLink() override;

    // Starts serving under `serverName`, replacing an earlier server of this object. A socket
    // file that no live server answers on (left by a copy that crashed) is removed first.
    // Returns false when a live server already holds the name, or listening failed otherwise;
    // the editor then runs without a server.
    bool listen(const QString& serverName);
    // Stops serving and removes the socket file; connections already accepted are served on.
    void close();
    bool isListening() const;

    // Limits per connection; they apply to connections accepted after the change.
    void setMaxMacroBytes(qsizetype bytes) { m_maxMacroBytes = bytes; }
    qsizetype maxMacroBytes() const { return m_maxMacroBytes; }
    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }
    int timeout() const { return m_timeoutMs; }

    // Sends `text` as one macro to the server `serverName` and closes. Waits at most
    // `waitMs` for the connection and again at most `waitMs` for the bytes to leave, so a
    // missing or stuck receiver cannot hold the caller up. Returns whether the macro was
    // handed to the receiver's socket; a missing receiver is not an error worth reporting.
    static bool sendMacro(const QString& serverName, const QString& text, int waitMs = 100);

signals:
    // One per connection that closed in time with an acceptable macro.
    void macroReceived(const QString& macro);

private:
    void acceptConnections();
    void serve(int descriptor);

    int m_listener = -1;
    QSocketNotifier* m_accepting = nullptr;
    // Starts accepting again after accept() found no descriptor free.
    QTimer* m_retry = nullptr;
    // The socket file's path while listening, in the file system's encoding.
    QByteArray m_path;
    // Connections accepted and not yet dropped.
    int m_open = 0;
    qsizetype m_maxMacroBytes = DefaultMaxMacroBytes;
    int m_timeoutMs = DefaultTimeoutMs;
};
