#pragma once

#include <QColor>
#include <QWidget>

// A rectangle covering the widget: an outline (none, solid or dotted, any width) and a fill
// (none, solid, or a diagonal cross hatch whose gaps let what is underneath show through).
// Mouse events pass to the owner's event filter; the shape itself reacts to none.
class Shape final : public QWidget
{
    Q_OBJECT

public:
    enum class Outline
    {
        None,
        Solid,
        Dotted
    };
    enum class Fill
    {
        None,
        Solid,
        DiagonalCross
    };

    explicit Shape(QWidget* parent = nullptr);

    Outline outline() const { return m_outline; }
    void setOutline(Outline outline, int width = 1, const QColor& color = Qt::black);
    void setFill(Fill fill, const QColor& color = Qt::white);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Outline m_outline = Outline::Solid;
    int m_outlineWidth = 1;
    QColor m_outlineColor = Qt::black;
    Fill m_fill = Fill::None;
    QColor m_fillColor = Qt::white;
};
