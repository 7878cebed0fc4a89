#pragma once

#include "raster/RasterImage.h"

#include <QDialog>
#include <QStringList>

class Prompts;
class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QFrame;
class QLabel;
class QListView;
class QPushButton;
class QStringListModel;
class QTreeView;

// The chooser's preview: a picture drawn at its own size from the top-left corner (clipped)
// or stretched over the whole widget.
class PreviewImage final : public QWidget
{
    Q_OBJECT

public:
    explicit PreviewImage(QWidget* parent = nullptr);

    const RasterImage& picture() const { return m_picture; }
    void setPicture(const RasterImage& picture);
    void clearPicture();

    bool stretch() const { return m_stretch; }
    void setStretch(bool stretch);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    RasterImage m_picture;
    bool m_stretch = false;
};

// The editor's modal chooser for pictures: drive, folder, file and filter lists, a name field
// with a history, and a preview of bitmaps (any picture format Qt reads) and height-map files
// with the picture's size in the title.
//
// Create it once and show it with exec() for every choice: the folder, the mask, the history,
// both check boxes, the title and the preview carry over from one showing to the next. Before
// each showing the caller sets the filter list and the View check box; afterwards
// ChooserFileName() holds the chosen file's full path, or is empty when the user cancelled.
//
// Errors (a picture that cannot be read, a typed name that names nothing) go through `prompts`,
// which must outlive the dialog.
class TFileOpenDlg final : public QDialog
{
    Q_OBJECT

public:
    explicit TFileOpenDlg(Prompts& prompts, QWidget* parent = nullptr);
    ~TFileOpenDlg() override;

    // "description|mask|description|mask...". The list's entries are followed by one that
    // lists every picture format Qt reads; the list's first entry becomes current and its mask
    // the file list's, whatever was chosen before.
    void setFilter(const QString& filter);
    void setViewChecked(bool checked);

    // The chosen file's full path after OK; empty after Cancel or any other close.
    QString ChooserFileName() const { return m_chooserFileName; }

    int exec() override;

    // The state of the lists.
    QString folder() const { return m_folder; }
    QString mask() const { return m_mask; }
    // The file list's selected file as a full path, or empty.
    QString selectedFile() const;
    QStringList listedFiles() const;
    bool previewShown() const;
    const RasterImage& previewPicture() const;

    // Makes `folder` current in the drive, folder and file lists. False (and nothing changed)
    // when it is not a folder.
    bool setFolder(const QString& folder);
    void setMask(const QString& mask);
    // Selects `name` in the file list; a change of the selection previews it. False when the
    // list does not show `name`.
    bool selectFile(const QString& name);

    // Applies a text as typed into the name field: a folder part becomes the current folder, a
    // last part with '*' or '?' the mask, a plain name selects that file. A file the mask hides
    // is shown by turning to the first filter that lists it ("*.*" excepted). A folder that
    // does not exist, or a name no such filter lists, is reported through the prompts as
    // "Invalid file name - <text>" and gives false; a missing folder changes nothing.
    bool applyFilePath(const QString& text);

    // Handlers, named after the control and the event.
    void FormActivate();
    void FileListBox1Click();
    void FileListBox1DblClick();
    void cbViewClick();
    void StretchCheckClick();
    // Enter in the name field: adds the text to the history and applies it; a text that names
    // a file chooses it, as OK does.
    void FileEditEnter();
    void BitBtn1Click();
    void BitBtn2Click();
    void DriveComboBox1Change();
    void DirectoryListBox1Change();
    void FilterComboBox1Change();

    // Copies the selected file's path into the name field and, when View is checked, shows it:
    // a bitmap (reporting a file it cannot read, with the preview left as it was), a height
    // map (one that does not load leaves the preview as it was, unreported), and for any other
    // file or no selection hides the preview. A shown picture puts its name and size in the
    // title.
    void Preview();

    QLabel* Label1 = nullptr;
    QComboBox* FileEdit = nullptr;
    QTreeView* DirectoryListBox1 = nullptr;
    QComboBox* DriveComboBox1 = nullptr;
    QListView* FileListBox1 = nullptr;
    QComboBox* FilterComboBox1 = nullptr;
    QFrame* Bevel1 = nullptr;
    QFrame* Panel1 = nullptr;
    PreviewImage* Image1 = nullptr;
    QCheckBox* cbView = nullptr;
    QCheckBox* StretchCheck = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;

    // The title that every preview's title starts with.
    const QString CaptionPrefix;

public slots:
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    void connectControls();
    void rereadFiles(bool keepSelection);
    void showFolderInLists();
    void revealFolder();
    void fillDrives();
    void showPreview(const RasterImage& picture, const QString& path);
    bool showFilterListing(const QString& name);
    // Closes with the OK result when a file is selected; otherwise stays open.
    void chooseSelected();

    Prompts& m_prompts;
    QFileSystemModel* m_folderModel = nullptr;
    QStringListModel* m_fileModel = nullptr;
    QString m_chooserFileName;
    QString m_folder;
    QString m_mask = QStringLiteral("*.bmp");
    // Set while the lists are changed from code, so their change signals do not act.
    bool m_syncing = false;
    // A mouse press that changes the file list's selection previews at once; the click that
    // follows must not preview the same file a second time.
    bool m_previewedByPress = false;
    // Whether the folder list still follows the current folder as the folder model fills in.
    bool m_revealFolder = true;
    // Whether the name field holds what the user typed or chose from its history since the
    // window showed. Only such a name may turn the filter to one that lists its file: a name
    // left from an earlier showing (another image's file) must not be opened unseen.
    bool m_typed = false;
};
