#pragma once

#include "pickers/FloatingPalette.h"
#include "pickers/HeightScale.h"
#include "raster/ColorRef.h"

class QFrame;
class QLineEdit;
struct DrawingState;

// The height palette: the scale of heights, a number box and a swatch of the chosen grey. It
// paints while the depth map is the active image; choosing a height by dragging on the scale or
// typing a number and Enter makes CurrentColor that height's grey. Its controls are public under
// their design names so that tests can drive them.
class Tfmheight final : public FloatingPalette
{
    Q_OBJECT

public:
    // Creating the palette makes `groundColor`, the colour of new depth maps, its lowest height.
    Tfmheight(DrawingState& state, ColorRef& groundColor, QWidget* owner);

    HeightScale& scale() { return m_scale; }

    // Redraws, forces opaque painting and makes CurrentColor the chosen height.
    void FormActivate() override;
    void followCurrentColor() override { SyncFromCurrentColor(); }
    // Makes CurrentColor, as the pick-up tool left it, the colour the palette paints, and shows
    // its height in the marker and the number box; the swatch follows at the next activation.
    void SyncFromCurrentColor();
    void UpdateSwatch();

    QFrame* Panel1 = nullptr;
    QWidget* Image1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QFrame* Panel2 = nullptr;

private:
    bool scaleMouse(QEvent* event);
    void Edit1KeyPress();
    void showScale();

    bool eventFilter(QObject* watched, QEvent* event) override;

    DrawingState& m_state;
    HeightScale m_scale;
};
