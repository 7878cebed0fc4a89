#include "mainwindow/DialogPrompts.h"

#include "chooser/ChooserRules.h"
#include "chooser/TFileOpenDlg.h"
#include "document/RememberedPlaces.h"
#include "widgets/KeyboardReturn.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFontInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

DialogPrompts::DialogPrompts(QWidget* parent) : m_parent(parent)
{
    if (QCoreApplication* application = QCoreApplication::instance()) {
        application->installEventFilter(&m_fileDialogGuard);
    }
}

QWidget* DialogPrompts::owner() const
{
    QWidget* modal = QApplication::activeModalWidget();
    return modal ? modal : m_parent;
}

QWindow* DialogPrompts::parentWindow() const
{
    QWidget* over = owner();
    return over ? over->window()->windowHandle() : nullptr;
}

DialogPrompts::~DialogPrompts()
{
    delete m_chooser.data();
}

TFileOpenDlg* DialogPrompts::chooser() const
{
    return m_chooser.data();
}

bool DialogPrompts::askYesNo(const QString& text)
{
    const KeyboardReturn keyboard(parentWindow());
    return QMessageBox::warning(owner(), QStringLiteral("Warning"), text,
                                QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::Yes) == QMessageBox::Yes;
}

bool DialogPrompts::askOkCancel(const QString& text)
{
    const KeyboardReturn keyboard(parentWindow());
    return QMessageBox::warning(owner(), QStringLiteral("Confirm"), text,
                                QMessageBox::Ok | QMessageBox::Cancel,
                                QMessageBox::Ok) == QMessageBox::Ok;
}

Prompts::SaveChoice DialogPrompts::askSaveChanges(const QString& text)
{
    const KeyboardReturn keyboard(parentWindow());
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Confirm"), text,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, owner());
    box.setDefaultButton(QMessageBox::Save);
    // Alt and the first letter answer, as in the file dialogs.
    box.button(QMessageBox::Save)->setText(QStringLiteral("&Save"));
    box.button(QMessageBox::Discard)->setText(QStringLiteral("&Discard"));
    switch (box.exec()) {
    case QMessageBox::Save:
        return SaveChoice::Save;
    case QMessageBox::Discard:
        return SaveChoice::Discard;
    default:
        return SaveChoice::Cancel;
    }
}

void DialogPrompts::showError(const QString& text)
{
    const KeyboardReturn keyboard(parentWindow());
    QMessageBox::critical(owner(), QStringLiteral("Error"), text, QMessageBox::Ok);
}

QString DialogPrompts::chooseOpenFile(const FileDialog& setup)
{
    return runFileDialog(setup, false);
}

QString DialogPrompts::chooseSaveFile(const FileDialog& setup)
{
    return runFileDialog(setup, true);
}

QString DialogPrompts::runFileDialog(const FileDialog& setup, bool save)
{
    const KeyboardReturn keyboard(parentWindow());
    QFileDialog dialog(owner());
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    FileDialogGuard::lock(dialog);

    QStringList filters = chooser::qtNameFilters(setup.filter);
    // A start text with wildcards is a filter, not a name to offer.
    const chooser::DialogStart start = chooser::dialogStart(setup.fileName);
    int selected = -1;
    if (!start.pattern.isEmpty()) {
        selected =
            chooser::filterIndexForPattern(chooser::parseFilterList(setup.filter), start.pattern);
        if (selected < 0) {
            filters.prepend(start.pattern);
            selected = 0;
        }
    }
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(selected < 0 ? 0 : selected));
    }
    if (!start.folder.isEmpty()) {
        dialog.setDirectory(start.folder);
    } else if (const QString last = RememberedPlaces().folder(setup.place); !last.isEmpty()) {
        dialog.setDirectory(last);
    }
    if (!start.file.isEmpty()) {
        dialog.selectFile(start.file);
    }
    QString suffix = setup.defaultSuffix.trimmed();
    while (suffix.startsWith(QLatin1Char('.'))) {
        suffix.remove(0, 1);
    }
    dialog.setDefaultSuffix(suffix.toLower());

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return QString();
    }
    const QString chosen = dialog.selectedFiles().constFirst();
    RememberedPlaces().rememberFolderOf(setup.place, chosen);
    // Qt's own dialog has added the suffix already; a platform dialog may not have.
    if (save || !QFileInfo::exists(chosen)) {
        return chooser::applyDefaultSuffix(chosen, suffix);
    }
    return chosen;
}

QString DialogPrompts::runBitmapChooser(const QString& filter, bool preview)
{
    const KeyboardReturn keyboard(parentWindow());
    // A filter that lists height maps first is the depth map's.
    const QString place =
        filter.section(QLatin1Char('|'), 1, 1).compare(QLatin1String("*.bkp"), Qt::CaseInsensitive)
            ? RememberedPlaces::Pictures
            : RememberedPlaces::HeightMaps;
    if (!m_chooser) {
        m_chooser = new TFileOpenDlg(*this, m_parent);
        // Within a run the chooser keeps its own folder; a new run starts where the last ended.
        if (const QString last = RememberedPlaces().folder(place); !last.isEmpty()) {
            m_chooser->setFolder(last);
        }
    }
    m_chooser->setFilter(filter);
    m_chooser->setViewChecked(preview);
    m_chooser->exec();
    RememberedPlaces().rememberFolderOf(place, m_chooser->ChooserFileName());
    return m_chooser->ChooserFileName();
}

namespace {

// One page is printed, so the dialog offers no page range, selection or collation.
void setUpPrintDialog(QPrintDialog& dialog)
{
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
}

} // namespace

bool DialogPrompts::runPrintDialog(QPrinter& printer)
{
    const KeyboardReturn keyboard(parentWindow());
    QPrintDialog dialog(&printer, owner());
    setUpPrintDialog(dialog);
    return dialog.exec() == QDialog::Accepted;
}

// No platform here has a separate printer set-up dialog: the print dialog chooses the printer
// and its settings; as the set-up it prints nothing.
bool DialogPrompts::runPrintSetupDialog(QPrinter& printer)
{
    const KeyboardReturn keyboard(parentWindow());
    QPrintDialog dialog(&printer, owner());
    setUpPrintDialog(dialog);
    dialog.setWindowTitle(QStringLiteral("Print Setup"));
    for (QDialogButtonBox* box : dialog.findChildren<QDialogButtonBox*>()) {
        if (QPushButton* ok = box->button(QDialogButtonBox::Ok)) {
            ok->setText(QStringLiteral("OK"));
        }
    }
    return dialog.exec() == QDialog::Accepted;
}

bool DialogPrompts::chooseColor(ColorRef& color)
{
    const KeyboardReturn keyboard(parentWindow());
    const QColor chosen = QColorDialog::getColor(QColor(colorref::toRgb(color)), owner());
    if (!chosen.isValid()) {
        return false;
    }
    color = colorref::fromRgb(chosen.rgb());
    return true;
}

bool DialogPrompts::chooseFont(QFont& font)
{
    const KeyboardReturn keyboard(parentWindow());
    // Qt's dialog offers sizes in points; the editor's fonts are sized in pixels.
    const qreal dpi = m_parent ? m_parent->logicalDpiY()
                               : QGuiApplication::primaryScreen()->logicalDotsPerInchY();
    QFont start = font;
    // The dialog lists installed families only; a name the system maps to another (Arial to
    // Liberation Sans) would otherwise fall back to the default family and style.
    start.setFamily(QFontInfo(font).family());
    if (font.pixelSize() > 0) {
        start.setPointSizeF(font.pixelSize() * 72.0 / dpi);
    }
    bool ok = false;
    QFont chosen = QFontDialog::getFont(&ok, start, owner());
    if (!ok) {
        return false;
    }
    if (chosen.pixelSize() <= 0) {
        chosen.setPixelSize(std::max(1, qRound(chosen.pointSizeF() * dpi / 72.0)));
    }
    font = chosen;
    return true;
}
