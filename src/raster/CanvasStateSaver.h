#pragma once

#include "raster/RasterImage.h"

// Puts back a picture's pen, brush, copy mode and pen position, as they were when it was made,
// when it goes out of scope. For code that draws on a picture whose drawing state belongs to
// someone else, such as a tool's stroke on the active image. The font is not kept.
class CanvasStateSaver final
{
public:
    explicit CanvasStateSaver(RasterImage& image)
        : m_image(image), m_pen(image.pen()), m_brush(image.brush()), m_copyMode(image.copyMode()),
          m_penPos(image.penPos())
    {}
    ~CanvasStateSaver()
    {
        m_image.pen() = m_pen;
        m_image.brush() = m_brush;
        m_image.setCopyMode(m_copyMode);
        m_image.moveTo(m_penPos.x(), m_penPos.y());
    }
    CanvasStateSaver(const CanvasStateSaver&) = delete;
    CanvasStateSaver& operator=(const CanvasStateSaver&) = delete;

private:
    RasterImage& m_image;
    const Pen m_pen;
    const Brush m_brush;
    const CopyMode m_copyMode;
    const QPoint m_penPos;
};
