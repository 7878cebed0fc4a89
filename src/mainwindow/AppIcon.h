#pragma once

#include <QByteArray>
#include <QIcon>
#include <QImage>

// The program's icon: a rounded tile of night blue with the terraces of a depth map, lighter
// towards the middle, crossed by the coloured threads of a loom. One drawing gives the window
// icon, the PNG files of every size and the scalable SVG file, so they always agree.
namespace appicon {

// The sizes of the PNG files installed for the desktop, in pixels.
inline constexpr int PngSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// The icon `size` × `size` pixels large, transparent around the tile.
QImage draw(int size);

// The same drawing as an SVG document.
QByteArray svg();

// Every PNG size in one icon, for the windows: the files drawn at build time, which only a
// program linked with the icon resource holds. Each size is read when first asked for.
QIcon icon();

} // namespace appicon
