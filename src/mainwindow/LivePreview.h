#pragma once

#include "render/LiveStereogram.h"

#include <QElapsedTimer>
#include <QWidget>

#include <cstdint>
#include <functional>

class Prompts;
class QCheckBox;
class QComboBox;
class QLabel;
class QScrollArea;
class QSpinBox;
class QTimer;
class QToolButton;

// A floating window with the 3D picture of the pattern strip and the depth map as they are now,
// rendered as Make 3D renders it and following every reported change while it is shown.
//
// Changes only mark rows stale; the rendering runs from the event loop, at most one pass per
// frame of the screen and none while nothing changed. A pass that takes longer than a slice of a
// sixteenth of a frame goes on at the next turn of the event loop, so that pointer events and
// painting come in between and wait for one slice at most. Changes that come in during a pass
// join it.
//
// Hidden, it keeps no picture and does nothing; shown again, it starts over.
//
// A bar above the picture chooses the renderer: as Make 3D (the default), or the finer renderer
// with its oversampling, a strip of random dots instead of the pattern strip and the convergence
// dots. Its buttons save the picture shown (PNG or BMP), show it full screen and ask for it to
// be printed, as it is at the click: the picture may go on changing meanwhile.
class LivePreview final : public QWidget
{
    Q_OBJECT

public:
    // `setMarksShown` takes the tools' marks out of the images while they are read (see
    // LiveStereogram). The images must outlive the window.
    LivePreview(const RasterImage& patternStrip, const RasterImage& depthMap,
                std::function<void(bool)> setMarksShown, Prompts& prompts, QWidget* owner);
    ~LivePreview() override;

    // Pixels of `area` of either image changed. A resized or replaced image reports its whole
    // area. A change never reported is noticed by the next pass (see LiveStereogram); rows left
    // out of a report are not.
    void imageChanged(const QRect& area);

    // The picture and its state: up to date once no change waits for a pass.
    const LiveStereogram& stereogram() const { return m_stereogram; }
    // Passes finished since the window was created.
    qint64 passes() const { return m_passes; }

    // The picture's size with the window's frame and the bar, within three quarters of the
    // screen.
    QSize sizeHint() const override;

    // The controls' texts in language 0 (English) or 1 (Chinese).
    void setLanguage(std::uint8_t language);

    // The bar's choices, which start over with the picture when they change.
    void setMode(const LiveStereogram::Mode& mode);

    // Asks for a PNG or BMP file name and saves the picture shown there.
    void saveClick();
    // Shows the picture full screen until a click or a key.
    void fullScreenClick();

signals:
    // The window was shown or hidden by the program or the user (not by minimising).
    void shownChanged(bool shown);
    // The print button: `picture` is the picture shown at the click.
    void printRequested(const RasterImage& picture);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void schedule();
    void renderSlice();
    void buildBar();
    void modeChosen();
    void showMode();

    LiveStereogram m_stereogram;
    Prompts& m_prompts;
    std::uint8_t m_language = 0;
    QWidget* m_bar = nullptr;
    QLabel* m_rendererLabel = nullptr;
    QComboBox* m_renderer = nullptr;
    QLabel* m_oversampleLabel = nullptr;
    QComboBox* m_oversample = nullptr;
    QCheckBox* m_randomStrip = nullptr;
    QLabel* m_seedLabel = nullptr;
    QSpinBox* m_seed = nullptr;
    QCheckBox* m_dots = nullptr;
    QToolButton* m_save = nullptr;
    QToolButton* m_fullScreen = nullptr;
    QToolButton* m_print = nullptr;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_view = nullptr;
    QTimer* m_timer = nullptr;
    qint64 m_frameNs = 16'666'667;
    // Started when the last pass started; no pass starts within a frame of it.
    QElapsedTimer m_lastPass;
    bool m_passRunning = false;
    qint64 m_passes = 0;
};
