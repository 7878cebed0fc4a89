#pragma once

#include "tools/TOneTool.h"

#include <QPoint>

#include <cstdint>

// Selects a rectangle of the active image with a dotted marquee and then holds it as a floating
// selection: moved by dragging its inside, resized by dragging its bottom-right corner, cut or
// copied to the clipboard, dropped where it is by a press outside it. Paste and Copy From float
// a picture at the image's top-left corner. White pixels of a floating selection are
// transparent.
//
// While a selection floats, the image shows the background with the content composed on it at
// (left, top) and the marquee around it. The background is the image without the selection,
// with the area a marquee lifted it from filled white.
class ToolSelect final : public TOneTool
{
public:
    enum class DragMode : std::uint8_t
    {
        Moving,
        Resizing,
        None
    };

    ToolSelect(DrawingState& state, ToolHost& host);
    // Takes the marquee out of the image; a floating selection stays painted where it is.
    ~ToolSelect() override;

    void MouseDown(int x, int y) override;
    void MouseMove(int x, int y) override;
    void MouseUp(int x, int y) override;
    // Escape takes away a marquee being dragged; nothing is selected then.
    void KeyPress(QChar key) override;
    // Marks the whole image, as a drag over it would.
    void SelectAll() override;
    // The selection's rectangle turns white, marked or floating, and what a marked selection
    // was lifted from too; nothing is selected then. Undo brings back the picture as it was.
    void Delete() override;
    // Floats the picture file at the top-left corner, grey while the depth map is active, and
    // puts it on the clipboard too.
    bool LoadFromFile(const QString& fileName, QString* error) override;
    // Floats the clipboard's picture at the top-left corner, or says "No Bitmap in Clipboard!".
    void Paste() override;
    void Cut() override;
    void Copy() override;
    // Forgets the selection and puts back the picture as it was when the marquee was started
    // or the picture pasted.
    void Undo() override;
    void setMarksShown(bool shown) override;

    bool Selected = false;
    bool Marking = false;
    // The selection rectangle in image pixels; width and height are negative while a marquee
    // is dragged up or left of its start.
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    DragMode dragMode = DragMode::None;

private:
    void toggleMarquee();
    // Puts the picture from before the selection was lifted back, only over `area` when given.
    void restoreBackground(const QRect& area = {});
    void compose();
    void buildMask();
    void stretch();
    void snapshot();
    void clearHole();
    // Floats `picture` at the top-left corner over the image as it is.
    void floatPicture(const RasterImage& picture);
    // Drops a floating selection where it is and takes the marquee away.
    void drop();
    QRect selectionRect() const;

    QPoint m_last;
    RasterImage m_content;
    // Black where the content is exactly white, white elsewhere.
    RasterImage m_mask;
    // The content as first selected or pasted: every resize scales from it.
    RasterImage m_unscaled;
    RasterImage m_background;
    bool m_marqueeShown = false;
    bool m_marqueeHidden = false; // taken out by setMarksShown(false)
};
