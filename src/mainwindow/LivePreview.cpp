#include "mainwindow/LivePreview.h"

#include <QHideEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// A slice of an eighth of a frame keeps well below one pass over a large picture, the longest a
// pointer event that paints should wait for.
constexpr int SlicesPerFrame = 8;

// The picture unscaled at the top-left corner: scaling would break the repeats the 3D effect is
// made of. Nothing is drawn until a whole picture exists.
class PreviewView final : public QWidget
{
public:
    PreviewView(const LiveStereogram& stereogram, QWidget* parent)
        : QWidget(parent), m_stereogram(stereogram)
    {}

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        if (m_stereogram.hasPicture()) {
            painter.drawImage(event->rect(), m_stereogram.picture().image(), event->rect());
        } else if (m_stereogram.outOfMemory()) {
            painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap,
                             QStringLiteral("The 3D picture does not fit in memory."));
        }
    }

private:
    const LiveStereogram& m_stereogram;
};

QSize pictureSize(const RasterImage& patternStrip, const RasterImage& depthMap)
{
    return {patternStrip.width() + depthMap.width(), depthMap.height()};
}

} // namespace

LivePreview::LivePreview(const RasterImage& patternStrip, const RasterImage& depthMap,
                         std::function<void(bool)> setMarksShown, QWidget* owner)
    : QWidget(owner,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_stereogram(patternStrip, depthMap, std::move(setMarksShown))
{
    setObjectName(QStringLiteral("fmLivePreview"));
    setWindowTitle(QStringLiteral("Live 3D Preview"));
    // Keys typed while painting belong to the main window.
    setAttribute(Qt::WA_ShowWithoutActivating);

    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_view = new PreviewView(m_stereogram, m_scroll);
    m_view->setAttribute(Qt::WA_OpaquePaintEvent);
    m_view->resize(pictureSize(patternStrip, depthMap));
    m_scroll->setWidget(m_view);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scroll);

    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &LivePreview::renderSlice);

    if (const QScreen* screen = this->screen()) {
        m_frameNs = qint64(1e9 / std::clamp(screen->refreshRate(), 30.0, 240.0));
    }
}

LivePreview::~LivePreview() = default;

QSize LivePreview::sizeHint() const
{
    const QSize picture = m_stereogram.hasPicture() ? QSize(m_stereogram.picture().width(),
                                                            m_stereogram.picture().height())
                                                    : m_view->size();
    QSize room(800, 600);
    if (const QScreen* screen = this->screen()) {
        room = screen->availableGeometry().size() * 3 / 4;
    }
    QSize hint = picture.boundedTo(room);
    // A picture cut by the bound scrolls.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    if (picture.width() > hint.width()) {
        hint.rheight() = std::min(hint.height() + bar, room.height());
    }
    if (picture.height() > hint.height()) {
        hint.rwidth() = std::min(hint.width() + bar, room.width());
    }
    return hint.expandedTo(QSize(120, 80));
}

void LivePreview::imageChanged(const QRect& area)
{
    // An image resized to nothing reports no rows, but its size has changed.
    if (!isHidden() && m_stereogram.rowsChanged(area.top(), area.bottom()) &&
        !m_stereogram.upToDate()) {
        schedule();
    }
}

// A pass starts a frame after the last one started, or at once when that is long past.
void LivePreview::schedule()
{
    if (m_timer->isActive() || m_passRunning) {
        return;
    }
    qint64 waitNs = 0;
    if (m_lastPass.isValid()) {
        waitNs = std::max<qint64>(0, m_frameNs - m_lastPass.nsecsElapsed());
    }
    m_timer->start(int((waitNs + 999'999) / 1'000'000));
}

void LivePreview::renderSlice()
{
    if (!m_passRunning) {
        m_passRunning = true;
        m_lastPass.start();
    }
    if (!m_stereogram.render(m_frameNs / SlicesPerFrame)) {
        // The rest after the events that came in meanwhile.
        m_timer->start(0);
        return;
    }
    m_passRunning = false;
    ++m_passes;
    const QSize size = m_stereogram.hasPicture()
                           ? QSize(m_stereogram.picture().width(), m_stereogram.picture().height())
                           : m_view->size();
    if (m_view->size() != size) {
        m_view->resize(size);
    }
    m_view->update();
}

void LivePreview::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous()) {
        schedule();
        emit shownChanged(true);
    }
}

void LivePreview::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous()) {
        m_timer->stop();
        m_passRunning = false;
        m_stereogram.release();
        emit shownChanged(false);
    }
}
