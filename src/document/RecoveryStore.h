#pragma once

#include <QDateTime>
#include <QImage>
#include <QString>

#include <functional>
#include <memory>

class QLockFile;

// What the user has not saved: the unsaved images (null where an image is saved) and the names
// of the project, as a copy the next start can offer back after a crash or a kill.
struct RecoveryCopy
{
    QImage pattern; // the pattern strip, kept as a PNG
    QImage depth;   // the depth map, kept as a height-map file
    QString projectFileName;
    QString patternFileName;
    QString depthFileName;
    QString targetFileName;
    QDateTime written; // when the copy was written; set when read back

    bool holdsImages() const { return !pattern.isNull() || !depth.isNull(); }
};

// One running editor's recovery copy, in a folder of its own under `root` (the user's own data
// folder, mode 0700). A lock held for the store's whole life tells other copies of the program
// that the folder's owner is alive, so they never offer its work back; the lock goes with the
// process, so a crash or a kill leaves the folder for the next start to claim.
//
// Files are written and removed on a thread of the store's own, each through a temporary file
// renamed over the last one, so neither the caller nor a crash halfway ever sees half a copy.
class RecoveryStore final
{
public:
    explicit RecoveryStore(const QString& root);
    // Finishes what was asked, then releases the lock and leaves the copy where it is: only
    // discard() removes it.
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore&) = delete;
    RecoveryStore& operator=(const RecoveryStore&) = delete;

    // Whether the folder is claimed; otherwise error() says why, and keep() does nothing.
    bool isActive() const;
    QString error() const;
    QString folder() const;

    // Writes `copy` on the store's thread; a newer copy replaces one that has not started yet.
    // The images must not share pixels with pictures that are still being painted: a write into
    // those would copy them on the painting thread. `afterwards` runs on the store's thread once
    // a write or removal asked for from now on has succeeded.
    void keep(RecoveryCopy copy, std::function<void()> afterwards = {});
    // Removes the copy, after any write asked for before.
    void discard();
    // Waits until everything asked for is done; returns the last write's error, if any.
    QString waitForWrites();

    // The newest copy left by a copy of the program that is no longer running, claimed by the
    // returned object so that no other start offers it at the same time; null when there is
    // none. Folders with nothing to offer are removed on the way.
    class Abandoned;
    static std::unique_ptr<Abandoned> claimAbandoned(const QString& root);

private:
    struct Writer;
    std::unique_ptr<Writer> m_writer;
};

class RecoveryStore::Abandoned final
{
public:
    ~Abandoned(); // releases the claim and leaves the folder
    // Reads the copy; on failure `error` names the file and the reason.
    bool read(RecoveryCopy* copy, QString* error) const;
    // Removes the folder and releases the claim.
    void remove();
    QString folder() const { return m_folder; }

private:
    friend class RecoveryStore;
    Abandoned(QString folder, std::unique_ptr<QLockFile> lock);
    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
};

// The folder under which every copy of the editor keeps its recovery copy.
QString defaultRecoveryRoot();
