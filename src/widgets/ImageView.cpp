#include "widgets/ImageView.h"

#include "raster/RasterImage.h"

#include <QPaintEvent>
#include <QPainter>

ImageView::ImageView(RasterImage& raster, QWidget* parent) : QWidget(parent), m_raster(raster)
{
    setMouseTracking(true);
}

void ImageView::fitToRaster()
{
    resize(m_raster.width(), m_raster.height());
}

void ImageView::paintEvent(QPaintEvent* event)
{
    const QRect area = event->rect() & QRect(0, 0, m_raster.width(), m_raster.height());
    if (area.isEmpty()) {
        return;
    }
    QPainter painter(this);
    painter.drawImage(area.topLeft(), m_raster.image(), area);
}
