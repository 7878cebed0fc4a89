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
//
// The palette is made at start and often never shown: the number box, whose text would load a
// font, is made when the window is first shown, or when asked for.
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

    QLineEdit* Edit1();

    void setVisible(bool visible) override;

    QFrame* Panel1 = nullptr;
    QWidget* Image1 = nullptr;
    QFrame* Panel2 = nullptr;

private:
    void makeNumberBox();
    // The number box shows the chosen position; before it is made there is nothing to show.
    void showPosition();
    bool scaleMouse(QEvent* event);
    void Edit1KeyPress();
    void showScale();

    bool eventFilter(QObject* watched, QEvent* event) override;

    DrawingState& m_state;
    HeightScale m_scale;
    QLineEdit* m_edit = nullptr;
};
