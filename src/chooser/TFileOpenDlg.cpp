#include "chooser/TFileOpenDlg.h"

#include "chooser/ChooserRules.h"
#include "document/Prompts.h"
#include "document/THeightMapFile.h"
#include "widgets/WaitCursor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollBar>
#include <QStorageInfo>
#include <QStringListModel>
#include <QStyle>
#include <QTreeView>

#include <algorithm>

namespace {

const QString DesignTitle = QStringLiteral("Open Bitmap File");
const QString DesignFilter =
    QStringLiteral("Bitmap Files[*.bmp]|*.bmp|Back ground[*.bkp]|*.bkp|All Files[*.*]|*.*");

QFont dialogFont(int pixelSize)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    return font;
}

// Whether `path` is `folder` or lies below it; both cleaned and absolute.
bool isInside(const QString& path, const QString& folder)
{
    if (folder == QLatin1String("/")) {
        return path.startsWith(QLatin1Char('/'));
    }
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

// The mounted volume that holds `folder`, as a drive for the drive list; "/" when the volume's
// root is not above the folder as written (a folder reached through a link).
QString driveOf(const QString& folder)
{
    const QStorageInfo storage(folder);
    const QString root = storage.isValid() ? QDir::cleanPath(storage.rootPath()) : QString();
    return !root.isEmpty() && isInside(folder, root) ? root : QStringLiteral("/");
}

} // namespace

PreviewImage::PreviewImage(QWidget* parent) : QWidget(parent) {}

void PreviewImage::setPicture(const RasterImage& picture)
{
    m_picture = picture;
    update();
}

void PreviewImage::clearPicture()
{
    m_picture = RasterImage();
    update();
}

void PreviewImage::setStretch(bool stretch)
{
    m_stretch = stretch;
    update();
}

void PreviewImage::paintEvent(QPaintEvent*)
{
    if (m_picture.isEmpty()) {
        return;
    }
    QPainter painter(this);
    if (m_stretch) {
        painter.drawImage(rect(), m_picture.image());
    } else {
        painter.drawImage(0, 0, m_picture.image());
    }
}

TFileOpenDlg::TFileOpenDlg(Prompts& prompts, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      CaptionPrefix(DesignTitle + QStringLiteral(" - ")), m_prompts(prompts)
{
    setWindowTitle(DesignTitle);
    setFont(dialogFont(11));
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, Qt::black);
    colours.setColor(QPalette::Text, Qt::black);
    setPalette(colours);
    setFixedSize(494, 290);

    createControls();
    m_folder = QDir::cleanPath(QDir::currentPath());
    fillDrives();
    showFolderInLists();
    setFilter(DesignFilter);
    rereadFiles(false);
    connectControls();
}

TFileOpenDlg::~TFileOpenDlg() = default;

void TFileOpenDlg::createControls()
{
    // Creation order is stacking order: the label and the frame lie under the controls that
    // overlap them.
    Label1 = new QLabel(QStringLiteral("File &Name:  "), this);
    Label1->setGeometry(7, 13, 84, 20);
    Label1->setFont(dialogFont(15));

    Bevel1 = new QFrame(this);
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setGeometry(280, 16, 205, 226);

    FileEdit = new QComboBox(this);
    FileEdit->setEditable(true);
    FileEdit->setInsertPolicy(QComboBox::NoInsert);
    // Inline completion would silently turn what is typed into another path.
    FileEdit->setCompleter(nullptr);
    FileEdit->setGeometry(8, 12, 133, 20);
    FileEdit->setEditText(QStringLiteral("*.bmp"));
    Label1->setBuddy(FileEdit);

    m_folderModel = new QFileSystemModel(this);
    m_folderModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_folderModel->setReadOnly(true);
    DirectoryListBox1 = new QTreeView(this);
    DirectoryListBox1->setModel(m_folderModel);
    for (int column = 1; column < m_folderModel->columnCount(); ++column) {
        DirectoryListBox1->hideColumn(column);
    }
    DirectoryListBox1->setHeaderHidden(true);
    DirectoryListBox1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DirectoryListBox1->setGeometry(8, 46, 136, 210);

    DriveComboBox1 = new QComboBox(this);
    DriveComboBox1->setGeometry(5, 268, 135, 19);

    m_fileModel = new QStringListModel(this);
    FileListBox1 = new QListView(this);
    FileListBox1->setModel(m_fileModel);
    FileListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    FileListBox1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FileListBox1->setGeometry(150, 12, 127, 245);

    FilterComboBox1 = new QComboBox(this);
    FilterComboBox1->setGeometry(146, 265, 131, 20);

    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    Panel1->setGeometry(287, 22, 196, 202);
    Image1 = new PreviewImage(Panel1);
    Image1->setGeometry(Panel1->contentsRect());

    cbView = new QCheckBox(QStringLiteral("&View"), this);
    cbView->setGeometry(304, 224, 64, 17);
    cbView->setChecked(true);
    StretchCheck = new QCheckBox(QStringLiteral("&Stretch"), this);
    StretchCheck->setGeometry(406, 224, 64, 17);

    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton),
                              QStringLiteral("OK"), this);
    BitBtn1->setGeometry(300, 256, 69, 29);
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton),
                              QStringLiteral("Cancel"), this);
    BitBtn2->setGeometry(400, 256, 74, 29);
}

void TFileOpenDlg::connectControls()
{
    FileEdit->installEventFilter(this);
    FileEdit->lineEdit()->installEventFilter(this);
    FileListBox1->viewport()->installEventFilter(this);
    DirectoryListBox1->viewport()->installEventFilter(this);
    connect(FileEdit->lineEdit(), &QLineEdit::textEdited, this, [this] { m_typed = true; });
    connect(FileEdit, &QComboBox::activated, this, [this] { m_typed = true; });

    connect(FileListBox1->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_syncing) {
            FileListBox1Click();
            m_previewedByPress = true;
        }
    });
    connect(FileListBox1, &QListView::clicked, this, [this] {
        if (!m_previewedByPress) {
            FileListBox1Click();
        }
        m_previewedByPress = false;
    });
    connect(FileListBox1, &QListView::doubleClicked, this, &TFileOpenDlg::FileListBox1DblClick);
    connect(cbView, &QCheckBox::toggled, this, &TFileOpenDlg::cbViewClick);
    connect(StretchCheck, &QCheckBox::toggled, this, &TFileOpenDlg::StretchCheckClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TFileOpenDlg::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TFileOpenDlg::BitBtn2Click);
    connect(DriveComboBox1, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_syncing) {
            DriveComboBox1Change();
        }
    });
    connect(DirectoryListBox1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] {
                if (!m_syncing) {
                    DirectoryListBox1Change();
                }
            });
    // The folder model reads and sorts folders in the background, which moves the rows: the
    // current folder is scrolled back into view until the user scrolls or clicks the list.
    auto reveal = [this] {
        if (m_revealFolder) {
            QScopedValueRollback syncing(m_syncing, true);
            revealFolder();
        }
    };
    connect(m_folderModel, &QFileSystemModel::directoryLoaded, this, reveal);
    connect(m_folderModel, &QFileSystemModel::rowsInserted, this, reveal);
    connect(m_folderModel, &QFileSystemModel::layoutChanged, this, reveal);
    connect(DirectoryListBox1->verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this] { m_revealFolder = false; });
    connect(FilterComboBox1, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_syncing) {
            FilterComboBox1Change();
        }
    });
}

void TFileOpenDlg::fillDrives()
{
    QStringList roots{QStringLiteral("/")};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = QDir::cleanPath(volume.rootPath());
        if (volume.isValid() && volume.isReady() && !roots.contains(root)) {
            roots.append(root);
        }
    }
    std::sort(roots.begin() + 1, roots.end());
    QScopedValueRollback syncing(m_syncing, true);
    DriveComboBox1->clear();
    for (const QString& root : roots) {
        DriveComboBox1->addItem(root, root);
    }
}

void TFileOpenDlg::showFolderInLists()
{
    QScopedValueRollback syncing(m_syncing, true);
    const QString drive = driveOf(m_folder);
    int driveRow = DriveComboBox1->findData(drive);
    if (driveRow < 0) {
        DriveComboBox1->addItem(drive, drive);
        driveRow = DriveComboBox1->count() - 1;
    }
    DriveComboBox1->setCurrentIndex(driveRow);

    m_folderModel->setRootPath(drive);
    const QModelIndex root = m_folderModel->index(drive);
    DirectoryListBox1->setRootIndex(root);
    const QModelIndex current = m_folder == drive ? QModelIndex() : m_folderModel->index(m_folder);
    DirectoryListBox1->setCurrentIndex(current);
    m_revealFolder = true;
    revealFolder();
}

void TFileOpenDlg::revealFolder()
{
    const QModelIndex root = DirectoryListBox1->rootIndex();
    const QModelIndex current = DirectoryListBox1->currentIndex();
    if (!current.isValid()) {
        return;
    }
    for (QModelIndex up = current.parent(); up.isValid() && up != root; up = up.parent()) {
        DirectoryListBox1->expand(up);
    }
    DirectoryListBox1->expand(current);
    // The folders one can go into next are shown as far as they fit below the current one.
    if (const int below = m_folderModel->rowCount(current); below > 0) {
        DirectoryListBox1->scrollTo(m_folderModel->index(below - 1, 0, current));
    }
    DirectoryListBox1->scrollTo(current);
}

void TFileOpenDlg::rereadFiles(bool keepSelection)
{
    const QString kept = keepSelection ? QFileInfo(selectedFile()).fileName() : QString();
    QScopedValueRollback syncing(m_syncing, true);
    const QStringList names = chooser::listFiles(m_folder, m_mask);
    m_fileModel->setStringList(names);
    const qsizetype row = kept.isEmpty() ? -1 : names.indexOf(kept);
    if (row >= 0) {
        FileListBox1->setCurrentIndex(m_fileModel->index(int(row)));
    } else {
        FileListBox1->selectionModel()->clear();
    }
}

QString TFileOpenDlg::selectedFile() const
{
    const QModelIndexList selected = FileListBox1->selectionModel()->selectedIndexes();
    if (selected.isEmpty()) {
        return QString();
    }
    return QDir(m_folder).filePath(selected.first().data().toString());
}

QStringList TFileOpenDlg::listedFiles() const
{
    return m_fileModel->stringList();
}

bool TFileOpenDlg::previewShown() const
{
    return !Image1->isHidden();
}

const RasterImage& TFileOpenDlg::previewPicture() const
{
    return Image1->picture();
}

bool TFileOpenDlg::setFolder(const QString& folder)
{
    const QFileInfo info(folder);
    if (!info.isDir()) {
        return false;
    }
    const QString cleaned = QDir::cleanPath(info.absoluteFilePath());
    const bool sameFolder = cleaned == m_folder;
    m_folder = cleaned;
    showFolderInLists();
    // A name kept across folders would be another file that nobody chose.
    rereadFiles(sameFolder);
    return true;
}

void TFileOpenDlg::setMask(const QString& mask)
{
    m_mask = mask;
    rereadFiles(true);
}

bool TFileOpenDlg::selectFile(const QString& name)
{
    const qsizetype row = listedFiles().indexOf(name);
    if (row < 0) {
        return false;
    }
    FileListBox1->setCurrentIndex(m_fileModel->index(int(row)));
    return true;
}

void TFileOpenDlg::setFilter(const QString& filter)
{
    QList<chooser::FilterEntry> entries = chooser::parseFilterList(filter);
    const chooser::FilterEntry pictures = chooser::picturesEntry();
    if (std::none_of(entries.begin(), entries.end(), [&](const chooser::FilterEntry& entry) {
            return entry.mask.compare(pictures.mask, Qt::CaseInsensitive) == 0;
        })) {
        entries.append(pictures);
    }
    {
        QScopedValueRollback syncing(m_syncing, true);
        FilterComboBox1->clear();
        for (const chooser::FilterEntry& entry : entries) {
            FilterComboBox1->addItem(entry.description, entry.mask);
        }
        FilterComboBox1->setCurrentIndex(0);
    }
    // The field is narrower than the longer descriptions; the open list shows them whole.
    QAbstractItemView* popup = FilterComboBox1->view();
    popup->setMinimumWidth(popup->sizeHintForColumn(0) +
                           popup->verticalScrollBar()->sizeHint().width());
    setMask(entries.first().mask);
}

void TFileOpenDlg::setViewChecked(bool checked)
{
    cbView->setChecked(checked);
}

bool TFileOpenDlg::applyFilePath(const QString& text)
{
    const chooser::TypedPath typed = chooser::splitTypedPath(text, m_folder);
    auto invalid = [&] {
        m_prompts.showError(QStringLiteral("Invalid file name - %1").arg(text));
        return false;
    };
    if (!typed.folder.isEmpty() && !setFolder(typed.folder)) {
        return invalid();
    }
    if (!typed.mask.isEmpty()) {
        setMask(typed.mask);
    }
    if (!typed.name.isEmpty()) {
        // The list may be older than the file.
        if (!listedFiles().contains(typed.name)) {
            rereadFiles(true);
        }
        if (!listedFiles().contains(typed.name) && !(m_typed && showFilterListing(typed.name))) {
            return invalid();
        }
        if (!selectFile(typed.name)) {
            return invalid();
        }
    }
    return true;
}

bool TFileOpenDlg::showFilterListing(const QString& name)
{
    QList<chooser::FilterEntry> entries;
    for (int row = 0; row < FilterComboBox1->count(); ++row) {
        entries.append({FilterComboBox1->itemText(row), FilterComboBox1->itemData(row).toString()});
    }
    const int row = chooser::filterIndexShowing(entries, name);
    if (row < 0 || !chooser::listFiles(m_folder, entries[row].mask).contains(name)) {
        return false;
    }
    {
        QScopedValueRollback syncing(m_syncing, true);
        FilterComboBox1->setCurrentIndex(row);
    }
    setMask(entries[row].mask);
    return true;
}

int TFileOpenDlg::exec()
{
    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        move(screen->availableGeometry().center() - rect().center());
    }
    return QDialog::exec();
}

void TFileOpenDlg::reject()
{
    m_chooserFileName.clear();
    QDialog::reject();
}

bool TFileOpenDlg::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((watched == FileEdit || watched == FileEdit->lineEdit()) &&
        (type == QEvent::KeyPress || type == QEvent::KeyRelease)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // Only the press acts. The release of the Enter that closed an error box comes here
            // once the box is gone, and must not open it again.
            if (type == QEvent::KeyPress && !key->isAutoRepeat()) {
                FileEditEnter();
            }
            return true;
        }
    } else if (watched == FileListBox1->viewport() && type == QEvent::MouseButtonPress) {
        m_previewedByPress = false;
    } else if (watched == DirectoryListBox1->viewport() && type == QEvent::MouseButtonPress) {
        m_revealFolder = false;
    }
    return QDialog::eventFilter(watched, event);
}

bool TFileOpenDlg::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate) {
        FormActivate();
    }
    return QDialog::event(event);
}

void TFileOpenDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_typed = false;
    BitBtn1->setFocus();
    FormActivate();
}

void TFileOpenDlg::FormActivate()
{
    rereadFiles(true);
}

void TFileOpenDlg::FileListBox1Click()
{
    Preview();
}

void TFileOpenDlg::FileListBox1DblClick()
{
    BitBtn1Click();
}

void TFileOpenDlg::cbViewClick()
{
    if (cbView->isChecked()) {
        Preview();
    } else {
        Image1->clearPicture();
    }
}

void TFileOpenDlg::StretchCheckClick()
{
    Image1->setStretch(StretchCheck->isChecked());
}

void TFileOpenDlg::FileEditEnter()
{
    const QString text = FileEdit->currentText();
    if (!text.isEmpty() &&
        FileEdit->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0) {
        FileEdit->addItem(text);
        // Adding the first entry makes it current, which would replace the text being edited.
        FileEdit->setEditText(text);
    }
    const chooser::TypedPath typed = chooser::splitTypedPath(text, m_folder);
    if (applyFilePath(text) && !typed.name.isEmpty()) {
        chooseSelected();
    }
}

void TFileOpenDlg::BitBtn1Click()
{
    if (applyFilePath(FileEdit->currentText())) {
        chooseSelected();
    }
}

void TFileOpenDlg::chooseSelected()
{
    m_chooserFileName = selectedFile();
    if (!m_chooserFileName.isEmpty()) {
        accept();
    }
}

void TFileOpenDlg::BitBtn2Click()
{
    reject();
}

void TFileOpenDlg::DriveComboBox1Change()
{
    if (!setFolder(DriveComboBox1->currentData().toString())) {
        showFolderInLists();
    }
}

void TFileOpenDlg::DirectoryListBox1Change()
{
    const QModelIndex current = DirectoryListBox1->currentIndex();
    if (current.isValid()) {
        setFolder(m_folderModel->filePath(current));
    }
}

void TFileOpenDlg::FilterComboBox1Change()
{
    setMask(FilterComboBox1->currentData().toString());
}

void TFileOpenDlg::Preview()
{
    const QString path = selectedFile();
    FileEdit->setEditText(path);
    if (!cbView->isChecked()) {
        return;
    }
    switch (chooser::previewKind(path)) {
    case chooser::PreviewKind::Bitmap: {
        RasterImage picture;
        QString error;
        bool loaded = false;
        {
            WaitCursor wait;
            loaded = picture.load(path, &error);
        }
        if (!loaded) {
            m_prompts.showError(error);
            return;
        }
        showPreview(picture, path);
        return;
    }
    case chooser::PreviewKind::HeightMap: {
        WaitCursor wait;
        THeightMapFile file;
        // A height map that does not load leaves the last preview, without a word.
        if (file.load(path)) {
            showPreview(file.picture(), path);
        }
        return;
    }
    case chooser::PreviewKind::None:
        Image1->hide();
        return;
    }
}

void TFileOpenDlg::showPreview(const RasterImage& picture, const QString& path)
{
    Image1->setPicture(picture);
    Image1->show();
    setWindowTitle(CaptionPrefix + QFileInfo(path).fileName() +
                   QStringLiteral(" (%1 x %2)").arg(picture.width()).arg(picture.height()));
}
