#pragma once

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace batchrun {

// A folder of the test's own for the files the commands read and write.
class BatchFolder
{
protected:
    QTemporaryDir m_dir;
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
};

struct Run
{
    int exitCode = -1; // -1 when the program did not end by itself within a minute
    QByteArray out;
    QByteArray err;
};

// Runs the built program as a user would from a shell without any display; `limit` bounds
// `resource` for it: by default its address space, in bytes.
inline Run runBatch(const QStringList& args, rlim_t limit = RLIM_INFINITY, int resource = RLIMIT_AS)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
#ifdef __SANITIZE_ADDRESS__
    // The address sanitizer reserves terabytes of address space and cannot start under a limit
    // on it; its ceiling on a single allocation stands in.
    if (resource == RLIMIT_AS && limit != RLIM_INFINITY) {
        env.insert(QStringLiteral("ASAN_OPTIONS"),
                   QStringLiteral("allocator_may_return_null=1:max_allocation_size_mb=%1")
                       .arg(limit >> 20));
        limit = RLIM_INFINITY;
    }
#endif
    process.setChildProcessModifier([limit, resource] {
        // The signal as a shell leaves it, whatever the test process chose for itself.
        ::signal(SIGXFSZ, SIG_DFL);
        const rlimit bound{limit, limit};
        ::setrlimit(resource, &bound);
    });
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(DEPTHLOOM_EXE), args);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        return Run{};
    }
    return Run{process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

// A refused command: its exit status, and one line on standard error that names each of
// `mentioned`.
inline void verifyRefusal(const Run& run, int exitCode, const QStringList& mentioned)
{
    QCOMPARE(run.exitCode, exitCode);
    const QString message = QString::fromUtf8(run.err);
    QCOMPARE(message.count(QLatin1Char('\n')), 1);
    for (const QString& text : mentioned) {
        QVERIFY2(message.contains(text), qPrintable(message));
    }
}

inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A colour strip whose every pixel differs from its neighbours.
inline QImage colourStrip(int width, int height)
{
    QImage strip(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            strip.setPixel(x, y, qRgb(x * 4 % 256, y * 6 % 256, (x * y) % 256));
        }
    }
    return strip;
}

// Ground grey with a raised box in colour, (250, 100, 30), which greys to 126.
inline QImage boxDepth(int width, int height, const QRect& box)
{
    QImage depth(width, height, QImage::Format_RGB32);
    depth.fill(qRgb(56, 56, 56));
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            depth.setPixel(x, y, qRgb(250, 100, 30));
        }
    }
    return depth;
}

} // namespace batchrun
