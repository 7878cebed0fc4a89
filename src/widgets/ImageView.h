#pragma once

#include <QWidget>

class RasterImage;

// Shows a raster unscaled from its top-left corner. The widget may be larger than the raster
// (while a size grip is dragged); what lies outside the raster is left to the parent.
// Mouse positions in its events are therefore image pixels.
class ImageView final : public QWidget
{
    Q_OBJECT

public:
    explicit ImageView(RasterImage& raster, QWidget* parent = nullptr);

    RasterImage& raster() const { return m_raster; }

    // Makes the widget the raster's size again.
    void fitToRaster();
    // Repaints these pixels of the raster.
    void updateArea(const QRect& area) { update(area); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    RasterImage& m_raster;
};
