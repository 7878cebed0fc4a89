#pragma once

#include "tools/TOneTool.h"

// The text tool's caret: a vertical line of inverted pixels in the active image, from (X, Y)
// over `length` pixels (upwards when negative), the end pixel left out. Shown twice over the
// same place it leaves the picture as it was. The setters do not redraw: hide it first.
class TBeem final
{
public:
    TBeem(DrawingState& state, ToolHost& host) : m_state(state), m_host(host) {}

    void setX(int x) { X = x; }
    void setY(int y) { Y = y; }
    void setLength(int length) { m_length = length; }
    int length() const { return m_length; }
    void show();
    void hide();
    void toggle();
    bool shown() const { return m_shown; }

    int X = 10;
    int Y = 10;

private:
    void draw();

    DrawingState& m_state;
    ToolHost& m_host;
    int m_length = 50;
    bool m_shown = false;
    // The picture the caret was drawn on, so that it is taken from that one.
    RasterImage* m_image = nullptr;
};

// Writes one line of text into the active image. A click places the text (its top-left corner
// half the font's height above the click) and starts a new one; every key puts back the
// picture of the click and draws the whole text again, in the current colour and the font
// dialog's font, through the text and mask images: opaque mode ORs the white-on-black mask in
// and then ANDs the colour-on-white text, mix mode only ANDs the text. Backspace takes the last
// character back, escape the whole text.
//
// A key before the first click starts the text at the caret's top, (10, 10), as a click there
// would, so backspace, escape and Undo work on it the same way.
class ToolText final : public TOneTool
{
public:
    ToolText(DrawingState& state, ToolHost& host);
    // Leaves the text in the image and takes the caret out of it.
    ~ToolText() override;

    void MouseDown(int x, int y) override;
    void KeyPress(QChar key) override;
    // Blinks the caret: shown and hidden in turn.
    void Tick() override;
    // Puts back the picture of the last click; the text stays, and the next key draws it again.
    void Undo() override;
    void setMarksShown(bool shown) override;

    const TBeem& caret() const { return m_caret; }
    const QString& text() const { return m_text; }

private:
    void start(int x, int y);
    void restoreClickImage();
    void render();

    TBeem m_caret;
    RasterImage m_textImage;
    RasterImage m_maskImage;
    QString m_text;
    bool m_started = false;
    bool m_caretHidden = false; // taken out by setMarksShown(false)
};
