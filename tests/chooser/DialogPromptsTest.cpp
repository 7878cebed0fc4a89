#include "mainwindow/DialogPrompts.h"

#include "ChooserTestSupport.h"
#include "chooser/TFileOpenDlg.h"
#include "common/TestMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QAbstractItemView>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class DialogPromptsTest : public QObject
{
    Q_OBJECT

private slots:
    void messageBoxes_data();
    void messageBoxes();
    void fileDialogs_data();
    void fileDialogs();
    void fileDialogsKeepFiles_data();
    void fileDialogsKeepFiles();
    void oneBitmapChooserForEveryCall();
    void dialogsOverTheModalWindow_data();
    void dialogsOverTheModalWindow();
};

void DialogPromptsTest::messageBoxes_data()
{
    QTest::addColumn<int>("kind"); // 0 Yes/No, 1 OK/Cancel, 2 error
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("press");
    QTest::addColumn<bool>("answer");
    const int yesNo = QMessageBox::Yes | QMessageBox::No;
    const int okCancel = QMessageBox::Ok | QMessageBox::Cancel;
    QTest::newRow("yes") << 0 << int(QMessageBox::Warning) << yesNo << int(QMessageBox::Yes)
                         << true;
    QTest::newRow("no") << 0 << int(QMessageBox::Warning) << yesNo << int(QMessageBox::No) << false;
    QTest::newRow("ok") << 1 << int(QMessageBox::Warning) << okCancel << int(QMessageBox::Ok)
                        << true;
    QTest::newRow("cancel") << 1 << int(QMessageBox::Warning) << okCancel
                            << int(QMessageBox::Cancel) << false;
    QTest::newRow("error") << 2 << int(QMessageBox::Critical) << int(QMessageBox::Ok)
                           << int(QMessageBox::Ok) << false;
}

void DialogPromptsTest::messageBoxes()
{
    QFETCH(int, kind);
    QFETCH(int, icon);
    QFETCH(int, buttons);
    QFETCH(int, press);
    QFETCH(bool, answer);
    DialogPrompts prompts(nullptr);
    const QString text = QStringLiteral("Are you sure to quit?");
    ModalDriver driver([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        QCOMPARE(box->text(), text);
        QCOMPARE(int(box->icon()), icon);
        QCOMPARE(int(box->standardButtons()), buttons);
        box->button(QMessageBox::StandardButton(press))->click();
    });
    switch (kind) {
    case 0:
        QCOMPARE(prompts.askYesNo(text), answer);
        break;
    case 1:
        QCOMPARE(prompts.askOkCancel(text), answer);
        break;
    default:
        prompts.showError(text);
        break;
    }
}

void DialogPromptsTest::fileDialogs_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("startText");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("filterShown");
    QTest::addColumn<QString>("result");
    QTest::newRow("suffix added in lower case") << true << "*.bmp"
                                                << "picture"
                                                << "Bitmap Files[*.bmp] (*.bmp)"
                                                << "picture.bmp";
    QTest::newRow("typed extension kept") << true << "*.bmp"
                                          << "picture.PNG"
                                          << "Bitmap Files[*.bmp] (*.bmp)"
                                          << "picture.PNG";
    QTest::newRow("start mask picks the filter") << true << "*.bkp"
                                                 << "depth"
                                                 << "Back ground[*.bkp] (*.bkp)"
                                                 << "depth.bmp";
    QTest::newRow("start path preselected") << false << "tiger.bmp"
                                            << ""
                                            << "Bitmap Files[*.bmp] (*.bmp)"
                                            << "tiger.bmp";
}

void DialogPromptsTest::fileDialogs()
{
    QFETCH(bool, save);
    QFETCH(QString, startText);
    QFETCH(QString, typed);
    QFETCH(QString, filterShown);
    QFETCH(QString, result);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile existing(dir.filePath("tiger.bmp"));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.close();

    DialogPrompts prompts(nullptr);
    Prompts::FileDialog setup;
    setup.fileName =
        startText.startsWith('*') ? dir.path() + '/' + startText : dir.filePath(startText);
    setup.defaultSuffix = QStringLiteral("BMP");
    setup.filter =
        QStringLiteral("Bitmap Files[*.bmp]|*.bmp|Back ground[*.bkp]|*.bkp|All Files[*.*]|*.*");
    ModalDriver driver([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        QVERIFY(dialog);
        QCOMPARE(dialog->selectedNameFilter(), filterShown);
        auto* nameEdit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(nameEdit);
        QVERIFY2(!nameEdit->text().contains('*'), qPrintable(nameEdit->text()));
        if (!typed.isEmpty()) {
            nameEdit->setText(typed);
        }
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept is protected
    });
    const QString chosen = save ? prompts.chooseSaveFile(setup) : prompts.chooseOpenFile(setup);
    QCOMPARE(chosen, dir.filePath(result));
}

void DialogPromptsTest::fileDialogsKeepFiles_data()
{
    QTest::addColumn<int>("dialogKind"); // 0 open, 1 save, 2 one that Qt opens by itself
    QTest::addColumn<QString>("attempt");
    const char* const kinds[] = {"open", "save", "Qt's own"};
    for (int kind = 0; kind < 3; ++kind) {
        for (const char* attempt :
             {"Delete key", "Delete action", "F2", "Rename action", "New Folder"}) {
            QTest::addRow("%s: %s", kinds[kind], attempt) << kind << QString::fromLatin1(attempt);
        }
    }
}

// A folder selected in the list survives every way Qt's dialog has to delete or rename it,
// every question answered Yes; a dialog to save in still makes a new folder.
void DialogPromptsTest::fileDialogsKeepFiles()
{
    QFETCH(int, dialogKind);
    QFETCH(QString, attempt);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString keep = dir.filePath("keep");
    QVERIFY(QDir().mkpath(keep));
    QFile inside(keep + "/inside.txt");
    QVERIFY(inside.open(QIODevice::WriteOnly));
    inside.close();

    DialogPrompts prompts(nullptr);
    QTimer yes;
    QObject::connect(&yes, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            box->button(QMessageBox::Yes)->click();
        }
    });
    yes.start(10);
    const bool saves = dialogKind != 0;
    ModalDriver driver([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        QVERIFY(dialog);
        auto* model = dialog->findChild<QFileSystemModel*>();
        auto* list = dialog->findChild<QAbstractItemView*>(dialog->viewMode() == QFileDialog::List
                                                               ? QStringLiteral("listView")
                                                               : QStringLiteral("treeView"));
        QVERIFY(model && list);
        QTRY_VERIFY(model->index(keep).isValid());
        list->setCurrentIndex(model->index(keep));
        list->selectionModel()->select(model->index(keep), QItemSelectionModel::ClearAndSelect |
                                                               QItemSelectionModel::Rows);
        // Qt's Delete shortcut works in the active window only.
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        // Whatever editor opens gets a new name, committed.
        const auto typeName = [list](const QString& name) {
            if (auto* editor = list->viewport()->findChild<QLineEdit*>()) {
                editor->setText(name);
                QTest::keyClick(editor, Qt::Key_Return);
            }
        };
        const auto trigger = [dialog](const char* action) {
            // As the context menu does before it shows the action.
            if (auto* found = dialog->findChild<QAction*>(QLatin1String(action))) {
                found->setEnabled(true);
                found->trigger();
            }
        };
        if (attempt == "Delete key") {
            QTest::keyClick(list, Qt::Key_Delete);
        } else if (attempt == "Delete action") {
            trigger("qt_delete_action");
        } else if (attempt == "F2") {
            QTest::keyClick(list, Qt::Key_F2);
            typeName(QStringLiteral("renamed"));
        } else if (attempt == "Rename action") {
            trigger("qt_rename_action");
            typeName(QStringLiteral("renamed"));
        } else {
            trigger("qt_new_folder_action");
        }
        QTest::qWait(50);
        dialog->reject();
    });
    if (dialogKind == 2) {
        QFileDialog own(nullptr, QString(), dir.path());
        own.setAcceptMode(QFileDialog::AcceptSave);
        own.exec();
    } else {
        Prompts::FileDialog setup;
        setup.fileName = dir.path() + QStringLiteral("/*.*");
        saves ? prompts.chooseSaveFile(setup) : prompts.chooseOpenFile(setup);
    }
    QVERIFY(QFile::exists(keep + "/inside.txt"));
    QVERIFY(!QFile::exists(dir.filePath("renamed")));
    QCOMPARE(QFile::exists(dir.filePath("New Folder")), attempt == "New Folder" && saves);
}

void DialogPromptsTest::oneBitmapChooserForEveryCall()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile file(dir.filePath("tiger.bmp"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString filter = QStringLiteral("Bitmap Files[*.bmp]|*.bmp|All Files[*.*]|*.*");

    DialogPrompts prompts(nullptr);
    TFileOpenDlg* first = nullptr;
    {
        ModalDriver driver([&](QWidget* modal) {
            first = qobject_cast<TFileOpenDlg*>(modal);
            QVERIFY(first);
            QVERIFY(first->cbView->isChecked());
            QCOMPARE(first->FilterComboBox1->count(), 3); // and the pictures Qt reads
            // Previewing this empty file would report it; View is off for the choice.
            first->cbView->setChecked(false);
            first->FileEdit->setEditText(dir.filePath("tiger.bmp"));
            first->BitBtn1->click();
        });
        QCOMPARE(prompts.runBitmapChooser(filter, true), dir.filePath("tiger.bmp"));
    }
    {
        ModalDriver driver([&](QWidget* modal) {
            QVERIFY(modal == first);
            QVERIFY(!first->cbView->isChecked());
            QCOMPARE(first->folder(), dir.path());
            first->BitBtn2->click();
        });
        QCOMPARE(prompts.runBitmapChooser(filter, false), QString());
    }
    QCOMPARE(prompts.chooser(), first);
}

void DialogPromptsTest::dialogsOverTheModalWindow_data()
{
    QTest::addColumn<int>("kind"); // 0 question, 1 error, 2 file, 3 colour, 4 font
    QTest::addColumn<bool>("underModal");
    const char* const kinds[] = {"question", "error", "file", "colour", "font"};
    for (int kind = 0; kind < 5; ++kind) {
        QTest::addRow("%s over the modal window", kinds[kind]) << kind << true;
        QTest::addRow("%s over the main window", kinds[kind]) << kind << false;
    }
}

// A window manager stacks a dialog over its parent: one asked for while a modal window is up
// must have that window as parent, or it may open hidden under it.
void DialogPromptsTest::dialogsOverTheModalWindow()
{
    QFETCH(int, kind);
    QFETCH(bool, underModal);
    QWidget main;
    DialogPrompts prompts(&main);
    QWidget* parent = nullptr;
    const auto ask = [&] {
        ModalDriver driver([&](QWidget* dialog) {
            parent = dialog->parentWidget();
            static_cast<QDialog*>(dialog)->reject();
        });
        ColorRef color = 0;
        QFont font;
        switch (kind) {
        case 0:
            prompts.askYesNo(QStringLiteral("Are you sure to quit?"));
            break;
        case 1:
            prompts.showError(QStringLiteral("Invalid file name - x"));
            break;
        case 2:
            prompts.chooseOpenFile({});
            break;
        case 3:
            prompts.chooseColor(color);
            break;
        default:
            prompts.chooseFont(font);
            break;
        }
    };
    QDialog modal(&main);
    if (underModal) {
        QTimer::singleShot(0, &modal, [&] {
            ask();
            modal.reject();
        });
        modal.exec();
    } else {
        ask();
    }
    QCOMPARE(parent, underModal ? static_cast<QWidget*>(&modal) : &main);
}

DEPTHLOOM_TEST_CLASS(DialogPromptsTest);
#include "DialogPromptsTest.moc"
