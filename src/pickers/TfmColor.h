#pragma once

#include "pickers/ColorRing.h"
#include "pickers/FloatingPalette.h"

class Panel;
class QLabel;
class QToolButton;
class Swatch;
struct DrawingState;

// The high-colour picker: a ring of hues around a square of shades, the mix and opaque buttons
// and a swatch of the chosen colour, used while the pattern strip is painted with the
// high-colour palette chosen. A release on the ring chooses a hue and repaints the square; a
// release in the square chooses a colour. The window may be widened up to 250 pixels; its height
// follows its width. Bringing it to the front makes the swatch the painting colour and applies
// the paint mode of the buttons. Its controls are public under their design names so that
// tests can drive them.
class TfmColor final : public FloatingPalette
{
    Q_OBJECT

public:
    // Creating the picker makes the centre of its square the painting colour, in mix mode.
    TfmColor(DrawingState& state, QWidget* owner);

    ColorRing& ring() { return m_ring; }
    // The window's size as the ring's rules count it, its frame included.
    QSize outerSize() const;

    void FormActivate() override;
    void followCurrentColor() override;
    void setPaintModeButtonsVisible(bool visible) override;

    Panel* Panel1 = nullptr;
    QWidget* Image1 = nullptr;
    // The hue marker and the square marker, children of Panel1.
    QWidget* Shape1 = nullptr;
    QWidget* Shape2 = nullptr;
    Panel* Panel2 = nullptr;
    QToolButton* sb1 = nullptr;
    QToolButton* sb2 = nullptr;
    QLabel* Label1 = nullptr;
    Swatch* Shape3 = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void layOut();
    void placeMarkers();
    void Image1MouseUp(QPoint at);

    DrawingState& m_state;
    ColorRing m_ring;
};
