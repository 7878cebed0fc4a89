#include "WindowFixture.h"
#include "common/FindPart.h"
#include "common/ImageCompare.h"
#include "common/ScriptedPrompts.h"
#include "common/TestMain.h"
#include "document/BatchCommands.h"
#include "document/TMy3DFile.h"
#include "mainwindow/StartupRules.h"
#include "output/TfmOutput.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTimer>

class ProjectTest : public QObject, public WindowFixture
{
    Q_OBJECT

private:
    // Names both images and writes their files.
    void nameImages()
    {
        form().document().PatternFileName = path("leaves.bmp");
        QVERIFY(form().patternStrip().save(path("leaves.bmp")));
        form().SwitchCurrentImage();
        form().document().DepthFileName = path("cube.bkp");
        QVERIFY(form().SaveDepthMap());
        form().SwitchCurrentImage();
    }

private slots:
    void init() { openWindow(); }
    void cleanup() { closeWindow(); }

    // Make 3D in the window gives the same picture as the batch command, without blocking.
    void make3dMatchesTheBatchCommand()
    {
        RasterImage& strip = form().patternStrip();
        strip.setSize(40, 60);
        for (int y = 0; y < 60; ++y) {
            for (int x = 0; x < 40; ++x) {
                strip.setPixel(x, y, colorref::rgb(x * 6, y * 4, (x * y) % 256));
            }
        }
        RasterImage& depth = form().depthMap();
        depth.setSize(90, 60);
        depth.brush().color = colorref::grey(200);
        depth.ellipse(20, 10, 70, 50);
        QVERIFY(strip.save(path("strip.bmp")));
        form().SwitchCurrentImage();
        form().document().DepthFileName = path("depth.bkp");
        QVERIFY(form().SaveDepthMap());
        QCOMPARE(make3dFiles(path("strip.bmp"), path("depth.bkp"), path("batch.bmp")), QString());

        form().SbMake3DPClick();
        QVERIFY(!part<QAction>(form(), "V3DPicture")->isEnabled());
        QSignalSpy finished(form().outputWindow(), &TfmOutput::renderingFinished);
        QVERIFY(finished.wait(10000));
        QVERIFY(part<QAction>(form(), "V3DPicture")->isEnabled());
        QVERIFY(form().outputWindow()->isVisible());
        QCOMPARE(form().outputWindow()->windowTitle(), QStringLiteral("3D-Picture  - []"));
        DL_COMPARE_IMAGES(form().outputWindow()->picture().image(),
                          QImage(path("batch.bmp")).convertToFormat(QImage::Format_RGB32));
    }

    // An untitled project with unnamed images asks for the strip's, the depth map's and the
    // project's names in that order, and nothing more.
    void saveUntitledProject()
    {
        m_prompts.files = {path("strip.bmp"), path("depth.bkp"), path("art.3dp")};
        form().sb3DsaveClick();
        QCOMPARE(m_prompts.log, QStringList({PatternSave, DepthSave, ProjectSave}));
        QCOMPARE(form().document().ProjectFileName, path("art.3dp"));
        const TMy3DFile project(path("art.3dp"));
        QCOMPARE(project.readString("Files", "LayFile"), path("strip.bmp"));
        QCOMPARE(project.readString("Files", "BackFile"), path("depth.bkp"));
        QCOMPARE(project.readString("Files", "TargetFile"), QString());
        QVERIFY(!form().drawingState().DepthMapActive);
        QCOMPARE(form().windowTitle(), QStringLiteral("3D-Picture  [art.3dp] -- lay(strip.bmp)"));
    }

    // Keys are written one by one into the existing file; what else it holds stays.
    void saveKeepsTheRestOfTheFile()
    {
        nameImages();
        const QByteArray before = "; made by hand\r\n[Other]\r\nKey=1\r\n[Files]\r\n"
                                  "LayFile=old.bmp\r\n; note\r\nTargetFile=C:\\art\\cube3d.bmp\r\n";
        QVERIFY(writeFile(path("p.3dp"), before));
        form().document().ProjectFileName = path("p.3dp");
        form().document().TargetFileName = path("out.bmp");
        QVERIFY(form().SaveProject());
        const QByteArray after = readFile(path("p.3dp"));
        QVERIFY(after.startsWith("; made by hand\r\n[Other]\r\nKey=1\r\n[Files]\r\n"));
        QVERIFY(after.contains("; note\r\n"));
        const TMy3DFile project(path("p.3dp"));
        QCOMPARE(project.readString("Files", "LayFile"), path("leaves.bmp"));
        QCOMPARE(project.readString("Files", "BackFile"), path("cube.bkp"));
        QCOMPARE(project.readString("Files", "TargetFile"), path("out.bmp"));
        QCOMPARE(project.readString("Other", "Key"), QStringLiteral("1"));
    }

    void failedImageSaveWritesNoKey()
    {
        form().document().PatternFileName = m_dir.filePath(QStringLiteral("missing/s.bmp"));
        form().document().ProjectFileName = path("unsaved.3dp");
        QVERIFY(!form().SaveProject());
        QVERIFY(!QFile::exists(path("unsaved.3dp")));
        QCOMPARE(m_prompts.log.filter(QStringLiteral("Error: ")).size(), 1);
    }

    // New 3D picture answered Yes, then No for both images: the images and their names stay,
    // the project becomes untitled.
    void newProjectDeclinedForBothImages()
    {
        nameImages();
        form().document().ProjectFileName = path("p.3dp");
        form().document().TargetFileName = path("t.bmp");
        form().patternStrip().setPixel(0, 0, colorref::Black);
        QVERIFY(form().SaveProject());
        m_prompts.answers = {true, false, false};
        form().sbNew3DClick();
        QCOMPARE(m_prompts.log.size(), 3);
        QVERIFY(form().document().ProjectFileName.isEmpty());
        QCOMPARE(form().document().PatternFileName, path("leaves.bmp"));
        QCOMPARE(form().document().DepthFileName, path("cube.bkp"));
        QCOMPARE(form().document().TargetFileName, path("t.bmp"));
        QCOMPARE(form().patternStrip().image().pixel(0, 0), qRgb(0, 0, 0));
        QCOMPARE(form().windowTitle(), QStringLiteral("3D-Picture  [UNTITLED] -- lay(leaves.bmp)"));
    }

    void openProject_data()
    {
        // File names in the test folder; "" is an empty value. Expected names after the open;
        // `unreadable` lists the files the one error message must name.
        QTest::addColumn<QString>("layFile");
        QTest::addColumn<QString>("backFile");
        QTest::addColumn<bool>("targetExists");
        QTest::addColumn<QString>("patternName");
        QTest::addColumn<QString>("depthName");
        QTest::addColumn<QStringList>("unreadable");

        const QStringList none;
        QTest::newRow("all there") << "leaves.bmp"
                                   << "cube.bkp" << true << "leaves.bmp"
                                   << "cube.bkp" << none;
        QTest::newRow("target missing") << "leaves.bmp"
                                        << "cube.bkp" << false << "leaves.bmp"
                                        << "cube.bkp" << none;
        QTest::newRow("depth map a bitmap") << "leaves.bmp"
                                            << "leaves.bmp" << false << "leaves.bmp"
                                            << "leaves.BKP" << none;
        QTest::newRow("no depth map named") << "leaves.bmp"
                                            << "" << false << "leaves.bmp"
                                            << "" << none;
        QTest::newRow("depth map missing") << "leaves.bmp"
                                           << "gone.bkp" << false << "leaves.bmp"
                                           << "" << QStringList{"gone.bkp"};
        QTest::newRow("depth map not a picture") << "leaves.bmp"
                                                 << "p.3dp" << false << "leaves.bmp"
                                                 << "" << QStringList{"p.3dp"};
        QTest::newRow("names beside the project") << "./leaves.bmp"
                                                  << "cube.bkp" << true << "leaves.bmp"
                                                  << "cube.bkp" << none;
        QTest::newRow("both missing") << "gone.bmp"
                                      << "gone.bkp" << false << ""
                                      << "" << QStringList{"gone.bmp", "gone.bkp"};
    }

    // Open loads both images and the target and keeps the active image. A target that cannot
    // be read is forgotten without a word; an image that cannot be read is made new under no
    // name, and one message names every such file.
    void openProject()
    {
        QFETCH(QString, layFile);
        QFETCH(QString, backFile);
        QFETCH(bool, targetExists);
        QFETCH(QString, patternName);
        QFETCH(QString, depthName);
        QFETCH(QStringList, unreadable);

        form().patternStrip().setSize(30, 40);
        form().depthMap().setSize(50, 40);
        nameImages();
        if (targetExists) {
            QImage target(80, 40, QImage::Format_RGB32);
            target.fill(Qt::red);
            QVERIFY(target.save(path("t.bmp")));
        } else {
            QFile::remove(path("t.bmp"));
        }
        // Written as it stands when relative ("./name"), otherwise as a full path.
        auto value = [this](const QString& name) {
            return name.isEmpty() || name.startsWith("./") ? name.toUtf8()
                                                           : m_dir.filePath(name).toUtf8();
        };
        QVERIFY(writeFile(
            path("p.3dp"),
            "[Files]\nLayFile=" + value(layFile) + "\nBackFile=" + value(backFile) +
                "\nTargetFile=" + value(layFile.startsWith("./") ? "./t.bmp" : "t.bmp") + "\n"));
        form().patternStrip().setSize(5, 5);
        form().depthMap().setSize(5, 5);
        form().patternStrip().setPixel(0, 0, colorref::Black);
        form().depthMap().setPixel(0, 0, colorref::Black);
        form().SwitchCurrentImage();

        // The marked pixels are unsaved work, which the user lets go.
        m_prompts.saveChoices = {Prompts::SaveChoice::Discard};
        m_prompts.files = {path("p.3dp")};
        form().sb3DOpenClick();
        QCOMPARE(m_prompts.dialogs.last().filter,
                 QStringLiteral("3D-Picture File[*.3dp]|*.3dp|All Files[*.*]|*.*"));
        QVERIFY(form().drawingState().DepthMapActive);
        const DocumentState& document = form().document();
        QCOMPARE(document.PatternFileName,
                 patternName.isEmpty() ? "" : path(qPrintable(patternName)));
        QCOMPARE(document.DepthFileName, depthName.isEmpty() ? "" : path(qPrintable(depthName)));
        // An image that was not loaded keeps its size and takes its new colour.
        const RasterImage& strip = form().patternStrip();
        const RasterImage& depth = form().depthMap();
        QCOMPARE(strip.width(), patternName.isEmpty() ? 5 : 30);
        QCOMPARE(depth.width(), depthName.isEmpty() ? 5 : depthName.endsWith(".BKP") ? 30 : 50);
        if (patternName.isEmpty()) {
            QCOMPARE(strip.image().pixel(0, 0), qRgb(255, 255, 255));
        }
        if (depthName.isEmpty()) {
            QCOMPARE(depth.image().pixel(0, 0), qRgb(58, 58, 58));
        }
        QCOMPARE(form().windowTitle(),
                 QStringLiteral("3D-Picture  [p.3dp] -- Back(%1)").arg(depthName));
        QCOMPARE(part<Panel>(form(), "pnStuSize")->text().right(4),
                 QStringLiteral("%1").arg(depth.height(), 4));
        QCOMPARE(part<QAction>(form(), "V3DPicture")->isEnabled(), targetExists);
        QCOMPARE(document.TargetFileName, targetExists ? path("t.bmp") : QString());
        if (targetExists) {
            QCOMPARE(form().outputWindow()->picture().width(), 80);
        }
        const QStringList errors = m_prompts.log.filter(QStringLiteral("Error"));
        QCOMPARE(errors.size(), unreadable.isEmpty() ? 0 : 1);
        for (const QString& name : unreadable) {
            QVERIFY2(errors.first().contains(path(qPrintable(name))), qPrintable(errors.first()));
        }
    }

    // A project file that cannot be read, or a picture chosen as one, leaves the open project as
    // it was, by either way in.
    void openUnreadableProject_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("fromHost");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "gone.3dp" << false << "no such file";
        QTest::newRow("folder") << "folder.3dp" << false << "is a directory";
        QTest::newRow("missing, from the host") << "gone.3dp" << true << "no such file";
        QTest::newRow("a picture") << "leaves.bmp" << false << "binary data";
    }

    void openUnreadableProject()
    {
        QFETCH(QString, name);
        QFETCH(bool, fromHost);
        QFETCH(QString, reason);
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("folder.3dp")));
        nameImages();
        form().document().ProjectFileName = path("old.3dp");
        form().depthMap().setPixel(0, 0, colorref::Black);
        const QString fileName = path(qPrintable(name));
        if (fromHost) {
            form().DdeServerConv1ExecuteMacro(QStringLiteral("[L]") + fileName);
        } else {
            m_prompts.files = {fileName};
            form().sb3DOpenClick();
        }
        const QStringList errors = m_prompts.log.filter(QStringLiteral("Error"));
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().contains(fileName) && errors.first().contains(reason),
                 qPrintable(errors.first()));
        QCOMPARE(form().document().ProjectFileName, path("old.3dp"));
        QCOMPARE(form().document().DepthFileName, path("cube.bkp"));
        QCOMPARE(form().depthMap().image().pixel(0, 0), qRgb(0, 0, 0));
    }

    // Projects the host names while a dialog is open wait for it to close; then those that
    // cannot be opened come in one box naming each (up to a limit), and a good one opens.
    void hostProjectsWhileADialogIsOpen_data()
    {
        QTest::addColumn<int>("bad");
        QTest::addColumn<bool>("good");
        QTest::newRow("one bad") << 1 << false;
        QTest::newRow("thirty bad") << 30 << false;
        QTest::newRow("twelve bad and a project") << 12 << true;
    }

    void hostProjectsWhileADialogIsOpen()
    {
        QFETCH(int, bad);
        QFETCH(bool, good);
        nameImages();
        QVERIFY(writeFile(path("good.3dp"), "[Files]\nLayFile=" + path("leaves.bmp").toUtf8() +
                                                "\nBackFile=" + path("cube.bkp").toUtf8() + "\n"));
        const auto gone = [this](int i) {
            return path(qPrintable(QStringLiteral("gone%1.3dp").arg(i)));
        };
        QDialog modal(&form());
        QTimer::singleShot(0, &modal, [&] {
            for (int i = 0; i < bad; ++i) {
                form().DdeServerConv1ExecuteMacro(QStringLiteral("[L]") + gone(i));
            }
            if (good) {
                form().DdeServerConv1ExecuteMacro(QStringLiteral("[L]") + path("good.3dp"));
            }
            modal.reject();
        });
        modal.exec();
        QCOMPARE(m_prompts.log.filter(QStringLiteral("Error")).size(), 0);
        QTRY_COMPARE(m_prompts.log.filter(QStringLiteral("Error")).size(), 1);
        const QString box = m_prompts.log.filter(QStringLiteral("Error")).first();
        for (int i = 0; i < bad; ++i) {
            QCOMPARE(box.contains(gone(i) + ':'), i < startup::HostErrorsShown);
        }
        QCOMPARE(box.contains(QStringLiteral("and 10 more")), bad == 30);
        QCOMPARE(form().document().ProjectFileName, good ? path("good.3dp") : QString());
        QTest::qWait(400);
        QCOMPARE(m_prompts.log.filter(QStringLiteral("Error")).size(), 1);
    }

    void saveAsStopsAtTheFirstFailure_data()
    {
        QTest::addColumn<QStringList>("files"); // what the save dialogs answer
        QTest::addColumn<QStringList>("asked");
        const QString bad = QStringLiteral("missing/x");
        QTest::newRow("strip") << QStringList{bad + ".bmp"} << QStringList{PatternSave};
        QTest::newRow("depth map")
            << QStringList{"s.bmp", bad + ".bkp"} << QStringList{PatternSave, DepthSave};
        QTest::newRow("project file") << QStringList{"s.bmp", "d.bkp", bad + ".3dp"}
                                      << QStringList{PatternSave, DepthSave, ProjectSave};
    }

    // One error, no further dialog, and the caption never names a project file not written.
    void saveAsStopsAtTheFirstFailure()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, asked);
        for (const QString& file : files) {
            m_prompts.files.append(m_dir.filePath(file));
        }
        form().sb3DSaveasClick();
        QCOMPARE(m_prompts.log.filter(QStringLiteral("Save: ")), asked);
        QCOMPARE(m_prompts.log.filter(QStringLiteral("Error: ")).size(), 1);
        QVERIFY(form().document().ProjectFileName.isEmpty());
        QVERIFY(form().windowTitle().startsWith(QStringLiteral("3D-Picture  [UNTITLED]")));
        QVERIFY(!form().drawingState().DepthMapActive);
    }
};

DEPTHLOOM_TEST_CLASS(ProjectTest);
#include "ProjectTest.moc"
