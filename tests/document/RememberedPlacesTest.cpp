#include "document/RememberedPlaces.h"

#include "common/TestMain.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// Each case starts from nothing remembered (the test main points the settings at a folder of
// its own) and works on files in a folder of its own.
class RememberedPlacesTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void init()
    {
        QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("depthloom"),
                  QStringLiteral("places"))
            .clear();
    }

    void recentProjects_data()
    {
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("newest first")
            << QStringList{"a", "b"} << QStringList{} << QStringList{"b", "a"};
        QTest::newRow("again goes to the top")
            << QStringList{"a", "b", "a"} << QStringList{} << QStringList{"a", "b"};
        QTest::newRow("one name for one file")
            << QStringList{"a", "x/../b", "b"} << QStringList{} << QStringList{"b", "a"};
        QTest::newRow("eight at most")
            << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9"} << QStringList{}
            << QStringList{"9", "8", "7", "6", "5", "4", "3", "2"};
        QTest::newRow("removed") << QStringList{"a", "b", "c"} << QStringList{"b"}
                                 << QStringList{"c", "a"};
    }
    void recentProjects()
    {
        QFETCH(QStringList, added);
        QFETCH(QStringList, removed);
        QFETCH(QStringList, listed);
        RememberedPlaces places;
        for (const QString& name : added) {
            places.addRecentProject(path(name + ".3dp"));
        }
        for (const QString& name : removed) {
            places.removeRecentProject(path(name + ".3dp"));
        }
        QStringList expected;
        for (const QString& name : listed) {
            expected.append(QDir::cleanPath(path(name + ".3dp")));
        }
        // Another copy of the editor reads the same list.
        QCOMPARE(RememberedPlaces().recentProjects(), expected);
    }

    void folders_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("chosen"); // in the test's folder; "gone/" is deleted after
        QTest::addColumn<QString>("asked");
        QTest::addColumn<bool>("found");
        QTest::newRow("projects") << "projects"
                                  << "p.3dp"
                                  << "projects" << true;
        QTest::newRow("kinds apart") << "pictures"
                                     << "a.bmp"
                                     << "heightMaps" << false;
        QTest::newRow("outputs") << "outputs"
                                 << "o.bmp"
                                 << "outputs" << true;
        QTest::newRow("unknown kind") << "fonts"
                                      << "f.ttf"
                                      << "fonts" << false;
        QTest::newRow("folder gone") << "pictures"
                                     << "gone/a.bmp"
                                     << "pictures" << false;
    }
    void folders()
    {
        QFETCH(QString, kind);
        QFETCH(QString, chosen);
        QFETCH(QString, asked);
        QFETCH(bool, found);
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("gone")));
        RememberedPlaces().rememberFolderOf(kind, path(chosen));
        QDir(path(QStringLiteral("gone"))).removeRecursively();
        QCOMPARE(RememberedPlaces().folder(asked),
                 found ? QFileInfo(path(chosen)).absolutePath() : QString());
    }
};

DEPTHLOOM_TEST_CLASS(RememberedPlacesTest);
#include "RememberedPlacesTest.moc"
