// The file buttons of the tool bar: New, Open, Save and Save As for the active image, and
// loading the active image from its file for the project commands.

#include "document/ImageFiles.h"
#include "document/Prompts.h"
#include "document/THeightMapFile.h"
#include "mainwindow/ImageView.h"
#include "mainwindow/TForm1.h"
#include "render/WaitCursor.h"

namespace {

const QString PatternChooserFilter =
    QStringLiteral("Bitmap Files[*.bmp]|*.bmp|Back ground[*.bkp]|*.bkp|All Files[*.*]|*.*");
const QString DepthChooserFilter =
    QStringLiteral("Back ground[*.bkp]|*.bkp|Bitmap Files[*.bmp]|*.bmp|All Files[*.*]|*.*");
const QString HeightMapExtension = QStringLiteral(".BKP");

bool isHeightMapName(const QString& path)
{
    return path.endsWith(HeightMapExtension, Qt::CaseInsensitive);
}

} // namespace

void TForm1::sbNewClick()
{
    if (!m_prompts.askYesNo(QStringLiteral("Are you sure to draw new picture?"))) {
        return;
    }
    RasterImage& image = *m_drawing.ActiveImage;
    if (m_drawing.DepthMapActive) {
        image.brush().color = m_document.groundColor;
        m_document.DepthFileName.clear();
    } else {
        m_document.PatternFileName.clear();
        image.brush().color = colorref::White;
    }
    UpdateCaption();
    image.brush().style = BrushStyle::Solid;
    image.brush().pattern = QImage();
    image.pen().mode = PenMode::Copy;
    image.pen().style = PenStyle::Clear;
    image.pen().width = 0;
    image.rectangle(0, 0, image.width() + 1, image.height() + 1);
    imageChanged(QRect(0, 0, image.width(), image.height()));
}

// Open keeps the image and its name as they were when the file cannot be read, and says why.
void TForm1::sbopenClick()
{
    const bool depthMap = m_drawing.DepthMapActive;
    m_document.ChooserFileName =
        m_prompts.runBitmapChooser(depthMap ? DepthChooserFilter : PatternChooserFilter, !depthMap);
    const QString fileName = m_document.ChooserFileName;
    if (fileName.isEmpty()) {
        return;
    }
    RasterImage loaded;
    QString error;
    bool ok = false;
    {
        WaitCursor wait;
        if (!depthMap) {
            ok = loaded.load(fileName, &error);
        } else if (isHeightMapName(fileName)) {
            THeightMapFile file;
            ok = file.load(fileName, &error);
            if (ok) {
                loaded.setImage(file.picture().image());
            }
        } else {
            ok = LoadGreyBitmap(loaded, fileName, &error);
        }
    }
    if (!ok) {
        m_prompts.showError(error);
        return;
    }
    if (depthMap) {
        m_document.DepthFileName = isHeightMapName(fileName)
                                       ? fileName
                                       : changeFileExtension(fileName, HeightMapExtension);
    } else {
        m_document.PatternFileName = fileName;
    }
    m_drawing.ActiveImage->setImage(loaded.image());
    placeFrame(depthMap);
    UpdateCaption();
}

bool TForm1::LoadActiveImage(QString* error)
{
    if (!m_drawing.DepthMapActive) {
        const bool ok = m_patternStrip.load(m_document.PatternFileName, error);
        placeFrame(false);
        return ok;
    }
    RasterImage loaded;
    bool ok = false;
    if (!isHeightMapName(m_document.DepthFileName)) {
        ok = LoadGreyBitmap(loaded, m_document.DepthFileName, error);
        m_document.DepthFileName =
            changeFileExtension(m_document.DepthFileName, HeightMapExtension);
    } else {
        THeightMapFile file;
        ok = file.load(m_document.DepthFileName, error);
        if (ok) {
            loaded.setImage(file.picture().image());
        }
    }
    // A depth map that cannot be read is left empty.
    m_depthMap.setImage(loaded.image());
    placeFrame(true);
    return ok;
}

bool TForm1::sbSaveClick()
{
    if (!m_drawing.DepthMapActive) {
        if (m_document.PatternFileName.isEmpty()) {
            return sbSaveAsClick();
        }
        QString error;
        bool ok = false;
        {
            WaitCursor wait;
            ok = m_patternStrip.save(m_document.PatternFileName, &error);
        }
        if (!ok) {
            m_prompts.showError(error);
        }
        return ok;
    }
    if (m_document.DepthFileName.isEmpty()) {
        return sbSaveAsClick();
    }
    WaitCursor wait;
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
                                                      "All Files[*.*]|*.*")}
                 : Prompts::FileDialog{QStringLiteral("*.bmp"), QStringLiteral("BMP"),
                                       QStringLiteral("Layer File [*.bmp]|*.bmp|"
                                                      "All Files[*.*]|*.*")});
    if (chosen.isEmpty()) {
        UpdateCaption();
        return true;
    }
    QString error;
    if (!depthMap) {
        bool ok = false;
        {
            WaitCursor wait;
            ok = m_patternStrip.save(chosen, &error);
        }
        if (!ok) {
            m_prompts.showError(error);
            return false;
        }
        m_document.PatternFileName = chosen;
        UpdateCaption();
        return true;
    }
    if (chosen.endsWith(QStringLiteral(".BMP"), Qt::CaseInsensitive)) {
        // An export: the depth map keeps its own name.
        if (!m_depthMap.save(chosen, &error)) {
            m_prompts.showError(error);
            return false;
        }
        return true;
    }
    const QString previous = m_document.DepthFileName;
    m_document.DepthFileName = chosen;
    bool ok = false;
    {
        WaitCursor wait;
        ok = SaveDepthMap();
    }
    if (!ok) {
        m_document.DepthFileName = previous;
        return false;
    }
    UpdateCaption();
    return true;
}

bool TForm1::SaveDepthMap()
{
    QString error;
    THeightMapFile file;
    if (!file.save(m_document.DepthFileName, m_depthMap, &error)) {
        m_prompts.showError(error);
        return false;
    }
    return true;
}
