#include "chooser/TFileOpenDlg.h"

#include "ChooserTestSupport.h"
#include "chooser/ChooserRules.h"
#include "common/ImageCompare.h"
#include "common/TestMain.h"
#include "document/THeightMapFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QMap>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <memory>
#include <utility>

namespace {

const QString AllFilters =
    QStringLiteral("Bitmap Files[*.bmp]|*.bmp|Back ground[*.bkp]|*.bkp|All Files[*.*]|*.*");

RasterImage pattern(int width, int height, int seed)
{
    RasterImage image(width, height);
    for (int y = 0; y < height; ++y) {
        QRgb* row = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            row[x] = qRgb((x * 7 + seed) & 0xFF, (y * 3 + seed) & 0xFF, (x ^ y) & 0xFF);
        }
    }
    return image;
}

RasterImage greys(int width, int height)
{
    RasterImage image(width, height);
    for (int y = 0; y < height; ++y) {
        QRgb* row = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const int grey = 56 + (x + y) % 100;
            row[x] = qRgb(grey, grey, grey);
        }
    }
    return image;
}

} // namespace

class TFileOpenDlgTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void previewTitle_data();
    void previewTitle();
    void viewCheckBox();
    void otherFileHidesPreview();
    void stretchCheck();
    void typedText_data();
    void typedText();
    void invalidTypedText_data();
    void invalidTypedText();
    void showingsEndWithOkOrCancel();
    void earlierNameIsNotOpenedUnseen();
    void unreadableBitmapReported();
    void unreadableHeightMapIgnored();
    void callerFilterStartsOnItsFirstEntry();
    void listsFollowFolderAndActivation();
    void keysNeitherDeleteNorRename_data();
    void keysNeitherDeleteNorRename();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    void writeFile(const QString& name, const QByteArray& bytes);
    void clickFile(const QString& name);

    std::unique_ptr<QTemporaryDir> m_dir;
    QMap<QString, RasterImage> m_pictures;
    ScriptedPrompts m_prompts;
    std::unique_ptr<TFileOpenDlg> m_dialog;
};

void TFileOpenDlgTest::writeFile(const QString& name, const QByteArray& bytes)
{
    QFile file(path(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

void TFileOpenDlgTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir(m_dir->path()).mkpath("sub"));
    m_pictures = {{"tiger.bmp", pattern(120, 300, 1)},
                  {"A.Bmp", pattern(7, 5, 2)},
                  {"a.bmpx", pattern(9, 4, 3)},
                  {"sub/inner.bmp", pattern(3, 3, 4)},
                  {"picture.png", pattern(6, 8, 5)}};
    for (auto it = m_pictures.cbegin(); it != m_pictures.cend(); ++it) {
        QString error;
        QVERIFY2(it.value().save(path(it.key()), &error), qPrintable(error));
    }
    RasterImage halves(2, 1);
    halves.setPixel(0, 0, colorref::rgb(255, 0, 0));
    halves.setPixel(1, 0, colorref::rgb(0, 0, 255));
    QVERIFY(halves.save(path("halves.bmp")));
    m_pictures.insert("halves.bmp", halves);

    m_pictures.insert("depth.bkp", greys(30, 20));
    QVERIFY(THeightMapFile().save(path("depth.bkp"), m_pictures["depth.bkp"]));
    writeFile("notes.txt", "not a picture");
    writeFile("broken.bmp", "BM this is not a bitmap");
    writeFile("broken.bkp", QByteArray("HM\x05\x00\x05\x00\x02\x3a", 8));

    m_prompts.errors.clear();
    m_prompts.hourglassAtError.clear();
    m_dialog = std::make_unique<TFileOpenDlg>(m_prompts);
    m_dialog->setFilter(AllFilters);
    QVERIFY(m_dialog->setFolder(m_dir->path()));
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
}

void TFileOpenDlgTest::cleanup()
{
    m_dialog.reset();
    m_dir.reset();
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
}

void TFileOpenDlgTest::clickFile(const QString& name)
{
    const int row = int(m_dialog->listedFiles().indexOf(name));
    QVERIFY2(row >= 0, qPrintable(name + " is not listed"));
    QListView* list = m_dialog->FileListBox1;
    const QPoint centre = list->visualRect(list->model()->index(row, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
}

void TFileOpenDlgTest::previewTitle_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("title");
    QTest::newRow("bitmap") << "tiger.bmp"
                            << "*.bmp"
                            << "Open Bitmap File - tiger.bmp (120 x 300)";
    QTest::newRow("extension case ignored") << "A.Bmp"
                                            << "*.bmp"
                                            << "Open Bitmap File - A.Bmp (7 x 5)";
    QTest::newRow("first four characters of the extension") << "a.bmpx"
                                                            << "*.*"
                                                            << "Open Bitmap File - a.bmpx (9 x 4)";
    QTest::newRow("any picture Qt reads") << "picture.png"
                                          << "*.*"
                                          << "Open Bitmap File - picture.png (6 x 8)";
    QTest::newRow("height map") << "depth.bkp"
                                << "*.bkp"
                                << "Open Bitmap File - depth.bkp (30 x 20)";
}

void TFileOpenDlgTest::previewTitle()
{
    QFETCH(QString, name);
    QFETCH(QString, mask);
    QFETCH(QString, title);
    m_dialog->setMask(mask);
    clickFile(name);
    QCOMPARE(m_dialog->windowTitle(), title);
    QVERIFY(m_dialog->previewShown());
    DL_COMPARE_IMAGES(m_dialog->previewPicture().image(), m_pictures[name].image());
    QCOMPARE(m_dialog->FileEdit->currentText(), path(name));
    QCOMPARE(m_prompts.errors, QStringList{});
}

void TFileOpenDlgTest::viewCheckBox()
{
    m_dialog->setViewChecked(false);
    QVERIFY(m_dialog->selectFile("tiger.bmp"));
    QCOMPARE(m_dialog->FileEdit->currentText(), path("tiger.bmp"));
    QVERIFY(m_dialog->previewPicture().isEmpty());
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Open Bitmap File"));

    m_dialog->cbView->click();
    QCOMPARE(m_dialog->previewPicture().width(), 120);
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Open Bitmap File - tiger.bmp (120 x 300)"));

    m_dialog->cbView->click();
    QVERIFY(m_dialog->previewPicture().isEmpty());
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Open Bitmap File - tiger.bmp (120 x 300)"));
}

void TFileOpenDlgTest::otherFileHidesPreview()
{
    m_dialog->setMask("*.*");
    clickFile("tiger.bmp");
    clickFile("notes.txt");
    QVERIFY(!m_dialog->previewShown());
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Open Bitmap File - tiger.bmp (120 x 300)"));
    QCOMPARE(m_dialog->FileEdit->currentText(), path("notes.txt"));
    clickFile("A.Bmp");
    QVERIFY(m_dialog->previewShown());
}

void TFileOpenDlgTest::stretchCheck()
{
    clickFile("halves.bmp");
    const QImage plain = m_dialog->Image1->grab().toImage();
    QCOMPARE(plain.size(), QSize(192, 198));
    QCOMPARE(plain.pixel(0, 0), qRgb(255, 0, 0));
    QCOMPARE(plain.pixel(1, 0), qRgb(0, 0, 255));
    QVERIFY(plain.pixel(150, 100) != qRgb(0, 0, 255));

    m_dialog->StretchCheck->click();
    const QImage stretched = m_dialog->Image1->grab().toImage();
    QCOMPARE(stretched.pixel(20, 197), qRgb(255, 0, 0));
    QCOMPARE(stretched.pixel(150, 100), qRgb(0, 0, 255));
}

void TFileOpenDlgTest::typedText_data()
{
    const QStringList pictures{"A.Bmp", "broken.bmp", "halves.bmp", "picture.png", "tiger.bmp"};
    QTest::addColumn<QString>("text"); // "%1" stands for the folder
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("mask") << "*.bkp"
                          << ""
                          << "*.bkp" << QStringList{"broken.bkp", "depth.bkp"} << "";
    QTest::newRow("folder and mask") << "sub/*.*"
                                     << "sub"
                                     << "*.*" << QStringList{"inner.bmp"} << "";
    QTest::newRow("folder") << "sub"
                            << "sub"
                            << "*.bmp" << QStringList{"inner.bmp"} << "";
    QTest::newRow("name chooses") << "tiger.bmp"
                                  << ""
                                  << "*.bmp"
                                  << QStringList{"A.Bmp", "broken.bmp", "halves.bmp", "tiger.bmp"}
                                  << "tiger.bmp";
    QTest::newRow("hidden picture turns the filter")
        << "%1/picture.png"
        << "" << chooser::picturesEntry().mask << pictures << "picture.png";
}

void TFileOpenDlgTest::typedText()
{
    QFETCH(QString, text);
    QFETCH(QString, folder);
    QFETCH(QString, mask);
    QFETCH(QStringList, listed);
    QFETCH(QString, chosen);
    text.replace("%1", m_dir->path());
    QLineEdit* edit = m_dialog->FileEdit->lineEdit();
    edit->clear();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(m_dialog->isVisible(), chosen.isEmpty());
    QCOMPARE(m_dialog->ChooserFileName(), chosen.isEmpty() ? QString() : path(chosen));
    QCOMPARE(m_dialog->folder(), folder.isEmpty() ? m_dir->path() : path(folder));
    QCOMPARE(m_dialog->mask(), mask);
    QCOMPARE(m_dialog->FilterComboBox1->currentData().toString(),
             chosen.endsWith(".png") ? mask : QString("*.bmp"));
    QCOMPARE(m_dialog->listedFiles(), listed);
    QCOMPARE(m_dialog->FileEdit->count(), 1);
    QCOMPARE(m_dialog->FileEdit->itemText(0), text);
    QCOMPARE(m_prompts.errors, QStringList{});
}

void TFileOpenDlgTest::invalidTypedText_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("missing file") << "nothere.bmp";
    QTest::newRow("missing folder") << "gone/*.bmp";
    QTest::newRow("file the mask hides") << "notes.txt";
}

void TFileOpenDlgTest::invalidTypedText()
{
    QFETCH(QString, text);
    m_dialog->FileEdit->setEditText(text);
    QTest::keyPress(m_dialog->FileEdit->lineEdit(), Qt::Key_Enter);
    QCOMPARE(m_prompts.errors, QStringList{"Invalid file name - " + text});
    // The release of an Enter that closed the error box arrives here afterwards.
    QTest::keyRelease(m_dialog->FileEdit->lineEdit(), Qt::Key_Enter);
    QCOMPARE(m_prompts.errors.size(), 1);
    QCOMPARE(m_dialog->folder(), m_dir->path());
    QCOMPARE(m_dialog->mask(), QStringLiteral("*.bmp"));
    QVERIFY(m_dialog->isVisible());
}

// A bitmap chosen for the pattern strip leaves its path in the name field. When the depth map's
// Open shows the chooser next, listing height maps, OK must not open that bitmap unseen.
void TFileOpenDlgTest::earlierNameIsNotOpenedUnseen()
{
    TFileOpenDlg& dialog = *m_dialog;
    dialog.hide();
    {
        ModalDriver driver([&](QWidget*) {
            clickFile("tiger.bmp");
            dialog.BitBtn1->click();
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    }
    dialog.setFilter("Back ground[*.bkp]|*.bkp|Bitmap Files[*.bmp]|*.bmp|All Files[*.*]|*.*");
    ModalDriver driver([&](QWidget*) {
        QCOMPARE(dialog.FileEdit->currentText(), path("tiger.bmp"));
        dialog.BitBtn1->click();
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.mask(), QStringLiteral("*.bkp"));
        dialog.BitBtn2->click();
    });
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QCOMPARE(dialog.ChooserFileName(), QString());
}

void TFileOpenDlgTest::showingsEndWithOkOrCancel()
{
    TFileOpenDlg& dialog = *m_dialog;
    dialog.hide();
    {
        ModalDriver driver([&](QWidget* modal) {
            QVERIFY(modal == &dialog);
            dialog.BitBtn1->click();
            QVERIFY2(dialog.isVisible(), "OK with nothing selected closed the window");
            QVERIFY(dialog.ChooserFileName().isEmpty());
            QVERIFY(dialog.selectFile("tiger.bmp"));
            dialog.BitBtn1->click();
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(dialog.ChooserFileName(), path("tiger.bmp"));
    }
    {
        ModalDriver driver([&](QWidget*) { dialog.BitBtn2->click(); });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QCOMPARE(dialog.ChooserFileName(), QString());
        // What the last showing left carries over.
        QCOMPARE(dialog.selectedFile(), path("tiger.bmp"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Open Bitmap File - tiger.bmp (120 x 300)"));
    }
    {
        ModalDriver driver([&](QWidget*) { QTest::keyClick(&dialog, Qt::Key_Escape); });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QCOMPARE(dialog.ChooserFileName(), QString());
    }
    {
        ModalDriver driver([&](QWidget*) {
            const int row = int(dialog.listedFiles().indexOf("A.Bmp"));
            QListView* list = dialog.FileListBox1;
            const QPoint centre = list->visualRect(list->model()->index(row, 0)).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(dialog.ChooserFileName(), path("A.Bmp"));
    }
    {
        ModalDriver driver([&](QWidget*) { dialog.close(); });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QCOMPARE(dialog.ChooserFileName(), QString());
    }
}

void TFileOpenDlgTest::unreadableBitmapReported()
{
    clickFile("tiger.bmp");
    clickFile("broken.bmp");
    QCOMPARE(m_prompts.errors.size(), 1);
    QVERIFY2(m_prompts.errors[0].contains(QDir::toNativeSeparators(path("broken.bmp"))),
             qPrintable(m_prompts.errors[0]));
    QCOMPARE(m_prompts.hourglassAtError, QList<bool>{false});
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Open Bitmap File - tiger.bmp (120 x 300)"));
    QVERIFY(m_dialog->previewShown());
    DL_COMPARE_IMAGES(m_dialog->previewPicture().image(), m_pictures["tiger.bmp"].image());

    // A click on the selected file previews it again; the press that selects does it once.
    clickFile("broken.bmp");
    QCOMPARE(m_prompts.errors.size(), 2);

    m_dialog->setMask("*.*");
    clickFile("notes.txt");
    clickFile("broken.bmp");
    QCOMPARE(m_prompts.errors.size(), 3);
    QVERIFY(!m_dialog->previewShown());
}

void TFileOpenDlgTest::unreadableHeightMapIgnored()
{
    m_dialog->setMask("*.bkp");
    clickFile("depth.bkp");
    clickFile("broken.bkp");
    QCOMPARE(m_prompts.errors, QStringList{});
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Open Bitmap File - depth.bkp (30 x 20)"));
    QVERIFY(m_dialog->previewShown());
    DL_COMPARE_IMAGES(m_dialog->previewPicture().image(), m_pictures["depth.bkp"].image());
}

void TFileOpenDlgTest::callerFilterStartsOnItsFirstEntry()
{
    m_dialog->setFilter("Back ground[*.bkp]|*.bkp|Bitmap Files[*.bmp]|*.bmp");
    QCOMPARE(m_dialog->mask(), QStringLiteral("*.bkp"));
    QCOMPARE(m_dialog->FilterComboBox1->currentText(), QStringLiteral("Back ground[*.bkp]"));

    m_dialog->FilterComboBox1->setCurrentIndex(1);
    QCOMPARE(m_dialog->mask(), QStringLiteral("*.bmp"));
    m_dialog->setFilter("Back ground[*.bkp]|*.bkp|Bitmap Files[*.bmp]|*.bmp");
    QCOMPARE(m_dialog->mask(), QStringLiteral("*.bkp"));
}

void TFileOpenDlgTest::listsFollowFolderAndActivation()
{
    QTreeView* folders = m_dialog->DirectoryListBox1;
    const QPersistentModelIndex sub =
        static_cast<QFileSystemModel*>(folders->model())->index(path("sub"));
    // The folder model reads and sorts in the background: wait until the row stays put.
    QRect rect;
    QTRY_VERIFY([&] {
        const QRect previous = std::exchange(rect, folders->visualRect(sub));
        return !rect.isEmpty() && rect == previous;
    }());
    QVERIFY2(folders->viewport()->rect().contains(rect), "the current folder's folders are hidden");
    QTest::mouseClick(folders->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(m_dialog->folder(), path("sub"));
    QCOMPARE(m_dialog->listedFiles(), QStringList{"inner.bmp"});

    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QVERIFY(pattern(2, 2, 6).save(path("sub/later.bmp")));
    m_dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));
    QCOMPARE(m_dialog->listedFiles(), (QStringList{"inner.bmp", "later.bmp"}));
}

void TFileOpenDlgTest::keysNeitherDeleteNorRename_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Delete") << int(Qt::Key_Delete);
    QTest::newRow("F2") << int(Qt::Key_F2);
}

// The folder list has no way to delete or rename a folder (the file list holds names only).
void TFileOpenDlgTest::keysNeitherDeleteNorRename()
{
    QFETCH(int, key);
    QTreeView* folders = m_dialog->DirectoryListBox1;
    const QModelIndex sub = static_cast<QFileSystemModel*>(folders->model())->index(path("sub"));
    QVERIFY(sub.isValid());
    folders->setCurrentIndex(sub);
    QTest::keyClick(folders, Qt::Key(key));
    if (auto* editor = folders->viewport()->findChild<QLineEdit*>()) {
        editor->setText(QStringLiteral("renamed"));
        // The dialog takes Return for itself.
        emit folders->itemDelegate()->commitData(editor);
    }
    QVERIFY(QFile::exists(path("sub/inner.bmp")));
    QVERIFY(!QFile::exists(path("renamed")));
}

DEPTHLOOM_TEST_CLASS(TFileOpenDlgTest);
#include "TFileOpenDlgTest.moc"
