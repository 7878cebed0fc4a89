#pragma once

#include <QString>

class RasterImage;

// Loads a picture file in any format Qt reads into `image` and turns it grey the way a depth
// map takes a bitmap: every pixel becomes (blue + green + red) div 3 in all three channels.
// On failure `image` is unchanged and `error` names the file and the reason.
bool LoadGreyBitmap(RasterImage& image, const QString& fileName, QString* error = nullptr);

// Turns every pixel of `image` into the grey (blue + green + red) div 3.
void makeGrey(RasterImage& image);

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
