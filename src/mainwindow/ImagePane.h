#pragma once

#include "raster/ColorRef.h"
#include "widgets/Panel.h"
#include "widgets/Zoom.h"

class ImageView;
class RasterImage;
class ScrollBox;
class Shape;

// One of the main window's two panes: a panel holding a scroll box with the image in a one-pixel
// frame, the size grip at the frame's outer corner, and the hatched mask that covers the pane
// while the other image is active. Dragging the grip resizes the image on release, keeping its
// pixels and filling new ones with the pane's fill colour. Each pane has its own zoom; the frame
// and the grip stay one screen pixel and three wide, and the grip gives whole image pixels.
class ImagePane final : public Panel
{
    Q_OBJECT

public:
    // The object names of the pane's parts.
    struct Names
    {
        const char* box;
        const char* frame;
        const char* image;
        const char* grip;
        const char* mask;
    };

    // `fill` is read at each release of the grip. The frame follows the pointer `frameExtra`
    // pixels further out than the grip.
    ImagePane(RasterImage& raster, const ColorRef& fill, int frameExtra, const Names& names,
              QWidget* parent);

    RasterImage& raster() const { return m_raster; }
    ScrollBox* box() const { return m_box; }
    ImageView* image() const { return m_image; }
    Shape* mask() const { return m_mask; }

    // Frame and grip around the image at its size, the scroll range to match.
    void placeFrame();
    // The active pane is open; the inactive one is sunk under its mask and does not scroll by
    // itself.
    void setActive(bool active);
    // The scroll box inside the bevels, the mask over all of the pane.
    void fitContents();
    bool gripDragged() const { return m_dragging; }

    const Zoom& zoom() const;
    // Magnifies the image, keeping the image point under `anchor` (viewport pixels) where it is
    // on screen, or the one in the middle of the view. Ctrl and the wheel zoom about the
    // pointer. Nothing changes while the grip is dragged.
    void setZoom(const Zoom& zoom, QPoint anchor);
    void setZoom(const Zoom& zoom);
    // The largest step at which the whole image fits the pane without scroll bars, or the
    // smallest step.
    Zoom fittingZoom() const;

signals:
    // While the grip is dragged: the size the image would take.
    void sizeShown(int width, int height);
    // The grip was released and the image has its new size.
    void resized();
    void zoomChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void gripDown();
    void gripMove(QPoint globalPosition);
    void gripUp();

    RasterImage& m_raster;
    const ColorRef& m_fill;
    int m_frameExtra;
    ScrollBox* m_box;
    Shape* m_frame;
    ImageView* m_image;
    Shape* m_grip;
    Shape* m_mask;
    bool m_dragging = false;
    // Scroll position of the box, taken at the press.
    int m_gripScrollX = 0;
    int m_gripScrollY = 0;
    // The image size the grip gives, in image pixels.
    QSize m_shownSize;
};
