#include "output/TfmScreen.h"

#include "output/Centring.h"
#include "render/RasterImage.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

TfmScreen::TfmScreen(const RasterImage& picture, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_picture(picture)
{
    setObjectName(QStringLiteral("fmScreen"));
    setModal(true);
    setWindowState(Qt::WindowFullScreen);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

// The whole surface is painted at every exposure, not only once, so nothing of the windows
// below ever shows through after a repaint.
void TfmScreen::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!m_picture.isEmpty()) {
        // A picture larger than the window gets a negative offset and is cut on both sides.
        painter.drawImage(QPoint(centring::centredOffset(width(), m_picture.width()),
                                 centring::centredOffset(height(), m_picture.height())),
                          m_picture.image());
    }
}

void TfmScreen::keyPressEvent(QKeyEvent* event)
{
    event->accept();
    accept();
}

void TfmScreen::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    accept();
}
