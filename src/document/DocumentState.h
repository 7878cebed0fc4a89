#pragma once

#include "raster/ColorRef.h"

#include <QString>

// The names of the files the editor works on. All are empty after the first activation; an
// empty name means "not named yet".
struct DocumentState
{
    QString ProjectFileName; // the open .3dp file
    QString PatternFileName; // the pattern strip's bitmap
    QString DepthFileName;   // the depth map's height-map file
    QString TargetFileName;  // the 3D picture last saved as a bitmap
    QString ChooserFileName; // what the bitmap chooser returned last; empty when cancelled

    // Fill colour of a new depth map: height 1 of the height palette, grey 58 with the
    // palette-RGB flag.
    ColorRef groundColor = colorref::paletteGrey(58);
};
