#pragma once

#include <QString>

// Commands the program runs from the command line without any window or display. Each
// returns an empty string on success, or one line naming the file and the reason.

// Builds the 3D picture of a pattern strip (any picture, in colour) and a depth map (a .bkp
// height-map file, or any picture, turned grey) and writes it to `outputPath`: a Windows bitmap
// unless the extension names another format Qt writes. The output file is replaced only once it is
// complete.
QString make3dFiles(const QString& patternPath, const QString& depthPath,
                    const QString& outputPath);

// The same for the pattern strip and depth map that a project file names (LayFile, BackFile).
QString make3dProject(const QString& projectPath, const QString& outputPath);

// Reads a depth map as its Open does and writes it as its Save does: a height-map file, or a
// picture when the output's extension names a format Qt writes.
QString convertDepthMap(const QString& inputPath, const QString& outputPath);
