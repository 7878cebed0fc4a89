#include "document/BatchCommands.h"

#include "document/FineMake3d.h"
#include "document/ImageFiles.h"
#include "document/TMy3DFile.h"
#include "files/PictureFiles.h"
#include "files/PictureMemory.h"
#include "files/RegularFile.h"
#include "raster/RasterImage.h"
#include "render/DepthDecoder.h"
#include "render/StereogramRenderer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
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

// The refusal when `output` names a picture format that cannot be written, is something other
// than a regular file (a device, a FIFO, a folder), or is one of `inputs` (kind, path);
// otherwise an empty text. Every batch command asks this before it reads anything.
QString refusedOutput(const QString& output,
                      std::initializer_list<std::pair<const char*, QString>> inputs)
{
    if (const QString format = unwritablePictureFormat(output); !format.isEmpty()) {
        return QStringLiteral("Cannot write %1: %2 pictures cannot be written; name it .bmp or "
                              ".png")
            .arg(shown(output), format);
    }
    if (const QString refused = notReplaceable(output); !refused.isEmpty()) {
        return QStringLiteral("Cannot write %1: %2").arg(shown(output), refused);
    }
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

// Rows are laid out and rendered in bands of this many, each while it is in the cache.
constexpr int BandRows = 16;

// The 3D picture of `pattern` and the depth map `depth` as its file was read: the pixels of
// StereogramRenderer::renderAll on the depth map's greys, with no full-size grey copy of the
// depth map, laying out and rendering the output in one pass instead of two. Throws
// std::bad_alloc.
RasterImage render3dPicture(const RasterImage& pattern, const QImage& depth)
{
    const int strip = pattern.width();
    const int width = strip + depth.width();
    const int height = depth.height();
    if (width == 0 || height == 0) {
        return StereogramRenderer::renderAll(pattern, RasterImage(depth.width(), height));
    }
    RasterImage output;
    QImage picture = newPicture(width, height, QImage::Format_RGB32);
    if (picture.isNull()) {
        throw std::bad_alloc();
    }
    output.setImage(picture);
    picture = QImage(); // one owner, so writing a row copies nothing
    StereogramRenderer renderer(output);
    renderer.PrepareFilledOutput(strip);
    QRgb* first = output.scanLine(0);
    const qsizetype stride = output.image().bytesPerLine() / qsizetype(sizeof(QRgb));
    for (int top = 0; top < height; top += BandRows) {
        const int rows = std::min(BandRows, height - top);
        for (int y = top; y < top + rows; ++y) {
            StereogramRenderer::layStripRow(first + y * stride, pattern, y);
        }
        if (!greyRows(depth, top, rows, first + top * stride + strip, stride)) {
            throw std::bad_alloc();
        }
        for (int i = 0; i < rows; ++i) {
            renderer.RenderRow(strip, height);
        }
    }
    return output;
}

// The depth map's greys as a picture of their own. Throws std::bad_alloc.
RasterImage greyPicture(const QImage& depth)
{
    RasterImage grey(depth.width(), depth.height());
    if (!grey.isEmpty() && !greyRows(depth, 0, depth.height(), grey.scanLine(0),
                                     grey.image().bytesPerLine() / qsizetype(sizeof(QRgb)))) {
        throw std::bad_alloc();
    }
    return grey;
}

} // namespace

QString make3dFiles(const QString& patternPath, const QString& depthPath, const QString& outputPath,
                    const FineMake3d* fine)
{
    const bool randomPattern = fine && fine->randomPattern;
    if (const QString refused = randomPattern
                                    ? refusedOutput(outputPath, {{"depth map", depthPath}})
                                    : refusedOutput(outputPath, {{"pattern strip", patternPath},
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
        QImage depth;
        if (!readDepthPicture(depthPath, &depth, &error)) {
            return error;
        }
        if (randomPattern) {
            pattern = FineRenderer::randomStrip(
                depth.height(), fine->seed.value_or(QRandomGenerator::system()->generate()));
        }
        const RasterImage output =
            fine ? FineRenderer::render(pattern, greyPicture(depth), fine->render)
                 : render3dPicture(pattern, depth);
        if (!output.save(outputPath, &error)) {
            return error;
        }
    } catch (const std::bad_alloc&) {
        return outOfMemory(outputPath);
    }
    return QString();
}

QString make3dProject(const QString& projectPath, const QString& outputPath, const FineMake3d* fine)
{
    if (const QString refused = refusedOutput(outputPath, {{"project", projectPath}});
        !refused.isEmpty()) {
        return refused;
    }
    const TMy3DFile project(projectPath);
    if (const QString refused = project.whyNotAProject(); !refused.isEmpty()) {
        return refused;
    }
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
    return make3dFiles(projectRelativePath(projectPath, pattern),
                       projectRelativePath(projectPath, depth), outputPath, fine);
}

QString convertDepthMap(const QString& inputPath, const QString& outputPath)
{
    if (const QString refused = refusedOutput(outputPath, {{"depth map", inputPath}});
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

QString printableMessage(const QString& message)
{
    QString out;
    out.reserve(message.size());
    for (const QChar c : message) {
        const char16_t u = c.unicode();
        if (c.category() != QChar::Other_Control && u != 0x2028 && u != 0x2029) {
            out += c;
        } else if (u == '\n') {
            out += QLatin1String("\\n");
        } else if (u == '\r') {
            out += QLatin1String("\\r");
        } else if (u == '\t') {
            out += QLatin1String("\\t");
        } else {
            out += QStringLiteral("\\x%1").arg(int(u), u > 0xFF ? 4 : 2, 16, QLatin1Char('0'));
        }
    }
    return out;
}

QString decodeDepthMap(const QString& picturePath, const QString& outputPath, int stripWidth,
                       int* used)
{
    if (const QString refused = refusedOutput(outputPath, {{"picture", picturePath}});
        !refused.isEmpty()) {
        return refused;
    }
    try {
        QString error;
        RasterImage picture;
        if (!picture.load(picturePath, &error)) {
            return error;
        }
        DepthDecoder::Result decoded;
        if (!DepthDecoder::decode(picture.image(), stripWidth, &decoded, &error)) {
            return QStringLiteral("Cannot recover a depth map from %1: %2")
                .arg(shown(picturePath), error);
        }
        *used = decoded.stripWidth;
        if (!writeDepthMap(decoded.depthMap, outputPath, &error)) {
            return error;
        }
    } catch (const std::bad_alloc&) {
        return outOfMemory(outputPath);
    }
    return QString();
}
