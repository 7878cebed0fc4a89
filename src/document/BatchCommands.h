#pragma once

#include <QString>

// Commands the program runs from the command line without any window or display. Each
// returns an empty string on success, or one line naming the file and the reason.

// Builds the 3D picture of a pattern strip (any picture, in colour) and a depth map (any
// picture, turned grey) and writes it to `outputPath`: a Windows bitmap unless the extension
// names another format Qt writes. The output file is replaced only once it is complete.
QString make3dFiles(const QString& patternPath, const QString& depthPath,
                    const QString& outputPath);
