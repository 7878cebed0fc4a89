#pragma once

#include <QColor>
#include <QWidget>

// A panel with an outer bevel, a border of its own colour and an inner bevel, drawn inside its
// rectangle in that order. Children lie on top and may cover the bevels.
class BevelPanel final : public QWidget
{
public:
    enum class Bevel
    {
        None,
        Lowered,
        Raised
    };

    BevelPanel(Bevel outer, Bevel inner, QWidget* parent, int bevelWidth = 1, int borderWidth = 0);

    // The fill; the window's face colour unless set.
    void setColor(const QColor& color);
    // Bevels and border together.
    int frameWidth() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Bevel m_outer;
    Bevel m_inner;
    int m_bevelWidth;
    int m_borderWidth;
    QColor m_color;
};
