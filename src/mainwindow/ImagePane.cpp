#include "mainwindow/ImagePane.h"

#include "raster/RasterImage.h"
#include "widgets/ImageView.h"
#include "widgets/ScrollBox.h"
#include "widgets/Shape.h"

#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

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

    m_box->viewport()->installEventFilter(this);
}

void ImagePane::placeFrame()
{
    m_image->fitToRaster();
    const int width = m_image->width() + 2 * FrameWidth;
    const int height = m_image->height() + 2 * FrameWidth;
    m_frame->setGeometry(0, 0, width, height);
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

const Zoom& ImagePane::zoom() const
{
    return m_image->zoom();
}

void ImagePane::setZoom(const Zoom& zoom, QPoint anchor)
{
    if (m_dragging || zoom == m_image->zoom()) {
        return;
    }
    QScrollBar* horizontal = m_box->horizontalScrollBar();
    QScrollBar* vertical = m_box->verticalScrollBar();
    const QPoint scroll(horizontal->value(), vertical->value());
    const QPointF inImage = QPointF(anchor + scroll - m_image->pos()) / m_image->zoom().scale();
    m_image->setZoom(zoom);
    placeFrame();
    const QPointF inClient = inImage * zoom.scale() + QPointF(m_image->pos());
    horizontal->setValue(qRound(inClient.x() - anchor.x()));
    vertical->setValue(qRound(inClient.y() - anchor.y()));
    emit zoomChanged();
}

void ImagePane::setZoom(const Zoom& zoom)
{
    setZoom(zoom, m_box->viewport()->rect().center());
}

// The frame, the grip and the box's margin count: at the fitting zoom no bar is needed.
Zoom ImagePane::fittingZoom() const
{
    const QSize room =
        m_box->maximumViewportSize() - QSize(1, 1) * (2 * FrameWidth + GripSize + m_box->margin());
    const QSize size(m_raster.width(), m_raster.height());
    Zoom fitting = Zoom::steps().front();
    for (const Zoom& step : Zoom::steps()) {
        const QSize shown = step.viewSize(size);
        if (shown.width() <= room.width() && shown.height() <= room.height()) {
            fitting = step;
        }
    }
    return fitting;
}

bool ImagePane::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_box->viewport() && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        const int delta = wheel->angleDelta().y();
        if (!(wheel->modifiers() & Qt::ControlModifier) || delta == 0) {
            return false;
        }
        const QPoint anchor = m_box->viewport()->mapFromGlobal(wheel->globalPosition().toPoint());
        setZoom(delta > 0 ? zoom().in() : zoom().out(), anchor);
        return true;
    }
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
    m_shownSize = QSize(m_raster.width(), m_raster.height());
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
    const Zoom& zoom = m_image->zoom();
    // The image takes the whole image pixels the frame holds; magnified, the grip snaps to
    // their edge.
    const auto follow = [&](int pointer, int scroll, int& image) {
        const int grip = std::max(0, pointer) + scroll;
        const int inFrame = grip + m_frameExtra - 2 * FrameWidth;
        // A size below 0 cannot be had; the image stops at 0.
        image = std::max(0, zoom.imageLength(inFrame));
        return inFrame > 0 ? zoom.toView(image) + 2 * FrameWidth - m_frameExtra : grip;
    };
    int width = 0;
    int height = 0;
    const int gripX = follow(inView.x(), m_gripScrollX, width);
    const int gripY = follow(inView.y(), m_gripScrollY, height);
    m_grip->move(gripX, gripY);
    m_frame->resize(gripX + m_frameExtra, gripY + m_frameExtra);
    m_image->resize(zoom.viewSize(QSize(width, height)));
    m_shownSize = QSize(width, height);
    emit sizeShown(width, height);
}

void ImagePane::gripUp()
{
    m_dragging = false;
    m_frame->setOutline(Shape::Outline::Solid);
    m_raster.brush().style = BrushStyle::Solid;
    m_raster.brush().pattern = QImage();
    m_raster.brush().color = m_fill;
    m_raster.setSize(m_shownSize.width(), m_shownSize.height());
    m_image->fitToRaster();
    m_frame->resize(m_image->width() + 2 * FrameWidth, m_image->height() + 2 * FrameWidth);
    m_image->update();
    emit resized();
    m_box->setFrozen(false);
    m_box->setAutoScroll(true);
}
