#pragma once

#include "pickers/ColorCells.h"
#include "pickers/FloatingPalette.h"

class Panel;
class Prompts;
class QLabel;
class QToolButton;
class Swatch;
struct DrawingState;

// The 20-colour palette: a grid of 20 colour cells, the mix and opaque buttons and a swatch of
// the chosen colour, used while the pattern strip is painted with the 20-colour palette chosen.
// A release on the grid chooses the selected cell's colour; a double-click replaces that cell's
// colour through the colour dialog. Bringing the window to the front or leaving it makes the
// swatch the painting colour and applies the paint mode of the buttons. Its controls are public
// under their design names so that tests can drive them.
class TfmColor16 final : public FloatingPalette
{
    Q_OBJECT

public:
    TfmColor16(DrawingState& state, Prompts& prompts, QWidget* owner);

    ColorCells& cells() { return m_cells; }

    void FormActivate() override;
    void FormDeactivate() override { FormActivate(); }
    void followCurrentColor() override;
    void setPaintModeButtonsVisible(bool visible) override;

    Panel* GridPanel = nullptr;
    QWidget* DG = nullptr;
    Panel* Panel2 = nullptr;
    QToolButton* sb1 = nullptr;
    QToolButton* sb2 = nullptr;
    QLabel* Label1 = nullptr;
    Swatch* Shape1 = nullptr;

private:
    void DGMouseUp();
    void DGDblClick();

    DrawingState& m_state;
    Prompts& m_prompts;
    ColorCells m_cells;
};
