#include "WindowFixture.h"
#include "common/TestMain.h"
#include "document/RecoveryStore.h"
#include "document/THeightMapFile.h"

#include <QCloseEvent>
#include <QDirIterator>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSysInfo>

// Unsaved work survives a run that ends without a clean quit, is offered back once, only to a
// later start, and nothing is left behind once it is saved or the program quits cleanly.
class RecoveryTest : public QObject, public WindowFixture
{
    Q_OBJECT

    QString root() const { return m_dir.filePath(QStringLiteral("recovery")); }
    QStringList manifests() const
    {
        QStringList found;
        for (QDirIterator it(root(), {QStringLiteral("recovery.json")}, QDir::Files,
                             QDirIterator::Subdirectories);
             it.hasNext();) {
            found << it.next();
        }
        return found;
    }
    // A window that keeps copies at once, with a saved depth map so that restoring has a name
    // to keep and Save a file to write.
    std::unique_ptr<TForm1> startRun(ScriptedPrompts& prompts)
    {
        auto form = openMainWindow(prompts);
        form->keepRecoveryCopies(root(), 0);
        return form;
    }
    void waitForCopy(TForm1& form, int count = 1)
    {
        QTRY_COMPARE(manifests().size(), count);
        QVERIFY(form.finishRecoveryCopy().isEmpty());
    }

private slots:
    void init()
    {
        QImage depth(40, 30, QImage::Format_RGB32);
        depth.fill(qRgb(90, 90, 90));
        QVERIFY(THeightMapFile().save(path("depth.bkp"), RasterImage(depth)));
        QDir(root()).removeRecursively();
    }

    void laterStart_data()
    {
        QTest::addColumn<QString>("end");
        QTest::addColumn<bool>("restore");
        QTest::addColumn<bool>("offered");
        QTest::newRow("crash, restored") << "crash" << true << true;
        QTest::newRow("crash, declined") << "crash" << false << true;
        QTest::newRow("saved, then crash") << "save" << true << false;
        QTest::newRow("clean quit") << "quit" << true << false;
    }
    void laterStart()
    {
        QFETCH(QString, end);
        QFETCH(bool, restore);
        QFETCH(bool, offered);
        QImage painted;
        {
            ScriptedPrompts prompts;
            auto first = startRun(prompts);
            first->openImageFile(true, path("depth.bkp"));
            // Back to the strip, where a user starts painting from.
            QTest::mouseClick(part<Shape>(*first, "spLMask"), Qt::LeftButton);
            paintDepthMap(*first);
            painted = first->depthMap().image().copy();
            waitForCopy(*first);
            if (end == QLatin1String("save")) {
                QVERIFY(first->SaveDepthMap());
                QTRY_VERIFY(manifests().isEmpty());
            } else if (end == QLatin1String("quit")) {
                prompts.saveChoices = {Prompts::SaveChoice::Discard};
                QCloseEvent close;
                QCoreApplication::sendEvent(first.get(), &close);
                QVERIFY(close.isAccepted());
            }
            // Destroyed without closing: as far as the copy can tell, the run crashed.
        }
        if (end == QLatin1String("quit")) {
            QVERIFY(QDir(root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
        }
        ScriptedPrompts prompts;
        prompts.answers = {restore};
        auto second = startRun(prompts);
        QCOMPARE(second->offerRecovery(root()), offered && restore);
        QCOMPARE(prompts.log.size(), int(offered));
        if (offered) {
            QVERIFY2(prompts.log.first().contains(QLatin1String("to the depth map.")),
                     qPrintable(prompts.log.first()));
        }
        QCOMPARE(second->depthMap().image() == painted, offered && restore);
        if (offered && restore) {
            QCOMPARE(second->document().DepthFileName, path("depth.bkp"));
            QTRY_VERIFY(second->isWindowModified());
            // This run's own copy replaces the one it restored.
            waitForCopy(*second);
            QTRY_COMPARE(QDir(root()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 1);
        } else {
            QVERIFY(manifests().isEmpty());
        }
    }

    // A copy whose run is alive is never offered to another, however old it is; one whose run
    // died is, once.
    void onlyDeadRunsAreOffered()
    {
        ScriptedPrompts prompts;
        auto first = startRun(prompts);
        paintDepthMap(*first);
        waitForCopy(*first);
        const QString live = manifests().first();
        QFile old(QFileInfo(live).path() + QStringLiteral(".lock"));
        QVERIFY(old.open(QIODevice::ReadWrite) &&
                old.setFileTime(QDateTime::currentDateTime().addDays(-2),
                                QFileDevice::FileModificationTime));
        ScriptedPrompts others;
        others.answers = {true};
        QVERIFY(!startRun(others)->offerRecovery(root()));
        QVERIFY(others.log.isEmpty());

        // The same copy under a lock whose process has gone.
        const QString dead = root() + QStringLiteral("/dead");
        QVERIFY(QDir().mkpath(dead));
        QVERIFY(QFile::copy(live, dead + QStringLiteral("/recovery.json")));
        QVERIFY(QFile::copy(QFileInfo(live).path() + QStringLiteral("/depth.bkp"),
                            dead + QStringLiteral("/depth.bkp")));
        QVERIFY(writeFile(dead + QStringLiteral(".lock"),
                          "2147483000\ndepthloom\n" + QSysInfo::machineHostName().toUtf8() + '\n'));
        QVERIFY(QFileInfo(root()).permissions() ==
                (QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser |
                 QFile::WriteUser | QFile::ExeUser));
        auto claimed = RecoveryStore::claimAbandoned(root());
        QVERIFY(claimed);
        QCOMPARE(claimed->folder(), dead);
        QVERIFY(!RecoveryStore::claimAbandoned(root()));
    }

    // The strip kept as this version writes it, and as copies from before kept it (a PNG, and a
    // manifest without the strip's file name).
    void keptStripReadsBack_data()
    {
        QTest::addColumn<bool>("older");
        QTest::newRow("this version") << false;
        QTest::newRow("older copy") << true;
    }
    void keptStripReadsBack()
    {
        QFETCH(bool, older);
        QImage strip(7, 5, QImage::Format_RGB32);
        strip.fill(qRgb(10, 200, 30));
        strip.setPixel(3, 2, qRgb(250, 0, 90));
        const QString dead = root() + QStringLiteral("/dead");
        {
            RecoveryStore store(m_dir.filePath(QStringLiteral("live")));
            RecoveryCopy copy;
            copy.pattern = strip;
            store.keep(copy);
            QVERIFY(store.waitForWrites().isEmpty());
            QVERIFY(QDir().mkpath(root()) && QDir().rename(store.folder(), dead));
        }
        if (older) {
            QFile manifest(dead + QStringLiteral("/recovery.json"));
            QVERIFY(manifest.open(QIODevice::ReadWrite));
            QJsonObject fields = QJsonDocument::fromJson(manifest.readAll()).object();
            QVERIFY(fields.contains(QStringLiteral("patternFile")));
            fields.remove(QStringLiteral("patternFile"));
            QVERIFY(manifest.resize(0) && manifest.write(QJsonDocument(fields).toJson()) > 0);
            manifest.close();
            QVERIFY(QImage(dead + QStringLiteral("/pattern.bmp"))
                        .save(dead + QStringLiteral("/pattern.png")));
            QVERIFY(QFile::remove(dead + QStringLiteral("/pattern.bmp")));
        }
        auto claimed = RecoveryStore::claimAbandoned(root());
        QVERIFY(claimed);
        RecoveryCopy read;
        QString error;
        QVERIFY2(claimed->read(&read, &error), qPrintable(error));
        QCOMPARE(read.pattern.convertToFormat(QImage::Format_RGB32), strip);
    }

    void brokenCopyIsNamed()
    {
        QVERIFY(QDir().mkpath(root() + QStringLiteral("/broken")));
        QVERIFY(
            writeFile(root() + QStringLiteral("/broken/recovery.json"), "{\"depthKept\":true}"));
        ScriptedPrompts prompts;
        auto form = startRun(prompts);
        QVERIFY(!form->offerRecovery(root()));
        QCOMPARE(prompts.log.size(), 1);
        QVERIFY2(prompts.log.first().contains(root() + QStringLiteral("/broken/depth.bkp")),
                 qPrintable(prompts.log.first()));
    }
};

DEPTHLOOM_TEST_CLASS(RecoveryTest);
#include "RecoveryTest.moc"
