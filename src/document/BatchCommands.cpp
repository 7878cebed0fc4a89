#include "document/BatchCommands.h"

#include "document/FineMake3d.h"
#include "document/ImageFiles.h"
#include "document/TMy3DFile.h"
#include "render/RasterImage.h"
#include "render/StereogramRenderer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <new>
#include <sys/stat.h>

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Whether writing `output` would replace `input`: the same file by any name (links, "./",
// "../"), or the same name when neither exists yet.
bool sameFile(const QString& output, const QString& input)
{
    struct stat out = {};
    struct stat in = {};
    const bool outExists = ::stat(QFile::encodeName(output).constData(), &out) == 0;
    const bool inExists = ::stat(QFile::encodeName(input).constData(), &in) == 0;
    if (outExists || inExists) {
        return outExists && inExists && out.st_dev == in.st_dev && out.st_ino == in.st_ino;
    }
    return QDir::cleanPath(QFileInfo(output).absoluteFilePath()) ==
           QDir::cleanPath(QFileInfo(input).absoluteFilePath());
}

// The refusal when `output` is one of `inputs` (kind, path), or an empty text.
QString overwritesInput(const QString& output,
                        std::initializer_list<std::pair<const char*, QString>> inputs)
{
    for (const auto& [kind, input] : inputs) {
        if (sameFile(output, input)) {
            return QStringLiteral("Cannot write %1: it is the same file as the %2 %3")
                .arg(shown(output), QLatin1String(kind), shown(input));
        }
    }
    return {};
}

QString outOfMemory(const QString& output)
{
    return QStringLiteral("Cannot write %1: not enough memory for the picture").arg(shown(output));
}

} // namespace

QString make3dFiles(const QString& patternPath, const QString& depthPath, const QString& outputPath,
                    QString* warning, const FineMake3d* fine)
{
    const bool randomPattern = fine && fine->randomPattern;
    if (const QString refused = randomPattern
                                    ? overwritesInput(outputPath, {{"depth map", depthPath}})
                                    : overwritesInput(outputPath, {{"pattern strip", patternPath},
                                                                   {"depth map", depthPath}});
        !refused.isEmpty()) {
        return refused;
    }
    try {
        QString error;
        RasterImage pattern;
        if (!randomPattern && !pattern.load(patternPath, &error)) {
            return error;
        }
        RasterImage depth;
        if (!loadDepthMap(depth, depthPath, &error)) {
            return error;
        }
        if (randomPattern) {
            pattern = FineRenderer::randomStrip(
                depth.height(), fine->seed.value_or(QRandomGenerator::system()->generate()));
        }
        if (warning && !fine && pattern.height() < depth.height()) {
            *warning = QStringLiteral("warning: the pattern strip %1 has %2 rows and the depth map "
                                      "%3 has %4: the 3D picture is white below its first %2 rows")
                           .arg(shown(patternPath))
                           .arg(pattern.height())
                           .arg(shown(depthPath))
                           .arg(depth.height());
        }
        const RasterImage output = fine ? FineRenderer::render(pattern, depth, fine->render)
                                        : StereogramRenderer::renderAll(pattern, depth);
        if (!output.save(outputPath, &error)) {
            return error;
        }
    } catch (const std::bad_alloc&) {
        return outOfMemory(outputPath);
    }
    return QString();
}

QString make3dProject(const QString& projectPath, const QString& outputPath, QString* warning,
                      const FineMake3d* fine)
{
    if (const QString refused = overwritesInput(outputPath, {{"project", projectPath}});
        !refused.isEmpty()) {
        return refused;
    }
    const TMy3DFile project(projectPath);
    const QString section = QStringLiteral("Files");
    QString error;
    const QString pattern = project.readString(section, QStringLiteral("LayFile"), {}, &error);
    if (!error.isEmpty()) {
        return error;
    }
    const QString depth = project.readString(section, QStringLiteral("BackFile"));
    if (pattern.isEmpty() || depth.isEmpty()) {
        return QStringLiteral("Cannot render %1: the project names no %2")
            .arg(shown(projectPath), pattern.isEmpty() ? QStringLiteral("pattern strip (LayFile)")
                                                       : QStringLiteral("depth map (BackFile)"));
    }
    return make3dFiles(pattern, depth, outputPath, warning, fine);
}

QString convertDepthMap(const QString& inputPath, const QString& outputPath)
{
    if (const QString refused = overwritesInput(outputPath, {{"depth map", inputPath}});
        !refused.isEmpty()) {
        return refused;
    }
    try {
        QString error;
        RasterImage depth;
        if (!loadDepthMap(depth, inputPath, &error) || !writeDepthMap(depth, outputPath, &error)) {
            return error;
        }
    } catch (const std::bad_alloc&) {
        return outOfMemory(outputPath);
    }
    return QString();
}
