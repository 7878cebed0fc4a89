#include "mainwindow/HostLink.h"

#include "common/TestMain.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <cstring>
#include <memory>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

QString uniqueName(const char* tag)
{
    return QStringLiteral("depthloom-test-%1-%2").arg(QCoreApplication::applicationPid()).arg(tag);
}

// What a crashed copy leaves behind: a socket file that nobody listens on.
bool makeStaleSocket(const QString& name)
{
    const QByteArray path = QFile::encodeName(QDir::tempPath() + QLatin1Char('/') + name);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= qsizetype(sizeof(address.sun_path))) {
        return false;
    }
    std::memcpy(address.sun_path, path.constData(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound =
        fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    return bound && QFile::exists(QString::fromLocal8Bit(path));
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

    // Out of file descriptors, accept() fails and Qt closes the server and removes its socket
    // file; once descriptors are free again the link answers under its name.
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
        {
            QLocalSocket client;
            client.connectToServer(name);
            QTRY_VERIFY2(!link.isListening(), "accept() did not fail");
        }
        for (const int fd : taken) {
            ::close(fd);
        }
        ::setrlimit(RLIMIT_NOFILE, &saved);
        QVERIFY(!QFile::exists(QDir::tempPath() + QLatin1Char('/') + name));

        bool sent = false; // QTRY_VERIFY evaluates its expression again after success
        QTRY_VERIFY_WITH_TIMEOUT(
            sent || (sent = HostLink::sendMacro(name, QStringLiteral("[L]/after.3dp"))), 5000);
        QTRY_COMPARE(received.size(), 1);
        QCOMPARE(received.at(0).at(0).toString(), QStringLiteral("[L]/after.3dp"));
    }

    void sendWithoutListener_data()
    {
        QTest::addColumn<bool>("staleFile");
        QTest::newRow("no socket file") << false;
        QTest::newRow("stale socket file") << true;
    }
    void sendWithoutListener()
    {
        QFETCH(bool, staleFile);
        const QString name = uniqueName(staleFile ? "nobody-stale" : "nobody");
        if (staleFile) {
            QVERIFY(makeStaleSocket(name));
        }
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!HostLink::sendMacro(name, QStringLiteral("I am quit")));
        QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
        QLocalServer::removeServer(name);
    }
};

DEPTHLOOM_TEST_CLASS(HostLinkTest);
#include "HostLinkTest.moc"
