// The file buttons of the tool bar: New, Open, Save and Save As for the active image, and
// loading the active image from its file for the project commands.

#include "document/ImageFiles.h"
#include "document/Prompts.h"
#include "document/RememberedPlaces.h"
#include "document/THeightMapFile.h"
#include "mainwindow/EditorToolHost.h"
#include "mainwindow/TForm1.h"
#include "tools/TDrawTool.h"
#include "widgets/ImageView.h"
#include "widgets/WaitCursor.h"

#include <QFileInfo>

namespace {

const QString PatternChooserFilter =
    QStringLiteral("Bitmap Files[*.bmp]|*.bmp|Back ground[*.bkp]|*.bkp|All Files[*.*]|*.*");
const QString DepthChooserFilter =
    QStringLiteral("Back ground[*.bkp]|*.bkp|Bitmap Files[*.bmp]|*.bmp|All Files[*.*]|*.*");

} // namespace

void TForm1::sbNewClick()
{
    if (!confirmReplacing(!m_drawing.DepthMapActive, m_drawing.DepthMapActive, false, [this] {
            return m_prompts.askYesNo(QStringLiteral("Are you sure to draw new picture?"));
        })) {
        return;
    }
    (m_drawing.DepthMapActive ? m_document.DepthFileName : m_document.PatternFileName).clear();
    UpdateCaption();
    clearActiveImage();
}

// Fills the whole active image with its new colour, keeping its size.
void TForm1::clearActiveImage()
{
    restartToolForNewPicture();
    RasterImage& image = *m_drawing.ActiveImage;
    image.brush().color = m_drawing.DepthMapActive ? m_document.groundColor : colorref::White;
    image.brush().style = BrushStyle::Solid;
    image.brush().pattern = QImage();
    image.pen().mode = PenMode::Copy;
    image.pen().style = PenStyle::Clear;
    image.pen().width = 0;
    image.rectangle(0, 0, image.width() + 1, image.height() + 1);
    m_toolHost->imageChanged(QRect(0, 0, image.width(), image.height()));
    takeSavedState(m_drawing.DepthMapActive);
}

// Open keeps the image and its name as they were when the file cannot be read, and says why.
void TForm1::sbopenClick()
{
    const bool depthMap = m_drawing.DepthMapActive;
    m_document.ChooserFileName =
        m_prompts.runBitmapChooser(depthMap ? DepthChooserFilter : PatternChooserFilter, !depthMap);
    if (!m_document.ChooserFileName.isEmpty()) {
        openImageFile(depthMap, m_document.ChooserFileName);
    }
}

void TForm1::openImageFile(bool depthMap, const QString& fileName)
{
    if (!confirmReplacing(!depthMap, depthMap, false, {})) {
        return;
    }
    if (depthMap != m_drawing.DepthMapActive) {
        SwitchCurrentImage();
    }
    RasterImage loaded;
    QString error;
    const bool ok = [&] {
        WaitCursor wait;
        return depthMap ? loadDepthMap(loaded, fileName, &error) : loaded.load(fileName, &error);
    }();
    if (!ok) {
        m_prompts.showError(error);
        return;
    }
    if (depthMap) {
        m_document.DepthFileName = depthMapFileName(fileName);
    } else {
        m_document.PatternFileName = fileName;
    }
    restartToolForNewPicture();
    m_drawing.ActiveImage->setImage(loaded.image());
    placeFrame(depthMap);
    takeSavedState(depthMap);
    UpdateCaption();
}

bool TForm1::LoadActiveImage(QString* error)
{
    const bool depthMap = m_drawing.DepthMapActive;
    QString& name = depthMap ? m_document.DepthFileName : m_document.PatternFileName;
    // A relative name, written into a project by hand, means a file beside the project; it is
    // made absolute now, not at some later save.
    if (!name.isEmpty()) {
        name = projectRelativePath(m_document.ProjectFileName, name);
    }
    RasterImage loaded;
    const bool ok =
        name.isEmpty() || (depthMap ? loadDepthMap(loaded, name, error) : loaded.load(name, error));
    if (ok && !name.isEmpty()) {
        if (depthMap) {
            name = depthMapFileName(name);
        }
        restartToolForNewPicture();
        m_drawing.ActiveImage->setImage(loaded.image());
    } else {
        // No file, or one that cannot be read: a new image under no name, so that no later
        // save can put it where another picture was or write it to a made-up name.
        name.clear();
        clearActiveImage();
    }
    placeFrame(depthMap);
    takeSavedState(depthMap);
    return ok;
}

bool TForm1::sbSaveClick()
{
    if (!m_drawing.DepthMapActive) {
        if (m_document.PatternFileName.isEmpty()) {
            return sbSaveAsClick();
        }
        return savePatternStrip(m_document.PatternFileName);
    }
    if (m_document.DepthFileName.isEmpty()) {
        return sbSaveAsClick();
    }
    return SaveDepthMap();
}

// A name is taken over only once its file has been written, so a failed save leaves the
// image's name pointing at the file that still holds it.
bool TForm1::sbSaveAsClick()
{
    const bool depthMap = m_drawing.DepthMapActive;
    const QString chosen = m_prompts.chooseSaveFile(
        depthMap ? Prompts::FileDialog{QStringLiteral("*.bkp"), QStringLiteral("BKP"),
                                       QStringLiteral("Ground File[*.bkp]|*.bkp|"
                                                      "All Files[*.*]|*.*"),
                                       RememberedPlaces::HeightMaps}
                 : Prompts::FileDialog{QStringLiteral("*.bmp"), QStringLiteral("BMP"),
                                       QStringLiteral("Layer File [*.bmp]|*.bmp|"
                                                      "All Files[*.*]|*.*"),
                                       RememberedPlaces::Pictures});
    if (chosen.isEmpty()) {
        UpdateCaption();
        return true;
    }
    if (!depthMap) {
        if (!savePatternStrip(chosen)) {
            return false;
        }
        m_document.PatternFileName = chosen;
        UpdateCaption();
        return true;
    }
    if (chosen.endsWith(QStringLiteral(".BMP"), Qt::CaseInsensitive)) {
        // An export: the depth map keeps its own name.
        return writeShowingErrors([&](QString* error) { return m_depthMap.save(chosen, error); });
    }
    const QString previous = m_document.DepthFileName;
    m_document.DepthFileName = chosen;
    if (!SaveDepthMap()) {
        m_document.DepthFileName = previous;
        return false;
    }
    UpdateCaption();
    return true;
}

bool TForm1::SaveDepthMap()
{
    return writeShowingErrors([this](QString* error) {
        const bool saved = THeightMapFile().save(m_document.DepthFileName, m_depthMap, error);
        if (saved) {
            takeSavedState(true);
        }
        return saved;
    });
}

bool TForm1::savePatternStrip(const QString& fileName)
{
    return writeShowingErrors([&](QString* error) {
        const bool saved = m_patternStrip.save(fileName, error);
        if (saved) {
            takeSavedState(false);
        }
        return saved;
    });
}

// The hourglass shows while the file is written; an error is shown once the pointer is back.
bool TForm1::writeShowingErrors(const std::function<bool(QString*)>& write)
{
    QString error;
    bool written = false;
    {
        WaitCursor wait;
        // The tool's marquee or caret is no part of the picture written.
        if (m_drawTool) {
            m_drawTool->setMarksShown(false);
        }
        written = write(&error);
        if (m_drawTool) {
            m_drawTool->setMarksShown(true);
        }
    }
    if (!written) {
        m_prompts.showError(error);
    }
    return written;
}
