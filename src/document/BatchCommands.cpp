#include "document/BatchCommands.h"

#include "document/ImageFiles.h"
#include "document/TMy3DFile.h"
#include "render/RasterImage.h"
#include "render/StereogramRenderer.h"

#include <QDir>
#include <QFileInfo>

QString make3dFiles(const QString& patternPath, const QString& depthPath, const QString& outputPath)
{
    QString error;
    RasterImage pattern;
    if (!pattern.load(patternPath, &error)) {
        return error;
    }
    RasterImage depth;
    if (!loadDepthMap(depth, depthPath, &error)) {
        return error;
    }
    const RasterImage output = StereogramRenderer::renderAll(pattern, depth);
    if (!output.save(outputPath, &error)) {
        return error;
    }
    return QString();
}

QString make3dProject(const QString& projectPath, const QString& outputPath)
{
    const QString shown = QDir::toNativeSeparators(projectPath);
    if (!QFileInfo(projectPath).isFile()) {
        return QStringLiteral("Cannot read %1: no such project file").arg(shown);
    }
    const TMy3DFile project(projectPath);
    const QString section = QStringLiteral("Files");
    const QString pattern = project.readString(section, QStringLiteral("LayFile"));
    const QString depth = project.readString(section, QStringLiteral("BackFile"));
    if (pattern.isEmpty() || depth.isEmpty()) {
        return QStringLiteral("Cannot render %1: the project names no %2")
            .arg(shown, pattern.isEmpty() ? QStringLiteral("pattern strip (LayFile)")
                                          : QStringLiteral("depth map (BackFile)"));
    }
    return make3dFiles(pattern, depth, outputPath);
}

QString convertDepthMap(const QString& inputPath, const QString& outputPath)
{
    QString error;
    RasterImage depth;
    if (!loadDepthMap(depth, inputPath, &error) || !writeDepthMap(depth, outputPath, &error)) {
        return error;
    }
    return QString();
}
