#include "widgets/ScrollBox.h"

#include <QScrollBar>
#include <QStyle>

ScrollBox::ScrollBox(QWidget* parent) : QScrollArea(parent), m_client(new QWidget)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(false);
    m_client->setMouseTracking(true);
    viewport()->setMouseTracking(true);
    setWidget(m_client);
}

void ScrollBox::setMargin(int margin)
{
    m_margin = margin;
    updateRange();
}

void ScrollBox::setStep(int pixels)
{
    horizontalScrollBar()->setSingleStep(pixels);
    verticalScrollBar()->setSingleStep(pixels);
}

void ScrollBox::setAutoScroll(bool on)
{
    m_autoScroll = on;
    updateRange();
}

void ScrollBox::setFrozen(bool frozen)
{
    m_frozen = frozen;
    if (frozen) {
        showBars(true, true);
    }
    updateRange();
}

// The bars are shown or hidden outright: left to decide as needed, Qt would keep bars that a
// frozen drag had shown, because the client then no longer fits the narrowed view.
void ScrollBox::showBars(bool horizontal, bool vertical)
{
    const auto policy = [](bool on) { return on ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff; };
    if (horizontalScrollBarPolicy() != policy(horizontal)) {
        setHorizontalScrollBarPolicy(policy(horizontal));
    }
    if (verticalScrollBarPolicy() != policy(vertical)) {
        setVerticalScrollBarPolicy(policy(vertical));
    }
}

void ScrollBox::updateRange()
{
    if (m_frozen) {
        return;
    }
    int right = 0;
    int bottom = 0;
    for (QObject* object : m_client->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (child && !child->isHidden()) {
            right = std::max(right, child->x() + child->width());
            bottom = std::max(bottom, child->y() + child->height());
        }
    }
    // The client never shrinks below the visible area, so a drag inside the visible area is
    // never clipped; the visible area is what the bars that will show leave of the box.
    const int width = right + m_margin;
    const int height = bottom + m_margin;
    QSize visible = maximumViewportSize();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    bool hbar = m_autoScroll && width > visible.width();
    bool vbar = m_autoScroll && height > visible.height();
    hbar = hbar || (m_autoScroll && vbar && width > visible.width() - bar);
    vbar = vbar || (m_autoScroll && hbar && height > visible.height() - bar);
    visible -= QSize(vbar ? bar : 0, hbar ? bar : 0);
    m_client->resize(std::max(width, visible.width()), std::max(height, visible.height()));
    showBars(hbar, vbar);
}

void ScrollBox::resizeEvent(QResizeEvent* event)
{
    QScrollArea::resizeEvent(event);
    updateRange();
}
