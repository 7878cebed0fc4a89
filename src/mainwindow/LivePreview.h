#pragma once

#include "render/LiveStereogram.h"

#include <QElapsedTimer>
#include <QWidget>

#include <functional>

class QScrollArea;
class QTimer;

// A floating window with the 3D picture of the pattern strip and the depth map as they are now,
// rendered as Make 3D renders it and following every reported change while it is shown.
//
// Changes only mark rows stale; the rendering runs from the event loop, at most one pass per
// frame of the screen and none while nothing changed. A pass that takes longer than a slice of an
// eighth of a frame goes on at the next turn of the event loop, so that pointer events and
// painting come in between and wait for one slice at most. Changes that come in during a pass
// join it.
//
// Hidden, it keeps no picture and does nothing; shown again, it starts over.
class LivePreview final : public QWidget
{
    Q_OBJECT

public:
    // `setMarksShown` takes the tools' marks out of the images while they are read (see
    // LiveStereogram). The images must outlive the window.
    LivePreview(const RasterImage& patternStrip, const RasterImage& depthMap,
                std::function<void(bool)> setMarksShown, QWidget* owner);
    ~LivePreview() override;

    // Pixels of `area` of either image changed. A resized or replaced image reports its whole
    // area. A change never reported is noticed by the next pass (see LiveStereogram); rows left
    // out of a report are not.
    void imageChanged(const QRect& area);

    // The picture and its state: up to date once no change waits for a pass.
    const LiveStereogram& stereogram() const { return m_stereogram; }
    // Passes finished since the window was created.
    qint64 passes() const { return m_passes; }

    // The picture's size with the window's frame, within three quarters of the screen.
    QSize sizeHint() const override;

signals:
    // The window was shown or hidden by the program or the user (not by minimising).
    void shownChanged(bool shown);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void schedule();
    void renderSlice();

    LiveStereogram m_stereogram;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_view = nullptr;
    QTimer* m_timer = nullptr;
    qint64 m_frameNs = 16'666'667;
    // Started when the last pass started; no pass starts within a frame of it.
    QElapsedTimer m_lastPass;
    bool m_passRunning = false;
    qint64 m_passes = 0;
};
