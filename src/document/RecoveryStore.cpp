#include "document/RecoveryStore.h"

#include "document/THeightMapFile.h"
#include "files/PictureFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStandardPaths>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

const QString ManifestName = QStringLiteral("recovery.json");
// A bitmap: copies are written often and read once, and deflating even at the lowest level cost
// a fifth of the whole copy. Copies from before kept the strip as PNG, which a manifest
// without "patternFile" means.
const QString PatternName = QStringLiteral("pattern.bmp");
const QString OldPatternName = QStringLiteral("pattern.png");
const QString DepthName = QStringLiteral("depth.bkp");

constexpr QFile::Permissions OwnerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                         QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;

bool makeOwnFolder(const QString& path, QString* error)
{
    if (!QDir().mkpath(path) || !QFile::setPermissions(path, OwnerOnly)) {
        *error = QStringLiteral("Cannot create the recovery folder %1").arg(path);
        return false;
    }
    return true;
}

// A lock that only a running process holds: its age never makes it stale.
std::unique_ptr<QLockFile> lockFor(const QString& folder)
{
    auto lock = std::make_unique<QLockFile>(folder + QStringLiteral(".lock"));
    lock->setStaleLockTime(0);
    return lock;
}

bool writeManifest(const QString& path, const RecoveryCopy& copy, QString* error)
{
    const QJsonObject manifest{
        {QStringLiteral("project"), copy.projectFileName},
        {QStringLiteral("pattern"), copy.patternFileName},
        {QStringLiteral("depth"), copy.depthFileName},
        {QStringLiteral("target"), copy.targetFileName},
        {QStringLiteral("patternKept"), !copy.pattern.isNull()},
        {QStringLiteral("patternFile"), PatternName},
        {QStringLiteral("depthKept"), !copy.depth.isNull()},
        {QStringLiteral("written"), QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs)},
    };
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(manifest).toJson()) < 0 ||
        !file.commit()) {
        *error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace

QString defaultRecoveryRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QStringLiteral("/recovery");
}

struct RecoveryStore::Writer
{
    // What the thread is asked to do next: write a copy, or remove it.
    using Job = std::optional<RecoveryCopy>;

    QString folder;
    std::unique_ptr<QLockFile> lock;
    QString error;

    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable done;
    std::optional<Job> pending;
    std::vector<std::function<void()>> afterwards; // for the next job that succeeds
    bool busy = false;
    bool stopping = false;
    bool holdsCopy = false; // touched by the thread only
    QString lastWriteError;
    std::thread thread;

    void run()
    {
        std::unique_lock guard(mutex);
        for (;;) {
            wake.wait(guard, [this] { return pending || stopping; });
            if (!pending) {
                return;
            }
            Job job = std::move(*pending);
            pending.reset();
            std::vector<std::function<void()>> then = std::exchange(afterwards, {});
            busy = true;
            guard.unlock();
            QString failure;
            if (job) {
                write(*job, &failure);
            } else {
                remove();
            }
            if (failure.isEmpty()) {
                for (const auto& step : then) {
                    step();
                }
            }
            guard.lock();
            if (!failure.isEmpty()) {
                afterwards.insert(afterwards.begin(), then.begin(), then.end());
            }
            lastWriteError = failure;
            busy = false;
            done.notify_all();
        }
    }

    void write(const RecoveryCopy& copy, QString* failure)
    {
        const QString patternPath = folder + u'/' + PatternName;
        const QString depthPath = folder + u'/' + DepthName;
        // The pictures first, the manifest that names them last: whatever a crash interrupts,
        // the manifest on disk names only complete pictures.
        if (!copy.pattern.isNull() && !savePictureFile(copy.pattern, patternPath, failure)) {
            return;
        }
        if (!copy.depth.isNull() &&
            !THeightMapFile().save(depthPath, RasterImage(copy.depth), failure)) {
            return;
        }
        if (!writeManifest(folder + u'/' + ManifestName, copy, failure)) {
            return;
        }
        holdsCopy = true;
        if (copy.pattern.isNull()) {
            QFile::remove(patternPath);
        }
        if (copy.depth.isNull()) {
            QFile::remove(depthPath);
        }
    }

    void remove()
    {
        for (const QString& name : {ManifestName, PatternName, OldPatternName, DepthName}) {
            QFile::remove(folder + u'/' + name);
        }
        holdsCopy = false;
    }

    void ask(Job job, std::function<void()> then = {})
    {
        {
            const std::lock_guard guard(mutex);
            pending = std::move(job);
            if (then) {
                afterwards.push_back(std::move(then));
            }
        }
        wake.notify_one();
    }
};

RecoveryStore::RecoveryStore(const QString& root) : m_writer(std::make_unique<Writer>())
{
    Writer& writer = *m_writer;
    if (!makeOwnFolder(root, &writer.error)) {
        return;
    }
    const QString name =
        QStringLiteral("%1-%2")
            .arg(::getpid())
            .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
    writer.folder = root + u'/' + name;
    // The lock before the folder: a start that finds the folder finds it locked.
    writer.lock = lockFor(writer.folder);
    if (!writer.lock->tryLock(0)) {
        writer.error = QStringLiteral("Cannot lock the recovery folder %1").arg(writer.folder);
        writer.lock.reset();
        return;
    }
    if (!makeOwnFolder(writer.folder, &writer.error)) {
        writer.lock.reset();
        return;
    }
    writer.thread = std::thread([&writer] { writer.run(); });
}

RecoveryStore::~RecoveryStore()
{
    Writer& writer = *m_writer;
    if (!writer.thread.joinable()) {
        return;
    }
    {
        const std::lock_guard guard(writer.mutex);
        writer.stopping = true;
    }
    writer.wake.notify_one();
    writer.thread.join();
    if (!writer.holdsCopy) {
        QDir(writer.folder).removeRecursively();
    }
    writer.lock->unlock();
}

bool RecoveryStore::isActive() const
{
    return m_writer->thread.joinable();
}

QString RecoveryStore::error() const
{
    return m_writer->error;
}

QString RecoveryStore::folder() const
{
    return m_writer->folder;
}

void RecoveryStore::keep(RecoveryCopy copy, std::function<void()> afterwards)
{
    if (isActive()) {
        m_writer->ask(std::move(copy), std::move(afterwards));
    }
}

void RecoveryStore::discard()
{
    if (isActive()) {
        m_writer->ask(std::nullopt);
    }
}

QString RecoveryStore::waitForWrites()
{
    Writer& writer = *m_writer;
    std::unique_lock guard(writer.mutex);
    writer.done.wait(guard, [&writer] { return !writer.pending && !writer.busy; });
    return writer.lastWriteError;
}

std::unique_ptr<RecoveryStore::Abandoned> RecoveryStore::claimAbandoned(const QString& root)
{
    std::unique_ptr<Abandoned> newest;
    QDateTime newestTime;
    const QFileInfoList folders =
        QDir(root).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QFileInfo& folder : folders) {
        std::unique_ptr<QLockFile> lock = lockFor(folder.absoluteFilePath());
        if (!lock->tryLock(0)) {
            continue; // its editor is running
        }
        const QFileInfo manifest(folder.absoluteFilePath() + u'/' + ManifestName);
        if (!manifest.isFile()) {
            QDir(folder.absoluteFilePath()).removeRecursively();
            continue;
        }
        const QDateTime time = manifest.lastModified();
        if (!newest || time > newestTime) {
            newest.reset(new Abandoned(folder.absoluteFilePath(), std::move(lock)));
            newestTime = time;
        }
    }
    return newest;
}

RecoveryStore::Abandoned::Abandoned(QString folder, std::unique_ptr<QLockFile> lock)
    : m_folder(std::move(folder)), m_lock(std::move(lock))
{}

RecoveryStore::Abandoned::~Abandoned() = default;

bool RecoveryStore::Abandoned::read(RecoveryCopy* copy, QString* error) const
{
    const QString manifestPath = m_folder + u'/' + ManifestName;
    QFile file(manifestPath);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Cannot read %1: %2").arg(manifestPath, file.errorString());
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.read(1 << 20), &parseError);
    if (!document.isObject()) {
        *error = QStringLiteral("Cannot read %1: %2").arg(manifestPath, parseError.errorString());
        return false;
    }
    const QJsonObject manifest = document.object();
    RecoveryCopy read;
    read.projectFileName = manifest.value(QStringLiteral("project")).toString();
    read.patternFileName = manifest.value(QStringLiteral("pattern")).toString();
    read.depthFileName = manifest.value(QStringLiteral("depth")).toString();
    read.targetFileName = manifest.value(QStringLiteral("target")).toString();
    read.written = QDateTime::fromString(manifest.value(QStringLiteral("written")).toString(),
                                         Qt::ISODateWithMs)
                       .toLocalTime();
    const QString patternName =
        manifest.value(QStringLiteral("patternFile")).toString() == PatternName ? PatternName
                                                                                : OldPatternName;
    if (manifest.value(QStringLiteral("patternKept")).toBool() &&
        !readPictureFile(m_folder + u'/' + patternName, &read.pattern, error)) {
        return false;
    }
    if (manifest.value(QStringLiteral("depthKept")).toBool()) {
        THeightMapFile depth;
        if (!depth.load(m_folder + u'/' + DepthName, error)) {
            return false;
        }
        read.depth = depth.picture().image();
    }
    *copy = std::move(read);
    return true;
}

void RecoveryStore::Abandoned::remove()
{
    QDir(m_folder).removeRecursively();
    m_lock.reset();
}
