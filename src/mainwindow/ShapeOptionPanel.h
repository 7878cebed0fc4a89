#pragma once

#include "raster/RasterImage.h"
#include "tools/ToolHost.h"
#include "widgets/Panel.h"

#include <optional>

struct DrawingState;
class ImageView;

// A frame that inverts what lies under it: a ring of the given width inside the widget, each
// pixel inverted once (a narrow widget is inverted whole). It takes no clicks.
class InvertingFrame final : public QWidget
{
    Q_OBJECT

public:
    InvertingFrame(int penWidth, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_penWidth;
};

// The option panel of the line, rectangle and ellipse tools in the tool bar: the samples of the
// five line widths and, for rectangles and ellipses, of hollow and solid. A click on a sample
// sets ShapeLineWidth or ShapeSolid of the drawing state, and an inverting frame marks each
// choice. The owner places the panel; it sets its own size per mode.
class ShapeOptionPanel final : public Panel
{
    Q_OBJECT

public:
    ShapeOptionPanel(DrawingState& state, QWidget* parent);

    // Shows the panel for `mode` with its samples drawn anew.
    void showMode(ToolHost::OptionPanel mode);
    void hideMode();
    // Empty while hidden.
    std::optional<ToolHost::OptionPanel> mode() const { return m_mode; }

    // A release on the samples at (x, y) in their coordinates.
    void imgshapeMouseUp(int x, int y);

    ImageView* imgshape = nullptr;
    // Marks the chosen width row.
    InvertingFrame* spShape = nullptr;
    // Marks hollow or solid; shown for rectangles and ellipses only.
    InvertingFrame* spShape1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    DrawingState& m_state;
    RasterImage m_samples;
    std::optional<ToolHost::OptionPanel> m_mode;
};
