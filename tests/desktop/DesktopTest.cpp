// `cmake --install` into a temporary prefix, and what a desktop finds there: the program, its
// help pages, a valid desktop entry with the icon it names, and the file types of projects and
// height maps.

#include "common/TestMain.h"
#include "mainwindow/AppIcon.h"
#include "mainwindow/SplashPicture.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QMimeDatabase>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

// Runs a program to its end; returns its exit code, or -1 when it could not run in time.
int run(const QString& program, const QStringList& arguments, QByteArray* output = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DESTDIR"));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(120000)) {
        return -1;
    }
    if (output) {
        *output = process.readAll();
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace

class DesktopTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_prefix;
    QString share(const QString& path) const { return m_prefix.filePath("share/" + path); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_prefix.isValid());
        QByteArray output;
        QVERIFY2(run(QStringLiteral(DEPTHLOOM_CMAKE),
                     {QStringLiteral("--install"), QStringLiteral(DEPTHLOOM_BUILD_DIR),
                      QStringLiteral("--prefix"), m_prefix.path()},
                     &output) == 0,
                 output.constData());
        // Only the installed file types and icons, as a desktop with nothing else would see them.
        qputenv("XDG_DATA_DIRS", m_prefix.filePath(QStringLiteral("share")).toUtf8());
        qputenv("XDG_DATA_HOME", m_prefix.filePath(QStringLiteral("nothing")).toUtf8());
    }

    // The help pages go to the shared data, not beside the program, where the program looks
    // for them first.
    void programAndHelp()
    {
        QVERIFY(QFileInfo(m_prefix.filePath(QStringLiteral("bin/depthloom"))).isExecutable());
        for (const char* page : {"index.htm", "3DP.htm", "c3DP.htm"}) {
            QVERIFY2(
                QFileInfo(share(QStringLiteral("depthloom/help/")) + QLatin1String(page)).isFile(),
                page);
        }
        QVERIFY(!QFileInfo::exists(m_prefix.filePath(QStringLiteral("bin/help"))));
    }

    void desktopEntry()
    {
        const QString entry = share(QStringLiteral("applications/depthloom.desktop"));
        QByteArray output;
        QCOMPARE(run(QStringLiteral("desktop-file-validate"), {entry}, &output), 0);
        QVERIFY2(output.isEmpty(), output.constData());
        QFile file(entry);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArrayList lines = file.readAll().split('\n');
        QVERIFY(lines.contains("Exec=depthloom %f"));
        QVERIFY(lines.contains("Icon=depthloom"));
        QVERIFY(lines.contains(
            "MimeType=application/x-depthloom-project;application/x-depthloom-height-map;"));
    }

    // The icon the entry names, scalable and in every size.
    void icon()
    {
        QFile svg(share(QStringLiteral("icons/hicolor/scalable/apps/depthloom.svg")));
        QVERIFY(svg.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&svg);
        QVERIFY(xml.readNextStartElement());
        QCOMPARE(xml.name(), QLatin1String("svg"));
        while (!xml.atEnd()) {
            xml.readNext();
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        for (const int size : appicon::PngSizes) {
            const QImage png(
                share(QStringLiteral("icons/hicolor/%1x%1/apps/depthloom.png").arg(size)));
            QCOMPARE(png.size(), QSize(size, size));
            // Opaque in the middle, transparent in the corner.
            QCOMPARE(qAlpha(png.pixel(size / 2, size / 2)), 255);
            QCOMPARE(qAlpha(png.pixel(0, 0)), 0);
            // The windows' icon is built from the same files.
            QCOMPARE(appicon::icon().pixmap(size).toImage().convertToFormat(png.format()), png);
        }
        // The splash picture too is the build's drawing.
        QCOMPARE(splashpicture::built(), splashpicture::draw(splashpicture::Size));
    }

    void fileTypes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("type");
        QTest::newRow("project") << "cube.3dp"
                                 << "application/x-depthloom-project";
        QTest::newRow("project, capitals") << "CUBE.3DP"
                                           << "application/x-depthloom-project";
        QTest::newRow("height map") << "cube.bkp"
                                    << "application/x-depthloom-height-map";
        QTest::newRow("height map, capitals") << "CUBE.BKP"
                                              << "application/x-depthloom-height-map";
    }
    // As Qt reads the type definitions, and as the desktop's own database, which the install
    // brings up to date, has them.
    void fileTypes()
    {
        QFETCH(QString, name);
        QFETCH(QString, type);
        QCOMPARE(QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension).name(), type);
        QFile globs(share(QStringLiteral("mime/globs2")));
        QVERIFY(globs.open(QIODevice::ReadOnly));
        const QString glob = type + QStringLiteral(":*.") + QFileInfo(name).suffix().toLower();
        QVERIFY2(QString::fromUtf8(globs.readAll()).contains(glob), qPrintable(glob));
    }
};

DEPTHLOOM_TEST_CLASS(DesktopTest);
#include "DesktopTest.moc"
