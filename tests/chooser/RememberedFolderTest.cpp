#include "ChooserTestSupport.h"
#include "common/TestMain.h"
#include "document/RememberedPlaces.h"
#include "mainwindow/DialogPrompts.h"

#include <QDir>
#include <QFileDialog>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// A file dialog with no folder of its own starts where a file of its kind was last chosen.
class RememberedFolderTest : public QObject
{
    Q_OBJECT

private slots:
    void startsInTheLastFolder_data()
    {
        QTest::addColumn<QString>("asked");
        QTest::addColumn<bool>("there");
        QTest::newRow("same kind") << RememberedPlaces::Projects << true;
        QTest::newRow("other kind") << RememberedPlaces::Outputs << false;
    }
    void startsInTheLastFolder()
    {
        QFETCH(QString, asked);
        QFETCH(bool, there);
        QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("depthloom"),
                  QStringLiteral("places"))
            .clear();
        QTemporaryDir dir;
        // The folder of the 3D pictures saved before.
        QTemporaryDir other;
        RememberedPlaces().rememberFolderOf(RememberedPlaces::Outputs,
                                            other.filePath(QStringLiteral("o.bmp")));
        DialogPrompts prompts(nullptr);
        const Prompts::FileDialog chosenThere{
            dir.filePath(QStringLiteral("p.3dp")), QStringLiteral("3DP"),
            QStringLiteral("3D[*.3dp]|*.3dp"), RememberedPlaces::Projects};
        QString started;
        auto accept = [&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog);
            started = dialog->directory().absolutePath();
            static_cast<QDialog*>(dialog)->accept();
        };
        {
            ModalDriver driver(accept);
            QCOMPARE(prompts.chooseSaveFile(chosenThere), dir.filePath(QStringLiteral("p.3dp")));
        }
        ModalDriver driver(accept);
        prompts.chooseSaveFile({QStringLiteral("*.3dp"), QStringLiteral("3DP"),
                                QStringLiteral("3D[*.3dp]|*.3dp"), asked});
        QCOMPARE(started, QDir(there ? dir.path() : other.path()).absolutePath());
    }
};

DEPTHLOOM_TEST_CLASS(RememberedFolderTest);
#include "RememberedFolderTest.moc"
