#include "document/BatchCommands.h"

#include "document/ImageFiles.h"
#include "render/RasterImage.h"
#include "render/StereogramRenderer.h"

QString make3dFiles(const QString& patternPath, const QString& depthPath, const QString& outputPath)
{
    QString error;
    RasterImage pattern;
    if (!pattern.load(patternPath, &error)) {
        return error;
    }
    RasterImage depth;
    if (!LoadGreyBitmap(depth, depthPath, &error)) {
        return error;
    }
    RasterImage output;
    StereogramRenderer renderer(output);
    renderer.PrepareOutput(pattern, depth);
    while (renderer.RenderRow(pattern.width(), depth.height()) != StereogramRenderer::EndMark) {
    }
    if (!output.save(outputPath, &error)) {
        return error;
    }
    return QString();
}
