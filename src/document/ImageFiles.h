#pragma once

#include <QString>

class RasterImage;

// Loads a picture file in any format Qt reads into `image` and turns it grey the way a depth
// map takes a bitmap: every pixel becomes (blue + green + red) div 3 in all three channels.
// On failure `image` is unchanged and `error` names the file and the reason.
bool LoadGreyBitmap(RasterImage& image, const QString& fileName, QString* error = nullptr);

// Turns every pixel of `image` into the grey (blue + green + red) div 3.
void makeGrey(RasterImage& image);
