#pragma once

#include <QIcon>

// The pictures on the main window's buttons, drawn at run time.
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
};

QIcon glyphIcon(Glyph glyph);
