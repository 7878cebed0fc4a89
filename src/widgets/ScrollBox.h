#pragma once

#include <QScrollArea>

// A borderless scrolling area whose scroll range follows the widgets placed on its client: the
// client is as large as the farthest child's right and bottom edge plus the margin, and never
// smaller than the visible area. With automatic scroll bars off the bars are hidden.
class ScrollBox final : public QScrollArea
{
    Q_OBJECT

public:
    explicit ScrollBox(QWidget* parent = nullptr);

    // Children go here; their positions are client coordinates, which scroll.
    QWidget* client() const { return m_client; }

    int margin() const { return m_margin; }
    void setMargin(int margin);
    void setStep(int pixels);

    bool autoScroll() const { return m_autoScroll; }
    void setAutoScroll(bool on);

    // While frozen the range stays as it is and both bars show, so the view does not jump
    // while a child is dragged; unfreezing brings the range up to date.
    void setFrozen(bool frozen);
    bool frozen() const { return m_frozen; }

    // Recomputes the range from the children; call after moving or resizing one.
    void updateRange();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showBars(bool horizontal, bool vertical);

    QWidget* m_client;
    int m_margin = 0;
    bool m_autoScroll = true;
    bool m_frozen = false;
};
