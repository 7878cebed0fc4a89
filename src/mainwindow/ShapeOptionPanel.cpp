#include "mainwindow/ShapeOptionPanel.h"

#include "mainwindow/ShapeOptions.h"
#include "tools/DrawingState.h"
#include "widgets/ImageView.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

InvertingFrame::InvertingFrame(int penWidth, QWidget* parent)
    : QWidget(parent), m_penWidth(penWidth)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void InvertingFrame::paintEvent(QPaintEvent*)
{
    // Inverting twice would undo it, so the four sides are cut so that they do not overlap.
    const QRect r = rect();
    const int band = std::min(m_penWidth, r.height());
    const int bottom = std::min(m_penWidth, r.height() - band);
    const int side = std::min(m_penWidth, r.width());
    const int middle = r.height() - band - bottom;
    QPainter painter(this);
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter.fillRect(QRect(0, 0, r.width(), band), Qt::black);
    painter.fillRect(QRect(0, r.height() - bottom, r.width(), bottom), Qt::black);
    if (middle > 0) {
        painter.fillRect(QRect(0, band, side, middle), Qt::black);
        const int right = std::min(m_penWidth, r.width() - side);
        painter.fillRect(QRect(r.width() - right, band, right, middle), Qt::black);
    }
}

ShapeOptionPanel::ShapeOptionPanel(DrawingState& state, QWidget* parent)
    : Panel(parent), m_state(state)
{
    setBevelOuter(Bevel::Lowered);
    resize(shapeoptions::PanelWidth, shapeoptions::LinePanelHeight);
    imgshape = new ImageView(m_samples, this);
    imgshape->installEventFilter(this);
    spShape = new InvertingFrame(5, this);
    spShape->setGeometry(1, 3, 38, 10);
    spShape1 = new InvertingFrame(8, this);
    spShape1->setGeometry(1, 55, 16, 12);
    hide();
}

void ShapeOptionPanel::showMode(ToolHost::OptionPanel mode)
{
    m_mode = mode;
    resize(shapeoptions::PanelWidth, shapeoptions::panelHeight(mode));
    imgshape->setGeometry(contentRect());
    m_samples = shapeoptions::drawSamples(mode, imgshape->size(), color().rgb());
    imgshape->update();
    spShape1->setVisible(mode != ToolHost::OptionPanel::Line);
    show();
}

void ShapeOptionPanel::hideMode()
{
    m_mode.reset();
    hide();
}

void ShapeOptionPanel::imgshapeMouseUp(int x, int y)
{
    using shapeoptions::Choice;
    const Choice choice = shapeoptions::choose(m_mode, imgshape->size(), x, y);
    switch (choice.kind) {
    case Choice::Kind::Width:
        m_state.ShapeLineWidth = choice.lineWidth;
        spShape->move(spShape->x(), choice.widthFrameTop);
        break;
    case Choice::Kind::Fill:
        m_state.ShapeSolid = choice.solid;
        spShape1->move(choice.fillFrameLeft, spShape1->y());
        break;
    case Choice::Kind::None:
        break;
    }
}

bool ShapeOptionPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == imgshape && event->type() == QEvent::MouseButtonRelease) {
        const QPointF position = static_cast<QMouseEvent*>(event)->position();
        imgshapeMouseUp(int(std::floor(position.x())), int(std::floor(position.y())));
    }
    return Panel::eventFilter(watched, event);
}
