#include "output/TfmScreen.h"

#include "output/Centring.h"
#include "raster/RasterImage.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

TfmScreen::TfmScreen(const RasterImage& picture, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_picture(picture)
{
    setObjectName(QStringLiteral("fmScreen"));
    setModal(true);
    // Without a window manager nobody acts on the full-screen state, and the window would keep
    // the size of a widget without contents: it takes the screen's geometry itself.
    if (QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        setGeometry(screen->geometry());
    }
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
