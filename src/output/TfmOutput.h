#pragma once

#include "raster/RasterImage.h"

#include <QPointer>
#include <QWidget>

#include <memory>

struct DocumentState;
class Prompts;
class Panel;
class QFrame;
class QScrollArea;
class QTimer;
class QToolButton;
class StereogramRenderer;
class TfmArchieve;

// The output window: owns the 3D picture and its renderer, builds the picture one row per tick
// of `Timer1` while the progress window shows how far it has come, then shows it with buttons
// to save it as a bitmap, show it full screen or print it.
//
// The window stays hidden while it renders; rendering never blocks, so the main window stays
// usable between ticks. Closing the window only hides it. Each new 3D picture is meant to get a
// new window (the old one is destroyed), though Make3D may also be called again on this one.
class TfmOutput final : public QWidget
{
    Q_OBJECT

public:
    // `patternStrip` and `depthMap` are the main window's live images; every tick reads their
    // current width and height, as the user may resize them while a picture renders. All
    // references must outlive the window.
    TfmOutput(TfmArchieve& progress, DocumentState& document, Prompts& prompts,
              const RasterImage& patternStrip, const RasterImage& depthMap,
              QWidget* parent = nullptr);
    ~TfmOutput() override;

    // Starts a new rendering: shows the progress window, sizes this window to the images,
    // lays out the starting picture and runs the timer at 10 ms. Emits renderingStarted.
    void Make3D();

    // Loads a saved 3D picture (any picture format Qt reads) into Image1, for opening a project.
    // Ends a rendering in progress. On failure returns false, leaves the picture as it was and
    // puts the file and the reason in `error`.
    bool loadTarget(const QString& fileName, QString* error = nullptr);

    // Restores the window from its minimised state, shows it and brings it to the front.
    void showAgain();

    RasterImage& picture() { return m_picture; }
    const RasterImage& picture() const { return m_picture; }
    // Valid until the next loadTarget or failed Make3D, which start from a fresh renderer.
    StereogramRenderer& renderer() { return *m_renderer; }

    // One row step while a rendering runs; nothing otherwise. Connected to Timer1.
    void Timer1Timer();
    // Save as bitmap: asks for a file name and saves the picture under it, recording it as the
    // project's target.
    void SbSaveClick();
    // Saves `picture` under `fileName` in the format its extension names, through a temporary
    // file renamed over the target only when complete; on failure shows the file and the
    // reason. Every 3D picture the editor saves goes this way.
    static bool savePicture(const RasterImage& picture, const QString& fileName, Prompts& prompts);
    // Shows the picture full screen until a click or a key.
    void SpeedButton1Click();
    void SpeedButton5Click();

    QFrame* Panel1 = nullptr; // the button bar
    Panel* Panel2 = nullptr;  // the lowered frame around Image1
    QWidget* Image1 = nullptr;
    QToolButton* SbSave = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    // Disabled until printing is wired to it.
    QToolButton* SpeedButton5 = nullptr;
    QTimer* Timer1 = nullptr;

    static constexpr int Panel1Height = 29;
    // Width of Panel2's bevels around the picture, on each side.
    static constexpr int Panel2Inset = 3;

signals:
    void renderingStarted();
    void renderingFinished();
    void printRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Fits Image1 to the picture and centres its frame above the button bar.
    void FormResize();
    void placeOnScreen();
    void fitOnScreen();
    bool renderingInProgress() const;

    QPointer<TfmArchieve> m_progress;
    DocumentState& m_document;
    Prompts& m_prompts;
    const RasterImage& m_patternStrip;
    const RasterImage& m_depthMap;
    RasterImage m_picture;
    QScrollArea* m_scroll = nullptr;
    // Holds Panel2; as large as the picture's frame where that does not fit the window.
    QWidget* m_canvas = nullptr;
    std::unique_ptr<StereogramRenderer> m_renderer;
};
