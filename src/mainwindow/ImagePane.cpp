#include "mainwindow/ImagePane.h"

#include "raster/RasterImage.h"
#include "widgets/ImageView.h"
#include "widgets/ScrollBox.h"
#include "widgets/Shape.h"

#include <QMouseEvent>
#include <QScrollBar>

namespace {

constexpr int GripSize = 3;
constexpr int FrameWidth = 1;

} // namespace

ImagePane::ImagePane(RasterImage& raster, const ColorRef& fill, int frameExtra, const Names& names,
                     QWidget* parent)
    : Panel(parent), m_raster(raster), m_fill(fill), m_frameExtra(frameExtra)
{
    auto named = [](auto* widget, const char* name) {
        widget->setObjectName(QLatin1String(name));
        return widget;
    };
    m_box = named(new ScrollBox(this), names.box);
    m_box->viewport()->setAutoFillBackground(true);
    m_box->client()->setAutoFillBackground(true);

    m_frame = named(new Shape(m_box->client()), names.frame);
    m_frame->setOutline(Shape::Outline::Solid);
    m_image = named(new ImageView(raster, m_box->client()), names.image);
    m_image->move(FrameWidth, FrameWidth);
    m_grip = named(new Shape(m_box->client()), names.grip);
    m_grip->resize(GripSize, GripSize);
    m_grip->setFill(Shape::Fill::Solid, Qt::black);
    m_grip->setCursor(Qt::SizeFDiagCursor);
    m_grip->installEventFilter(this);

    m_mask = named(new Shape(this), names.mask);
    m_mask->setOutline(Shape::Outline::None);
    m_mask->setMouseTracking(true);
    m_mask->hide();
}

void ImagePane::placeFrame()
{
    const int width = m_raster.width() + 2 * FrameWidth;
    const int height = m_raster.height() + 2 * FrameWidth;
    m_frame->setGeometry(0, 0, width, height);
    m_image->fitToRaster();
    m_image->update();
    m_grip->move(width, height);
    m_box->updateRange();
}

void ImagePane::setActive(bool active)
{
    m_mask->setVisible(!active);
    m_box->setAutoScroll(active);
    if (active) {
        setBevelOuter(Bevel::None);
    } else {
        setBevelOuter(Bevel::Lowered);
        setBevelInner(Bevel::Lowered);
    }
}

void ImagePane::fitContents()
{
    m_box->setGeometry(contentRect());
    m_mask->setGeometry(rect());
    m_mask->raise();
}

bool ImagePane::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_grip) {
        return false;
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        gripDown();
        return true;
    case QEvent::MouseMove:
        if (m_dragging) {
            gripMove(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        }
        return true;
    case QEvent::MouseButtonRelease:
        if (m_dragging) {
            gripUp();
        }
        return true;
    default:
        return false;
    }
}

void ImagePane::gripDown()
{
    QScrollBar* horizontal = m_box->horizontalScrollBar();
    QScrollBar* vertical = m_box->verticalScrollBar();
    m_gripScrollX = horizontal->value();
    m_gripScrollY = vertical->value();
    m_frame->setOutline(Shape::Outline::Dotted);
    m_dragging = true;
    // The range stays as it was and both bars show until the release, so the view holds still.
    m_box->setFrozen(true);
    horizontal->setValue(m_gripScrollX);
    vertical->setValue(m_gripScrollY);
}

void ImagePane::gripMove(QPoint globalPosition)
{
    const QPoint inView = m_box->viewport()->mapFromGlobal(globalPosition);
    const int x = std::max(0, inView.x());
    const int y = std::max(0, inView.y());
    m_grip->move(x + m_gripScrollX, y + m_gripScrollY);
    const int frameWidth = x + m_gripScrollX + m_frameExtra;
    const int frameHeight = y + m_gripScrollY + m_frameExtra;
    m_frame->resize(frameWidth, frameHeight);
    // A size below 0 cannot be had; the image stops at 0.
    const int width = std::max(0, frameWidth - 2 * FrameWidth);
    const int height = std::max(0, frameHeight - 2 * FrameWidth);
    m_image->resize(width, height);
    emit sizeShown(width, height);
}

void ImagePane::gripUp()
{
    m_dragging = false;
    m_frame->setOutline(Shape::Outline::Solid);
    m_raster.brush().style = BrushStyle::Solid;
    m_raster.brush().pattern = QImage();
    m_raster.brush().color = m_fill;
    m_raster.setSize(m_image->width(), m_image->height());
    m_frame->resize(m_raster.width() + 2 * FrameWidth, m_raster.height() + 2 * FrameWidth);
    m_image->fitToRaster();
    m_image->update();
    emit resized();
    m_box->setFrozen(false);
    m_box->setAutoScroll(true);
}
