#include "WindowFixture.h"
#include "common/ImageCompare.h"
#include "common/ScriptedPrompts.h"
#include "common/TestMain.h"
#include "document/BatchCommands.h"
#include "document/TMy3DFile.h"
#include "output/TfmOutput.h"

#include <QAction>
#include <QFile>
#include <QSignalSpy>

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
        QVERIFY(!form().V3DPicture->isEnabled());
        QSignalSpy finished(form().outputWindow(), &TfmOutput::renderingFinished);
        QVERIFY(finished.wait(10000));
        QVERIFY(form().V3DPicture->isEnabled());
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
        QTest::addColumn<bool>("targetExists");
        QTest::newRow("target bitmap missing") << false;
        QTest::newRow("target bitmap there") << true;
    }

    // Open loads both images and the target, keeps the active image, and forgets a target that
    // cannot be read without a word.
    void openProject()
    {
        QFETCH(bool, targetExists);
        form().patternStrip().setSize(30, 40);
        form().depthMap().setSize(50, 40);
        nameImages();
        if (targetExists) {
            QImage target(80, 40, QImage::Format_RGB32);
            target.fill(Qt::red);
            QVERIFY(target.save(path("t.bmp")));
        }
        QVERIFY(writeFile(path("p.3dp"), "[Files]\nLayFile=" + path("leaves.bmp").toUtf8() +
                                             "\nBackFile=" + path("cube.bkp").toUtf8() +
                                             "\nTargetFile=" + path("t.bmp").toUtf8() + "\n"));
        form().patternStrip().setSize(5, 5);
        form().depthMap().setSize(5, 5);
        form().SwitchCurrentImage();

        m_prompts.files = {path("p.3dp")};
        form().sb3DOpenClick();
        QCOMPARE(m_prompts.dialogs.last().filter,
                 QStringLiteral("3D-Picture File[*.3dp]|*.3dp|All Files[*.*]|*.*"));
        QVERIFY(form().drawingState().DepthMapActive);
        QCOMPARE(form().patternStrip().width(), 30);
        QCOMPARE(form().depthMap().width(), 50);
        QCOMPARE(form().windowTitle(), QStringLiteral("3D-Picture  [p.3dp] -- Back(cube.bkp)"));
        QCOMPARE(form().V3DPicture->isEnabled(), targetExists);
        QCOMPARE(form().document().TargetFileName, targetExists ? path("t.bmp") : QString());
        if (targetExists) {
            QCOMPARE(form().outputWindow()->picture().width(), 80);
        }
        QVERIFY(m_prompts.log.filter(QStringLiteral("Error")).isEmpty());
    }
};

DEPTHLOOM_TEST_CLASS(ProjectTest);
#include "ProjectTest.moc"
