#pragma once

#include "raster/RasterImage.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

// The texture's contrast, the mean difference of neighbouring pixels over the three channels,
// in each whole band a strip wide out from the middle of the picture, left to right.
inline std::vector<double> bandContrast(const RasterImage& picture, int stripWidth)
{
    std::vector<double> bands;
    for (int from = (picture.width() / 2 - stripWidth / 2) % stripWidth;
         from + stripWidth <= picture.width(); from += stripWidth) {
        long long sum = 0;
        for (int y = 0; y < picture.height(); ++y) {
            const QRgb* row = picture.constScanLine(y);
            for (int x = std::max(from, 1); x < from + stripWidth; ++x) {
                sum += std::abs(qRed(row[x]) - qRed(row[x - 1])) +
                       std::abs(qGreen(row[x]) - qGreen(row[x - 1])) +
                       std::abs(qBlue(row[x]) - qBlue(row[x - 1]));
            }
        }
        bands.push_back(double(sum) / (3.0 * stripWidth * picture.height()));
    }
    return bands;
}
