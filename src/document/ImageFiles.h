#pragma once

#include <QImage>
#include <QString>

class RasterImage;

// Loads a picture file in any format Qt reads into `image` and turns it grey the way a depth
// map takes a bitmap: every pixel becomes (blue + green + red) div 3 in all three channels.
// On failure `image` is unchanged and `error` names the file and the reason.
bool LoadGreyBitmap(RasterImage& image, const QString& fileName, QString* error = nullptr);

// The greys a depth map takes from rows y .. y + count - 1 of `picture`, a picture as its file
// was decoded, in any format (transparent pixels laid over white, as RasterImage takes them):
// each pixel becomes (blue + green + red) div 3 in all three channels. They are written as opaque
// RGB32 to `dest`, whose rows lie `destStride` pixels apart; `dest` may be the picture's own rows
// when it is RGB32. 8-bit grey and RGB32 rows are turned directly, other formats a few rows at
// a time, so no picture of the full size is made on the way; false when the memory for those few
// rows cannot be had.
bool greyRows(const QImage& picture, int y, int count, QRgb* dest, qsizetype destStride);

// `name` as a project file at `projectPath` means it: an absolute path as it is, a relative one
// from the project's folder (from the current folder when there is no project), cleaned.
QString projectRelativePath(const QString& projectPath, const QString& name);

// Reads a depth map file as it is stored, for callers that take its greys with greyRows: a
// height-map file's picture when the extension is .bkp (in any case), otherwise any picture Qt
// reads in the format its decoder gives. On failure `error` names the file and the reason.
bool readDepthPicture(const QString& fileName, QImage* picture, QString* error = nullptr);

// Reads a depth map as the depth map's Open does: a height-map file when the extension is .bkp
// (in any case), otherwise any picture Qt reads, turned grey. On failure `image` is unchanged
// and `error` names the file and the reason.
bool loadDepthMap(RasterImage& image, const QString& fileName, QString* error = nullptr);

// Writes a depth map as a height-map file, or exports it as a picture when the extension names
// a format Qt writes (.bmp, .png, ...).
bool writeDepthMap(const RasterImage& image, const QString& fileName, QString* error = nullptr);

// The name a depth map read from `fileName` goes by: the name itself for a height-map file,
// otherwise the name with the extension .BKP, so that saving it never touches the picture it
// came from.
QString depthMapFileName(const QString& fileName);

// `path` with its extension (from the last dot of the file name on) replaced by `extension`,
// which includes the dot; a name without extension gets it added.
QString changeFileExtension(const QString& path, const QString& extension);
