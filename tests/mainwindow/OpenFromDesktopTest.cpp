#include "WindowFixture.h"
#include "common/FindPart.h"
#include "common/ScriptedPrompts.h"
#include "common/TestMain.h"
#include "document/THeightMapFile.h"

#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

// Files named on the command line and files dropped on the window open as the File menu's and
// the file buttons' Open commands open them.
class OpenFromDesktopTest : public QObject, public WindowFixture
{
    Q_OBJECT

    // Where a drop lands, in the window's coordinates.
    QPoint place(const QString& where)
    {
        if (where == QLatin1String("left pane")) {
            return part<Panel>(form(), "Panel1")
                ->mapTo(&form(), part<Panel>(form(), "Panel1")->rect().center());
        }
        if (where == QLatin1String("right pane")) {
            return part<Panel>(form(), "Panel3")->mapTo(&form(), QPoint(5, 5));
        }
        if (where == QLatin1String("tool bar")) {
            return part<Panel>(form(), "Toolbar")
                ->mapTo(&form(), QPoint(30, part<Panel>(form(), "Toolbar")->height() - 10));
        }
        return part<Panel>(form(), "SpeedBar")->mapTo(&form(), QPoint(320, 15));
    }

private slots:
    void init()
    {
        openWindow();
        QImage strip(20, 30, QImage::Format_RGB32);
        strip.fill(Qt::blue);
        QVERIFY(strip.save(path("strip.bmp")));
        QImage face(40, 50, QImage::Format_RGB32);
        face.fill(qRgb(200, 100, 30));
        QVERIFY(face.save(path("face.bmp")));
        QVERIFY(writeFile(path("p.3dp"), "[Files]\nLayFile=" + path("strip.bmp").toUtf8() + "\n"));
        QVERIFY(writeFile(path("broken.bmp"), "BM not really"));
        QImage heights(7, 9, QImage::Format_RGB32);
        heights.fill(qRgb(90, 90, 90));
        QVERIFY(THeightMapFile().save(path("hills.bkp"), RasterImage(heights)));
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("folder.bmp")));
    }
    void cleanup() { closeWindow(); }

    void open_data()
    {
        QTest::addColumn<QStringList>("files"); // in the test's folder
        QTest::addColumn<QString>("where");     // the drop's place, or "argument"
        QTest::addColumn<bool>("depthActive");  // before
        QTest::addColumn<QString>("caption");   // after; "" when nothing may happen
        QTest::addColumn<QSize>("activeSize");
        QTest::addColumn<int>("errors");
        QTest::newRow("project on the speed bar")
            << QStringList{"p.3dp"} << "speed bar" << true << "3D-Picture  [p.3dp] -- Back()"
            << QSize(300, 300) << 0;
        QTest::newRow("project on a pane")
            << QStringList{"p.3dp"} << "right pane" << false
            << "3D-Picture  [p.3dp] -- lay(strip.bmp)" << QSize(20, 30) << 0;
        QTest::newRow("picture on the masked depth map")
            << QStringList{"face.bmp"} << "right pane" << false
            << "3D-Picture  [UNTITLED] -- Back(face.BKP)" << QSize(40, 50) << 0;
        QTest::newRow("picture on the masked pattern strip")
            << QStringList{"face.bmp"} << "left pane" << true
            << "3D-Picture  [UNTITLED] -- lay(face.bmp)" << QSize(40, 50) << 0;
        QTest::newRow("height map on the depth map")
            << QStringList{"hills.bkp"} << "right pane" << true
            << "3D-Picture  [UNTITLED] -- Back(hills.bkp)" << QSize(7, 9) << 0;
        QTest::newRow("broken picture")
            << QStringList{"broken.bmp"} << "left pane" << false
            << "3D-Picture  [UNTITLED] -- lay()" << QSize(120, 300) << 1;
        QTest::newRow("picture on the tool bar")
            << QStringList{"face.bmp"} << "tool bar" << false << "" << QSize(120, 300) << 0;
        QTest::newRow("two files") << QStringList{"face.bmp", "p.3dp"} << "left pane" << false << ""
                                   << QSize(120, 300) << 0;
        QTest::newRow("folder") << QStringList{"folder.bmp"} << "left pane" << false << ""
                                << QSize(120, 300) << 0;
        QTest::newRow("project argument")
            << QStringList{"p.3dp"} << "argument" << false
            << "3D-Picture  [p.3dp] -- lay(strip.bmp)" << QSize(20, 30) << 0;
        QTest::newRow("height map argument")
            << QStringList{"hills.bkp"} << "argument" << false
            << "3D-Picture  [UNTITLED] -- Back(hills.bkp)" << QSize(7, 9) << 0;
        QTest::newRow("picture argument")
            << QStringList{"face.bmp"} << "argument" << true
            << "3D-Picture  [UNTITLED] -- lay(face.bmp)" << QSize(40, 50) << 0;
        QTest::newRow("missing project argument")
            << QStringList{"gone.3dp"} << "argument" << false << "3D-Picture  [UNTITLED] -- lay()"
            << QSize(120, 300) << 1;
    }
    void open()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, where);
        QFETCH(bool, depthActive);
        QFETCH(QString, caption);
        QFETCH(QSize, activeSize);
        QFETCH(int, errors);
        if (depthActive) {
            form().SwitchCurrentImage();
        }
        const QString before = form().windowTitle();
        if (where == QLatin1String("argument")) {
            // Relative to the current folder, as a shell passes it.
            const QString folder = QDir::currentPath();
            QDir::setCurrent(m_dir.path());
            form().openGivenFile(files.first());
            QDir::setCurrent(folder);
        } else {
            QMimeData data;
            QList<QUrl> urls;
            for (const QString& file : files) {
                urls.append(QUrl::fromLocalFile(m_dir.filePath(file)));
            }
            data.setUrls(urls);
            const QPoint at = place(where);
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&form(), &enter);
            QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&form(), &move);
            QCOMPARE(move.isAccepted(), !caption.isEmpty());
            QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&form(), &drop);
            QCOMPARE(drop.isAccepted(), !caption.isEmpty());
            // The file opens once the drop has returned.
            QTest::qWait(50);
        }
        QCOMPARE(form().windowTitle(), caption.isEmpty() ? before : caption);
        const RasterImage& active = *form().drawingState().ActiveImage;
        QCOMPARE(QSize(active.width(), active.height()), activeSize);
        // Later saves go where the files came from, whatever the current folder is then.
        const DocumentState& names = form().document();
        for (const QString& name :
             {names.ProjectFileName, names.PatternFileName, names.DepthFileName}) {
            QVERIFY2(name.isEmpty() || QFileInfo(name).isAbsolute(), qPrintable(name));
        }
        QCOMPARE(m_prompts.log.size(), errors);
        for (const QString& line : std::as_const(m_prompts.log)) {
            QVERIFY2(line.startsWith(QStringLiteral("Error: ")) &&
                         line.contains(QDir::toNativeSeparators(m_dir.path())),
                     qPrintable(line));
        }
    }
};

DEPTHLOOM_TEST_CLASS(OpenFromDesktopTest);
#include "OpenFromDesktopTest.moc"
