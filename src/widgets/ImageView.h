#pragma once

#include "widgets/Zoom.h"

#include <QImage>
#include <QWidget>

#include <vector>

class RasterImage;

// Shows a raster from its top-left corner, magnified by its zoom (unscaled at 100 %). The
// widget may be larger than the raster (while a size grip is dragged); what lies outside the
// raster is left to the parent. imagePoint() turns mouse positions of its events into image
// pixels.
class ImageView final : public QWidget
{
    Q_OBJECT

public:
    explicit ImageView(RasterImage& raster, QWidget* parent = nullptr);

    RasterImage& raster() const { return m_raster; }

    const Zoom& zoom() const { return m_zoom; }
    // Call fitToRaster() after it.
    void setZoom(const Zoom& zoom) { m_zoom = zoom; }
    // The image pixel under a position in this widget.
    QPoint imagePoint(QPointF position) const;

    // Makes the widget the raster's size on screen again.
    void fitToRaster();
    // Repaints the screen pixels that show these pixels of the raster.
    void updateArea(const QRect& area) { update(m_zoom.toView(area)); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    RasterImage& m_raster;
    Zoom m_zoom;
    QImage m_scaled;            // the last repaint's pixels, kept for their memory
    std::vector<int> m_columns; // the image column of each screen column painted
};
