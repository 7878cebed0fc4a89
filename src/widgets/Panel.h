#pragma once

#include <QColor>
#include <QWidget>

// A plain panel: from the edge inwards a solid border, an outer bevel, a gap in the panel's
// colour and an inner bevel, each optional, and an optional caption drawn left-aligned inside
// them. Children are placed by their owner and may cover the frame; contentRect() is the area
// inside it.
class Panel : public QWidget
{
    Q_OBJECT

public:
    enum class Bevel
    {
        None,
        Lowered,
        Raised
    };

    // A bevel's two colours meet at its top-right and bottom-left corners; these are the
    // corners that take the top-left colour.
    enum class Corners
    {
        None,
        TopRight,
        Both
    };

    // Raised outer bevel, filled with the window colour the parent has now.
    explicit Panel(QWidget* parent = nullptr);
    // Filled with the palette's window colour, also after the palette changes, until setColor.
    Panel(Bevel outer, Bevel inner, QWidget* parent, int bevelWidth = 1, int gap = 0);

    Bevel bevelOuter() const { return m_outer; }
    Bevel bevelInner() const { return m_inner; }
    void setBevelOuter(Bevel bevel);
    void setBevelInner(Bevel bevel);
    // Corners::TopRight unless set.
    void setTopLeftCorners(Corners corners);
    // A solid frame line around everything, in the window-text colour.
    void setBorderWidth(int width);
    // Border, bevels and gap together, on each side.
    int frameWidth() const;

    QColor color() const;
    void setColor(const QColor& color);

    QString text() const { return m_text; }
    void setText(const QString& text);

    QRect contentRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawBevel(QPainter& painter, QRect& r, Bevel bevel) const;

    Bevel m_outer = Bevel::Raised;
    Bevel m_inner = Bevel::None;
    Corners m_corners = Corners::TopRight;
    int m_bevelWidth = 1;
    int m_gap = 0;
    int m_border = 0;
    // Invalid: the palette's window colour.
    QColor m_color;
    QString m_text;
};
