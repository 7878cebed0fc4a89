#pragma once

#include "render/FineRenderer.h"

#include <QString>
#include <QStringList>

#include <optional>

// How --make3d --fine builds the 3D picture.
struct FineMake3d
{
    FineRenderer::Options render;
    // The pattern is the word "random": a strip of random colour dots as high as the depth map,
    // made from `seed`, or from a seed of the system's when there is none.
    bool randomPattern = false;
    std::optional<quint32> seed;
};

// Takes the finer renderer's options (--fine, --oversample N, --dots, --seed N) out of the
// arguments that follow --make3d, wherever they stand, and leaves the file arguments. Sets
// `fine` when --fine is among them. On a wrong option returns false with the reason in `error`
// (--oversample needs a whole number from 1 to 16, --seed one from 0 to 4294967295 and the
// pattern "random", and each of them and --dots needs --fine).
bool takeFineOptions(QStringList& args, std::optional<FineMake3d>* fine, QString* error);
