// File > Recover Depth Map: a 3D picture read back into the two images.

#include "document/Prompts.h"
#include "document/RememberedPlaces.h"
#include "mainwindow/TForm1.h"
#include "raster/RasterImage.h"
#include "render/DepthDecoder.h"
#include "widgets/Panel.h"
#include "widgets/WaitCursor.h"

#include <QDir>

#include <new>

void TForm1::RecoverDepthMapClick()
{
    const QString fileName = m_prompts.chooseOpenFile(
        {QStringLiteral("*.bmp"),
         {},
         QStringLiteral("Bitmap Files[*.bmp]|*.bmp|PNG Files[*.png]|*.png|All Files[*.*]|*.*"),
         RememberedPlaces::Outputs});
    if (fileName.isEmpty()) {
        return;
    }
    // The picture is read before anything is asked: a file that is no stereogram replaces
    // nothing.
    DepthDecoder::Result decoded;
    QString error;
    const bool ok = [&] {
        WaitCursor wait;
        RasterImage picture;
        if (!picture.load(fileName, &error)) {
            return false;
        }
        try {
            if (DepthDecoder::decode(picture.image(), 0, &decoded, &error)) {
                return true;
            }
        } catch (const std::bad_alloc&) {
            error = QStringLiteral("not enough memory");
        }
        error = QStringLiteral("Cannot recover a depth map from %1: %2")
                    .arg(QDir::toNativeSeparators(fileName), error);
        return false;
    }();
    if (!ok) {
        m_prompts.showError(error);
        return;
    }
    if (!confirmReplacing(true, true, false, {})) {
        return;
    }
    // Both images are new work under no name, so that no save puts them over the files the
    // old ones came from.
    m_document.PatternFileName.clear();
    m_document.DepthFileName.clear();
    restartToolForNewPicture();
    m_patternStrip.setImage(decoded.patternStrip.image());
    placeFrame(false);
    m_depthMap.setImage(decoded.depthMap.image());
    placeFrame(true);
    scheduleChangeCheck();
    UpdateCaption();
    const QString name = QDir::toNativeSeparators(fileName);
    pnStu->setText(UILanguage == language::Chinese
                       ? QStringLiteral("已从 %1 恢复深度图：图案条宽 %2 像素")
                             .arg(name)
                             .arg(decoded.stripWidth)
                       : QStringLiteral("Depth map recovered from %1: strip width %2 pixels")
                             .arg(name)
                             .arg(decoded.stripWidth));
}
