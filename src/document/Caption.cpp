#include "document/Caption.h"

#include "document/DocumentState.h"

#include <QFileInfo>

QString mainWindowCaption(const DocumentState& document, bool depthMapActive)
{
    QString caption = document.ProjectFileName.isEmpty()
                          ? QStringLiteral("3D-Picture  [UNTITLED]")
                          : QStringLiteral("3D-Picture  [%1]")
                                .arg(QFileInfo(document.ProjectFileName).fileName());
    if (depthMapActive) {
        caption += QStringLiteral(" -- Back(%1)").arg(QFileInfo(document.DepthFileName).fileName());
    } else {
        caption +=
            QStringLiteral(" -- lay(%1)").arg(QFileInfo(document.PatternFileName).fileName());
    }
    return caption;
}
