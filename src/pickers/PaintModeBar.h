#pragma once

#include "raster/ColorRef.h"

#include <QPoint>
#include <QWidget>

class Panel;
class QLabel;
class QToolButton;
struct DrawingState;

// A rectangle with a black border filled with a colour; palette indices show as the reserved
// colours they stand for.
class Swatch final : public QWidget
{
public:
    explicit Swatch(QWidget* parent);

    ColorRef color() const { return m_color; }
    void setColor(ColorRef color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ColorRef m_color = colorref::White;
};

// The bottom panel of both colour windows: the latching mix and opaque buttons, which set
// OpaquePaint when clicked (mix down at first), the label "Color:" and the swatch of the chosen
// colour. The window places the panel; the positions of its controls are the window's.
struct PaintModeBar
{
    struct Layout
    {
        int height;
        QPoint sb1;
        QPoint sb2;
        QPoint label;
        QPoint swatch;
    };

    PaintModeBar(QWidget* window, DrawingState& state, const Layout& layout);

    Panel* panel = nullptr;
    QToolButton* sb1 = nullptr;
    QToolButton* sb2 = nullptr;
    QLabel* Label1 = nullptr;
    Swatch* swatch = nullptr;
};
