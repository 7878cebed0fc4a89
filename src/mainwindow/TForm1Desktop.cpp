// How files reach the main window from the desktop: named on the command line, or dropped on
// the window from a file manager.

#include "mainwindow/ImagePane.h"
#include "mainwindow/TForm1.h"
#include "widgets/Panel.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

namespace {

bool isProject(const QString& fileName)
{
    return fileName.endsWith(QLatin1String(".3dp"), Qt::CaseInsensitive);
}

// The one local file, not a folder, that `data` carries; empty for anything else.
QString droppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1) {
        return QString();
    }
    const QUrl url = data->urls().constFirst();
    if (!url.isLocalFile() || QFileInfo(url.toLocalFile()).isDir()) {
        return QString();
    }
    return url.toLocalFile();
}

} // namespace

void TForm1::openGivenFile(const QString& fileName)
{
    // The file dialogs give full paths, and the caption and later saves rely on them.
    const QString path = QFileInfo(fileName).absoluteFilePath();
    if (isProject(path)) {
        openProjectFile(path);
    } else {
        openImageFile(path.endsWith(QLatin1String(".bkp"), Qt::CaseInsensitive), path);
    }
}

// A project may be dropped anywhere on the window, a picture only on a pane.
TForm1::DropTarget TForm1::dropTarget(const QString& fileName, QPoint position) const
{
    if (fileName.isEmpty()) {
        return DropTarget::None;
    }
    if (isProject(fileName)) {
        return DropTarget::Project;
    }
    for (const auto& [pane, target] :
         {std::pair{Panel1, DropTarget::PatternStrip}, std::pair{Panel3, DropTarget::DepthMap}}) {
        if (pane->isVisible() && pane->rect().contains(pane->mapFrom(this, position))) {
            return target;
        }
    }
    return DropTarget::None;
}

// Where the file may land is for the moves to say; Qt sends one right after the entry.
void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void TForm1::dragMoveEvent(QDragMoveEvent* event)
{
    if (dropTarget(droppedFile(event->mimeData()), event->position().toPoint()) !=
        DropTarget::None) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void TForm1::dropEvent(QDropEvent* event)
{
    const QString fileName = droppedFile(event->mimeData());
    const DropTarget target = dropTarget(fileName, event->position().toPoint());
    if (target == DropTarget::None) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // The file manager waits until the drop returns: questions and messages come after it.
    QTimer::singleShot(0, this, [this, target, fileName] {
        if (target == DropTarget::Project) {
            openProjectFile(fileName);
        } else {
            openImageFile(target == DropTarget::DepthMap, fileName);
        }
    });
}
