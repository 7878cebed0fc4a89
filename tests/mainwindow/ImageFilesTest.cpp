#include "WindowFixture.h"
#include "common/FindPart.h"
#include "common/ScriptedPrompts.h"
#include "common/TestMain.h"
#include "document/THeightMapFile.h"
#include "widgets/Shape.h"

#include <QFile>

namespace {

const QString YesNoNew = QStringLiteral("YesNo: Are you sure to draw new picture?");

} // namespace

class ImageFilesTest : public QObject, public WindowFixture
{
    Q_OBJECT

private:
    void activateDepthMap() { form().SwitchCurrentImage(); }

private slots:
    void init() { openWindow(); }
    void cleanup() { closeWindow(); }

    void caption_data()
    {
        QTest::addColumn<QString>("project");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("depth");
        QTest::addColumn<bool>("depthActive");
        QTest::addColumn<QString>("caption");
        QTest::newRow("untitled, depth map") << ""
                                             << "/a/leaves.bmp"
                                             << "" << true << "3D-Picture  [UNTITLED] -- Back()";
        QTest::newRow("project, strip")
            << "/w/cube.3dp"
            << "/a/leaves.bmp"
            << "/a/cube.BKP" << false << "3D-Picture  [cube.3dp] -- lay(leaves.bmp)";
        QTest::newRow("project, depth map")
            << "/w/cube.3dp"
            << ""
            << "/a/cube.BKP" << true << "3D-Picture  [cube.3dp] -- Back(cube.BKP)";
    }

    void caption()
    {
        QFETCH(QString, project);
        QFETCH(QString, pattern);
        QFETCH(QString, depth);
        QFETCH(bool, depthActive);
        form().document().ProjectFileName = project;
        form().document().PatternFileName = pattern;
        form().document().DepthFileName = depth;
        if (depthActive) {
            activateDepthMap();
        }
        form().UpdateCaption();
        QTEST(form().windowTitle(), "caption");
    }

    // New asks first; it keeps the size and fills with the image's own new colour.
    void newImage()
    {
        form().document().PatternFileName = path("strip.bmp");
        form().patternStrip().setPixel(3, 3, colorref::Black);
        QVERIFY(form().sbSaveClick());
        m_prompts.answers = {false, true};
        form().sbNewClick();
        QCOMPARE(form().document().PatternFileName, path("strip.bmp"));
        QCOMPARE(form().patternStrip().image().pixel(3, 3), qRgb(0, 0, 0));
        form().sbNewClick();
        QVERIFY(form().document().PatternFileName.isEmpty());
        QCOMPARE(form().patternStrip().image().pixel(3, 3), qRgb(255, 255, 255));
        QCOMPARE(form().windowTitle(), QStringLiteral("3D-Picture  [UNTITLED] -- lay()"));

        activateDepthMap();
        form().depthMap().setSize(40, 20);
        form().depthMap().setPixel(39, 19, colorref::White);
        form().document().DepthFileName = path("d.bkp");
        QVERIFY(form().sbSaveClick());
        m_prompts.answers = {true};
        form().sbNewClick();
        QCOMPARE(form().depthMap().width(), 40);
        QCOMPARE(form().depthMap().image().pixel(39, 19), qRgb(58, 58, 58));
        QVERIFY(form().document().DepthFileName.isEmpty());
        QCOMPARE(m_prompts.log, QStringList({YesNoNew, YesNoNew, YesNoNew}));
    }

    // A bitmap opened into the depth map turns grey and is named .BKP; Save writes the
    // height-map file beside the bitmap and leaves the bitmap alone.
    void bitmapIntoDepthMap()
    {
        QImage face(3, 2, QImage::Format_RGB32);
        face.fill(qRgb(255, 255, 254));
        face.setPixel(0, 0, qRgb(200, 100, 30));
        QVERIFY(face.save(path("face.bmp")));
        const QByteArray bitmap = readFile(path("face.bmp"));

        activateDepthMap();
        m_prompts.files = {path("face.bmp")};
        form().sbopenClick();
        QCOMPARE(m_prompts.log.first(),
                 QStringLiteral("Chooser: Back ground[*.bkp]|*.bkp|Bitmap Files[*.bmp]|*.bmp|"
                                "All Files[*.*]|*.*"));
        QCOMPARE(m_prompts.chooserPreview, QList<bool>{false});
        QCOMPARE(form().depthMap().width(), 3);
        QCOMPARE(form().depthMap().image().pixel(0, 0), qRgb(110, 110, 110));
        QCOMPARE(form().depthMap().image().pixel(1, 0), qRgb(254, 254, 254));
        QCOMPARE(form().document().DepthFileName, path("face.BKP"));
        QVERIFY(form().windowTitle().endsWith(QStringLiteral(" -- Back(face.BKP)")));
        QCOMPARE(part<Shape>(form(), "Shape3")->size(), QSize(5, 4));
        QCOMPARE(part<Panel>(form(), "pnStuSize")->text(), QStringLiteral(" \u0081    3x   2"));

        QVERIFY(form().sbSaveClick());
        THeightMapFile saved;
        QVERIFY(saved.load(path("face.BKP")));
        QCOMPARE(saved.picture().image().pixel(0, 0), qRgb(110, 110, 110));
        QCOMPARE(readFile(path("face.bmp")), bitmap);
    }

    void saveAndSaveAs()
    {
        // An unnamed strip asks for a name once; after that Save just writes.
        m_prompts.files = {path("strip.bmp")};
        QVERIFY(form().sbSaveClick());
        QCOMPARE(m_prompts.log, QStringList{PatternSave});
        QCOMPARE(m_prompts.dialogs.last().defaultSuffix, QStringLiteral("BMP"));
        QCOMPARE(form().document().PatternFileName, path("strip.bmp"));
        QVERIFY(form().windowTitle().endsWith(QStringLiteral(" -- lay(strip.bmp)")));
        QCOMPARE(QImage(path("strip.bmp")).size(), QSize(120, 300));
        form().patternStrip().setPixel(0, 0, colorref::Black);
        QVERIFY(form().sbSaveClick());
        QCOMPARE(m_prompts.log.size(), 1);
        QCOMPARE(QImage(path("strip.bmp")).pixel(0, 0), qRgb(0, 0, 0));

        // Depth map: .bmp is an export, any other name a height-map file that names the map.
        activateDepthMap();
        m_prompts.files = {path("shape.bmp"), path("shape.dat"), QString()};
        QVERIFY(form().sbSaveAsClick());
        QCOMPARE(QImage(path("shape.bmp")).size(), QSize(300, 300));
        QVERIFY(form().document().DepthFileName.isEmpty());
        QVERIFY(form().windowTitle().endsWith(QStringLiteral(" -- Back()")));
        QVERIFY(form().sbSaveAsClick());
        QVERIFY(THeightMapFile().load(path("shape.dat")));
        QCOMPARE(form().document().DepthFileName, path("shape.dat"));
        QVERIFY(form().sbSaveAsClick()); // cancelled
        QCOMPARE(form().document().DepthFileName, path("shape.dat"));
        QCOMPARE(m_prompts.log.mid(1), QStringList({DepthSave, DepthSave, DepthSave}));

        // Saved under a picture's name, the height-map file still opens into the depth map.
        form().depthMap().setPixel(5, 5, colorref::grey(200));
        m_prompts.files = {path("shape.png"), path("shape.png")};
        QVERIFY(form().sbSaveAsClick());
        form().depthMap().setPixel(5, 5, colorref::grey(100));
        m_prompts.saveChoices = {Prompts::SaveChoice::Discard};
        form().sbopenClick();
        QVERIFY2(m_prompts.log.filter(QStringLiteral("Error")).isEmpty(),
                 qPrintable(m_prompts.log.join('\n')));
        QCOMPARE(form().depthMap().image().pixel(5, 5), qRgb(200, 200, 200));
    }

    void chooserCancelled()
    {
        m_prompts.files = {QString()};
        form().patternStrip().setPixel(0, 0, colorref::Black);
        form().sbopenClick();
        QCOMPARE(m_prompts.log,
                 QStringList{QStringLiteral("Chooser: Bitmap Files[*.bmp]|*.bmp|Back ground[*.bkp]|"
                                            "*.bkp|All Files[*.*]|*.*")});
        QCOMPARE(m_prompts.chooserPreview, QList<bool>{true});
        QCOMPARE(form().patternStrip().image().pixel(0, 0), qRgb(0, 0, 0));
        QVERIFY(form().document().PatternFileName.isEmpty());
    }

    // Files that cannot be read or written are reported by name; the images and their names
    // stay as they were.
    void failuresAreReported()
    {
        QFile corrupt(path("broken.bkp"));
        QVERIFY(corrupt.open(QIODevice::WriteOnly));
        corrupt.write("HM\x10\x00\x10\x00\x05", 7);
        corrupt.close();
        QFile notPicture(path("notes.bmp"));
        QVERIFY(notPicture.open(QIODevice::WriteOnly));
        notPicture.write("not a bitmap");
        notPicture.close();
        const QString missingFolder = m_dir.filePath(QStringLiteral("missing/x.bmp"));

        form().document().PatternFileName = path("strip.bmp");
        m_prompts.files = {path("notes.bmp"), missingFolder};
        form().sbopenClick();
        QCOMPARE(form().document().PatternFileName, path("strip.bmp"));
        QVERIFY(!form().sbSaveAsClick());
        QCOMPARE(form().document().PatternFileName, path("strip.bmp"));

        activateDepthMap();
        form().document().DepthFileName = path("good.bkp");
        m_prompts.files = {path("broken.bkp"), m_dir.filePath(QStringLiteral("missing/d.bkp"))};
        form().sbopenClick();
        QCOMPARE(form().depthMap().width(), 300);
        QCOMPARE(form().depthMap().height(), 300);
        QCOMPARE(form().document().DepthFileName, path("good.bkp"));
        QVERIFY(!form().sbSaveAsClick());
        QCOMPARE(form().document().DepthFileName, path("good.bkp"));

        const QStringList errors = m_prompts.log.filter(QStringLiteral("Error: "));
        QCOMPARE(errors.size(), 4);
        QVERIFY2(errors[0].contains(path("notes.bmp")), qPrintable(errors[0]));
        QVERIFY2(errors[1].contains(missingFolder), qPrintable(errors[1]));
        QVERIFY2(errors[2].contains(path("broken.bkp")), qPrintable(errors[2]));
        QVERIFY2(errors[3].contains(QStringLiteral("missing/d.bkp")), qPrintable(errors[3]));
    }
};

DEPTHLOOM_TEST_CLASS(ImageFilesTest);
#include "ImageFilesTest.moc"
