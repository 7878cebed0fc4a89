#pragma once

#include <QColor>
#include <QWidget>

// A plain panel with an outer and an inner bevel, each none, lowered or raised, one pixel wide,
// and an optional caption drawn left-aligned inside them. Children are placed by their owner;
// contentRect() is the area inside border and bevels.
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

    explicit Panel(QWidget* parent = nullptr);

    Bevel bevelOuter() const { return m_outer; }
    Bevel bevelInner() const { return m_inner; }
    void setBevelOuter(Bevel bevel);
    void setBevelInner(Bevel bevel);
    // A solid frame line around everything, in the window-text colour.
    void setBorderWidth(int width);

    QColor color() const { return m_color; }
    void setColor(const QColor& color);

    QString text() const { return m_text; }
    void setText(const QString& text);

    QRect contentRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int edgeWidth() const;

    Bevel m_outer = Bevel::Raised;
    Bevel m_inner = Bevel::None;
    int m_border = 0;
    QColor m_color;
    QString m_text;
};
