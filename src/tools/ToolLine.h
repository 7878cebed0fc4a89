#pragma once

#include "tools/TOneTool.h"
#include "tools/ToolHost.h"

#include <QRect>

#include <memory>

// Draws a straight line with a rubber band: while the button is held the line follows the
// pointer, painted exactly as it will stay (pen width, paint mode), over a backup of the whole
// picture taken at the press; each move first puts back from the backup what the last shape
// covered. A second button pressed during the drag, or escape, discards the shape. The rectangle
// and ellipse tools build on it and change only the shape, which must stay within shapeBounds().
class ToolLine : public TOneTool
{
public:
    ToolLine(DrawingState& state, ToolHost& host);
    ~ToolLine() override;

    void MouseDown(int x, int y) override;
    void MouseMove(int x, int y) override;
    void MouseUp(int x, int y) override;
    void KeyPress(QChar key) override;

protected:
    // For the shapes, whose option panel also offers hollow or solid.
    ToolLine(DrawingState& state, ToolHost& host, ToolHost::OptionPanel panel);

    // Paints the shape from the press point to (x, y) with the picture's pen and brush.
    virtual void drawShape(RasterImage& image, int x, int y);
    // Sets the picture's brush at the press; lines have none.
    virtual void setUpBrush(RasterImage& image);
    // The brush of rectangles and ellipses: the current colour when solid, none when hollow.
    // The fill is combined in the same paint mode as the outline.
    void setUpShapeBrush(RasterImage& image) const;
    // A rectangle of pixels the shape to (x, y) paints with the brush alone, each from its own
    // pixel before the press (or from nothing): painting it twice gives what painting it once
    // does. Where the last shape's such rectangle overlaps the next one's, the move leaves the
    // pixels as they are instead of putting them back and painting them again. Empty for
    // shapes without one.
    virtual QRect brushOnlyArea(const RasterImage& image, int x, int y) const;

    int m_startX = 0;
    int m_startY = 0;

private:
    // Every pixel the shape to (x, y) may paint: the box of its two points, widened by the
    // reach of a wide line's pen beyond its end points.
    QRect shapeBounds(int x, int y) const;
    // Puts the pixels the last shape covered back from the backup, except those in `keep`.
    void restore(const QRect& keep = {});
    void paintTo(int x, int y);
    // The shape goes, the picture is as before the press.
    void discard();

    std::unique_ptr<RasterImage> m_backup; // only while dragging
    QRect m_area;
    QRect m_painted;   // within m_area
    QRect m_brushOnly; // the last shape's brushOnlyArea()
};
