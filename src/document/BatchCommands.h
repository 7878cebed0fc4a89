#pragma once

#include <QString>

struct FineMake3d;

// Commands the program runs from the command line without any window or display. Each
// returns an empty string on success, or one line naming the file and the reason. An output
// that is one of the command's input files (by any name) is refused before anything is read,
// and a picture too large for memory ends the command with an error, not an exception.

// Builds the 3D picture of a pattern strip (any picture, in colour) and a depth map (a .bkp
// height-map file, or any picture, turned grey) and writes it to `outputPath`: a Windows bitmap
// unless the extension names another format Qt writes. The output file is replaced only once it is
// complete. A strip shorter than the depth map repeats downwards. With `fine` the finer renderer
// builds it instead, and the pattern may be a strip of random dots rather than a file.
QString make3dFiles(const QString& patternPath, const QString& depthPath, const QString& outputPath,
                    const FineMake3d* fine = nullptr);

// The same for the pattern strip and depth map that a project file names (LayFile, BackFile); a
// file that is not a project is refused.
QString make3dProject(const QString& projectPath, const QString& outputPath,
                      const FineMake3d* fine = nullptr);

// Reads a depth map as its Open does and writes it as its Save does: a height-map file, or a
// picture when the output's extension names a format Qt writes.
QString convertDepthMap(const QString& inputPath, const QString& outputPath);

// `message` fit to print on a terminal as one line: the control characters that a file name may
// hold (a newline, the escape that starts a terminal's command sequence) are shown as C escapes
// such as \n and \x1b instead of acting on the terminal.
QString printableMessage(const QString& message);
// Reads the 3D picture `picturePath` back into a depth map (see DepthDecoder) and writes it as
// --convert writes one. `stripWidth` 0 finds the strip width; `used` says the one read with,
// for the caller to report. A picture that cannot be read as a stereogram is refused with
// the reason.
QString decodeDepthMap(const QString& picturePath, const QString& outputPath, int stripWidth,
                       int* used);
