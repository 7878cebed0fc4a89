#include "widgets/ImageView.h"

#include "raster/RasterImage.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>
#include <cstring>

ImageView::ImageView(RasterImage& raster, QWidget* parent) : QWidget(parent), m_raster(raster)
{
    setMouseTracking(true);
}

QPoint ImageView::imagePoint(QPointF position) const
{
    return {m_zoom.toImage(static_cast<int>(std::floor(position.x()))),
            m_zoom.toImage(static_cast<int>(std::floor(position.y())))};
}

void ImageView::fitToRaster()
{
    resize(m_zoom.viewSize(QSize(m_raster.width(), m_raster.height())));
}

// Magnified, only the exposed screen pixels are scaled, row by row from the raster, so a repaint
// costs what it shows; a screen row that shows the same image row as the one above is copied.
void ImageView::paintEvent(QPaintEvent* event)
{
    const QSize shownSize = m_zoom.viewSize(QSize(m_raster.width(), m_raster.height()));
    const QRect area = event->rect() & QRect(QPoint(0, 0), shownSize);
    if (area.isEmpty()) {
        return;
    }
    QPainter painter(this);
    const QImage& image = m_raster.image();
    if (m_zoom == Zoom{}) {
        painter.drawImage(area.topLeft(), image, area);
        return;
    }
    // A raster may report a size its pixels do not have.
    const QRect part = area & QRect(QPoint(0, 0), m_zoom.viewSize(image.size()));
    if (part.isEmpty()) {
        return;
    }
    if (m_scaled.width() < part.width() || m_scaled.height() < part.height()) {
        m_scaled = QImage(part.size().expandedTo(m_scaled.size()), QImage::Format_RGB32);
    }
    m_columns.resize(std::size_t(part.width()));
    for (int i = 0; i < part.width(); ++i) {
        m_columns[std::size_t(i)] = m_zoom.toImage(part.left() + i);
    }
    int lastRow = -1;
    for (int y = 0; y < part.height(); ++y) {
        const int row = m_zoom.toImage(part.top() + y);
        auto* to = reinterpret_cast<QRgb*>(m_scaled.scanLine(y));
        if (row == lastRow) {
            std::memcpy(to, m_scaled.constScanLine(y - 1),
                        std::size_t(part.width()) * sizeof(QRgb));
            continue;
        }
        const auto* from = reinterpret_cast<const QRgb*>(image.constScanLine(row));
        for (int x = 0; x < part.width(); ++x) {
            to[x] = from[m_columns[std::size_t(x)]];
        }
        lastRow = row;
    }
    painter.drawImage(part.topLeft(), m_scaled, QRect(QPoint(0, 0), part.size()));
}
