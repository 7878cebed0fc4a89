#pragma once

#include <QIcon>

// The pictures on the buttons of the main window and the output window, drawn at run time.
enum class Glyph
{
    NewFile,
    OpenFile,
    SaveFile,
    SaveFileAs,
    Cut,
    Copy,
    Paste,
    Make3D,
    Print,
    Help,
    Select,
    Pencil,
    Fill,
    Line,
    Rectangle,
    Ellipse,
    Text,
    PickColour,
    Smooth,
    // The output window's.
    SavePicture,
    FullScreen,
    PrintPicture,
    // The colour windows' paint modes: two see-through discs whose overlap mixes, and a solid
    // square hiding the disc behind it.
    PaintMix,
    PaintOpaque,
};

QIcon glyphIcon(Glyph glyph);
