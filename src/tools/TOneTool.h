#pragma once

#include "raster/RasterImage.h"

#include <QChar>
#include <QString>

struct DrawingState;
class ToolHost;

// A drawing tool. One exists only while it is the current tool: selecting a tool destroys the
// previous one, and with it its undo snapshot and anything in progress. Every event does
// nothing unless a tool overrides it; Undo puts back the snapshot SaveUndo took.
class TOneTool
{
public:
    TOneTool(DrawingState& state, ToolHost& host) : m_state(state), m_host(host) {}
    virtual ~TOneTool() = default;

    TOneTool(const TOneTool&) = delete;
    TOneTool& operator=(const TOneTool&) = delete;

    // Copies the whole active image into UndoImage.
    void SaveUndo();

    // Pointer positions are image pixels of the pane that got the press; while a button is held
    // they may lie outside the image.
    virtual void MouseDown(int x, int y);
    virtual void MouseMove(int x, int y);
    virtual void MouseUp(int x, int y);
    virtual void KeyPress(QChar key);
    virtual void Tick();
    // Copy From: false, with `error` naming the file and the reason, when the file cannot be
    // read; the picture is then unchanged.
    virtual bool LoadFromFile(const QString& fileName, QString* error);
    virtual void Paste();
    virtual void Cut();
    virtual void Copy();
    virtual void SelectAll();
    virtual void Delete();
    // Copies UndoImage back onto the active image at (0, 0); an empty snapshot changes nothing.
    // The snapshot stays, so a second Undo gives the same picture.
    virtual void Undo();

    // Takes the tool's own marks (a marquee, a caret), which are inverted pixels of the picture,
    // out of the picture or puts them back, so that what is written to a file holds only what
    // was painted.
    virtual void setMarksShown(bool shown);

    // The tool's current point, in image pixels.
    int X = 0;
    int Y = 0;
    // A stroke or drag is in progress.
    bool Active = false;
    RasterImage UndoImage;

protected:
    // A press while a stroke is under way comes from a second button: the stroke is taken back
    // with Undo and ends. True when it did.
    bool cancelStroke();

    DrawingState& m_state;
    ToolHost& m_host;
};
