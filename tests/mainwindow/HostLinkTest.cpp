#include "mainwindow/HostLink.h"

#include "common/TestMain.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

QString uniqueName(const char* tag)
{
    return QStringLiteral("depthloom-test-%1-%2").arg(QCoreApplication::applicationPid()).arg(tag);
}

// A socket bound under `name` that nobody accepts on yet; -1 when it cannot be made.
int bindUnder(const QString& name)
{
    const QByteArray path = QFile::encodeName(QDir::tempPath() + QLatin1Char('/') + name);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= qsizetype(sizeof(address.sun_path))) {
        return -1;
    }
    std::memcpy(address.sun_path, path.constData(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// What a crashed copy leaves behind: a socket file that nobody listens on.
bool makeStaleSocket(const QString& name)
{
    const int fd = bindUnder(name);
    if (fd >= 0) {
        ::close(fd);
    }
    return fd >= 0 && QFile::exists(QDir::tempPath() + QLatin1Char('/') + name);
}

qint64 processorMs()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

} // namespace

class HostLinkTest : public QObject
{
    Q_OBJECT

private slots:
    void macros_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("arrives");
        QTest::newRow("project") << QByteArray("[L]/home/Ann/Cube.3dp\r\n") << true;
        QTest::newRow("UTF-8") << QStringLiteral("[L]/art/Über/立体.3dp").toUtf8() << true;
        QTest::newRow("at the limit") << QByteArray(HostLink::DefaultMaxMacroBytes, 'a') << true;
        QTest::newRow("over the limit")
            << QByteArray(HostLink::DefaultMaxMacroBytes + 1, 'a') << false;
        QTest::newRow("far over the limit") << QByteArray(1 << 20, 'a') << false;
        QTest::newRow("nothing") << QByteArray() << false;
        QTest::newRow("not UTF-8") << QByteArray("[L]/art/\xff\xfe.3dp") << false;
    }
    void macros()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, arrives);
        const QString name = uniqueName("macros");
        HostLink link;
        QVERIFY(link.listen(name));
        QSignalSpy received(&link, &HostLink::macroReceived);

        QLocalSocket client;
        client.connectToServer(name);
        QVERIFY(client.waitForConnected(1000));
        client.write(bytes);
        client.disconnectFromServer();
        // The client may still be writing a large macro when the server drops it.
        QTRY_VERIFY_WITH_TIMEOUT(client.state() == QLocalSocket::UnconnectedState, 5000);

        if (arrives) {
            QTRY_COMPARE(received.size(), 1);
            QCOMPARE(received.at(0).at(0).toString(), QString::fromUtf8(bytes));
        } else {
            QTest::qWait(200);
            QCOMPARE(received.size(), 0);
        }
    }

    void sendMacroArrives()
    {
        const QString name = uniqueName("send");
        HostLink link;
        QVERIFY(link.listen(name));
        QSignalSpy received(&link, &HostLink::macroReceived);
        QVERIFY(HostLink::sendMacro(name, QStringLiteral("I am quit")));
        QTRY_COMPARE(received.size(), 1);
        QCOMPARE(received.at(0).at(0).toString(), QStringLiteral("I am quit"));
    }

    void stalledClientIsDropped()
    {
        const QString name = uniqueName("stalled");
        HostLink link;
        link.setTimeout(1000);
        QVERIFY(link.listen(name));
        QSignalSpy received(&link, &HostLink::macroReceived);

        QLocalSocket stalled;
        stalled.connectToServer(name);
        QVERIFY(stalled.waitForConnected(1000));
        stalled.write("[L]/art/never.3dp");
        stalled.flush();

        // Others are served while it hangs.
        QVERIFY(HostLink::sendMacro(name, QStringLiteral("[L]/art/other.3dp")));
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), 1, 900);
        QCOMPARE(received.at(0).at(0).toString(), QStringLiteral("[L]/art/other.3dp"));
        QCOMPARE(stalled.state(), QLocalSocket::ConnectedState);

        QTRY_COMPARE_WITH_TIMEOUT(stalled.state(), QLocalSocket::UnconnectedState, 5000);
        QTest::qWait(50);
        QCOMPARE(received.size(), 1);
    }

    void staleSocketIsCleared()
    {
        const QString name = uniqueName("stale");
        QVERIFY(makeStaleSocket(name));
        QLocalServer plain;
        QVERIFY2(!plain.listen(name), "the stale file should block a plain listen");

        HostLink link;
        QVERIFY(link.listen(name));
        QSignalSpy received(&link, &HostLink::macroReceived);
        QVERIFY(HostLink::sendMacro(name, QStringLiteral("[L]/a.3dp")));
        QTRY_COMPARE(received.size(), 1);
    }

    void liveNameIsNotTaken()
    {
        const QString name = uniqueName("live");
        HostLink first;
        QVERIFY(first.listen(name));
        QSignalSpy received(&first, &HostLink::macroReceived);

        HostLink second;
        QVERIFY(!second.listen(name));
        QVERIFY(!second.isListening());

        // The first copy keeps its name and serves on; the probe left no macro behind.
        QVERIFY(HostLink::sendMacro(name, QStringLiteral("[L]/a.3dp")));
        QTRY_COMPARE(received.size(), 1);
        QCOMPARE(received.at(0).at(0).toString(), QStringLiteral("[L]/a.3dp"));
    }

    void socketFileIsUserOnly_data()
    {
        QTest::addColumn<int>("mask");
        QTest::addColumn<bool>("absolute");
        QTest::newRow("name in TMPDIR, umask 000") << 0 << false;
        QTest::newRow("absolute name, umask 022") << 022 << true;
    }
    // Made in a private folder that is gone afterwards, reachable by Qt's clients under the
    // same name, removed on close.
    void socketFileIsUserOnly()
    {
        QFETCH(int, mask);
        QFETCH(bool, absolute);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QByteArray savedTemp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(folder.path()));
        const auto restoreTemp = qScopeGuard([&] { qputenv("TMPDIR", savedTemp); });
        const QString name =
            absolute ? folder.filePath(QStringLiteral("link")) : QStringLiteral("link");
        const QString path = folder.filePath(QStringLiteral("link"));

        HostLink link;
        const mode_t savedMask = ::umask(mode_t(mask));
        const bool listening = link.listen(name);
        ::umask(savedMask);
        QVERIFY(listening);
        struct stat status
        {};
        QCOMPARE(::lstat(QFile::encodeName(path).constData(), &status), 0);
        QVERIFY(S_ISSOCK(status.st_mode));
        QCOMPARE(status.st_mode & 0077, 0u);
        QCOMPARE(
            QDir(folder.path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
            QStringList{QStringLiteral("link")});
        QLocalSocket client;
        client.connectToServer(name);
        QVERIFY(client.waitForConnected(1000));
        link.close();
        QVERIFY(!QFile::exists(path));
    }

    void fileThatIsNoSocketIsKept()
    {
        const QString name = uniqueName("plain");
        QFile plain(QDir::tempPath() + QLatin1Char('/') + name);
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.write("kept");
        plain.close();
        HostLink link;
        QVERIFY(!link.listen(name));
        QVERIFY(plain.open(QIODevice::ReadOnly));
        QCOMPARE(plain.readAll(), QByteArray("kept"));
        plain.remove();
    }

    // Beyond the cap a connection is closed at once; the ones held stay, and a place that
    // frees up serves a newcomer.
    void connectionsBeyondTheCapAreRefused()
    {
        const QString name = uniqueName("cap");
        HostLink link;
        link.setTimeout(60000);
        QVERIFY(link.listen(name));
        QSignalSpy received(&link, &HostLink::macroReceived);
        std::vector<std::unique_ptr<QLocalSocket>> clients;
        for (int i = 0; i <= HostLink::MaxConnections; ++i) {
            clients.push_back(std::make_unique<QLocalSocket>());
            clients.back()->connectToServer(name);
            QVERIFY(clients.back()->waitForConnected(1000));
        }
        QTRY_COMPARE(clients.back()->state(), QLocalSocket::UnconnectedState);
        QTest::qWait(100);
        for (int i = 0; i < HostLink::MaxConnections; ++i) {
            QCOMPARE(clients[i]->state(), QLocalSocket::ConnectedState);
        }
        clients.front()->write("[L]/a.3dp");
        clients.front()->disconnectFromServer();
        QTRY_COMPARE(received.size(), 1);
        QVERIFY(HostLink::sendMacro(name, QStringLiteral("[L]/b.3dp")));
        QTRY_COMPARE(received.size(), 2);
    }

    // Out of file descriptors, accept() fails. The link keeps its name and its queue without
    // spinning, and serves what waited there once descriptors are free again.
    void answersAgainAfterDescriptorsRanOut()
    {
        const QString name = uniqueName("exhausted");
        HostLink link;
        QVERIFY(link.listen(name));
        QSignalSpy received(&link, &HostLink::macroReceived);

        rlimit saved{};
        QCOMPARE(::getrlimit(RLIMIT_NOFILE, &saved), 0);
        rlimit lowered = saved;
        lowered.rlim_cur = std::min<rlim_t>(saved.rlim_cur, 4096);
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &lowered), 0);
        // Every descriptor taken but one, which the client takes: none is left to accept it.
        std::vector<int> taken;
        for (int fd; (fd = ::dup(0)) >= 0;) {
            taken.push_back(fd);
        }
        ::close(taken.back());
        taken.pop_back();
        bool connected = false;
        qint64 spentMs = 0;
        {
            QLocalSocket client;
            client.connectToServer(name);
            connected = client.waitForConnected(1000);
            client.write("[L]/meanwhile.3dp");
            client.flush();
            client.disconnectFromServer();
            // The descriptor the client let go of is taken too.
            for (int fd; (fd = ::dup(0)) >= 0;) {
                taken.push_back(fd);
            }
            const qint64 before = processorMs();
            QTest::qWait(2 * HostLink::RelistenMs);
            spentMs = processorMs() - before;
        }
        const qsizetype receivedMeanwhile = received.size();
        for (const int fd : taken) {
            ::close(fd);
        }
        ::setrlimit(RLIMIT_NOFILE, &saved);
        QVERIFY(connected);
        QVERIFY2(receivedMeanwhile == 0, "accept() did not fail");
        QVERIFY2(spentMs < 100, qPrintable(QString::number(spentMs)));

        QTRY_COMPARE_WITH_TIMEOUT(received.size(), 1, 5000);
        QCOMPARE(received.at(0).at(0).toString(), QStringLiteral("[L]/meanwhile.3dp"));
        QVERIFY(HostLink::sendMacro(name, QStringLiteral("[L]/after.3dp")));
        QTRY_COMPARE(received.size(), 2);
        QCOMPARE(received.at(1).at(0).toString(), QStringLiteral("[L]/after.3dp"));
    }

    void sendWithoutListener_data()
    {
        QTest::addColumn<QString>("receiver");
        QTest::addColumn<qsizetype>("bytes");
        QTest::newRow("no socket file") << QStringLiteral("none") << qsizetype(9);
        QTest::newRow("stale socket file") << QStringLiteral("stale") << qsizetype(9);
        QTest::newRow("queue full") << QStringLiteral("full") << qsizetype(9);
        QTest::newRow("never reads") << QStringLiteral("stuck") << qsizetype(16 << 20);
        // Without care the sender would die of SIGPIPE.
        QTest::newRow("goes away meanwhile") << QStringLiteral("gone") << qsizetype(16 << 20);
    }
    // A missing or stuck receiver holds the sender up for no more than its waits.
    void sendWithoutListener()
    {
        QFETCH(QString, receiver);
        QFETCH(qsizetype, bytes);
        const QString name = uniqueName(qPrintable(QStringLiteral("nobody-") + receiver));
        std::vector<int> descriptors;
        const auto cleanUp = qScopeGuard([&] {
            for (const int fd : descriptors) {
                if (fd >= 0) {
                    ::close(fd);
                }
            }
            QLocalServer::removeServer(name);
        });
        if (receiver == QLatin1String("stale")) {
            QVERIFY(makeStaleSocket(name));
        } else if (receiver != QLatin1String("none")) {
            descriptors.push_back(bindUnder(name));
            QCOMPARE(::listen(descriptors.front(), receiver == QLatin1String("full") ? 0 : 8), 0);
        }
        if (receiver == QLatin1String("full")) {
            sockaddr_un address{};
            socklen_t size = sizeof address;
            QCOMPARE(
                ::getsockname(descriptors.front(), reinterpret_cast<sockaddr*>(&address), &size),
                0);
            for (int connected = 0;; ++connected) {
                QVERIFY(connected < 64);
                descriptors.push_back(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0));
                if (::connect(descriptors.back(), reinterpret_cast<sockaddr*>(&address),
                              sizeof address) != 0) {
                    QCOMPARE(errno, EAGAIN);
                    break;
                }
            }
        }
        std::thread closer;
        if (receiver == QLatin1String("gone")) {
            closer = std::thread([listener = std::exchange(descriptors.front(), -1)] {
                // Gone once the sender's connection is queued.
                pollfd queued{listener, POLLIN, 0};
                ::poll(&queued, 1, 5000);
                ::close(listener);
            });
        }
        // QtNetwork ignores SIGPIPE once it has made a socket; the editor has no QtNetwork.
        const auto pipeHandler = std::signal(SIGPIPE, SIG_DFL);
        QElapsedTimer clock;
        clock.start();
        const bool sent = HostLink::sendMacro(name, QString(bytes, QLatin1Char('a')));
        std::signal(SIGPIPE, pipeHandler);
        if (closer.joinable()) {
            closer.join();
        }
        QVERIFY(!sent);
        QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
    }
};

DEPTHLOOM_TEST_CLASS(HostLinkTest);
#include "HostLinkTest.moc"
