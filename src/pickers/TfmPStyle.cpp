#include "pickers/TfmPStyle.h"

#include "pickers/PenStyleChoice.h"
#include "tools/DrawingState.h"
#include "widgets/Panel.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {

// The design's width of 80 less the sizeable border: the first three columns and two pixels of
// the fourth show; the user widens the window to reach size 3.
constexpr int ClientWidth = 72;
constexpr int ClientHeight = 88;

// The picture, unscaled from the top-left corner.
class PictureView final : public QWidget
{
public:
    PictureView(QWidget* parent) : QWidget(parent), m_picture(penstyle::picture()) {}

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, m_picture); }

private:
    const QImage m_picture;
};

// A grey outline two pixels wide, unfilled; the picture under it takes the pointer.
class Frame final : public QWidget
{
public:
    Frame(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_TransparentForMouseEvents); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QColor grey(128, 128, 128);
        const int w = width();
        const int h = height();
        painter.fillRect(0, 0, w, 2, grey);
        painter.fillRect(0, h - 2, w, 2, grey);
        painter.fillRect(0, 0, 2, h, grey);
        painter.fillRect(w - 2, 0, 2, h, grey);
    }
};

} // namespace

TfmPStyle::TfmPStyle(DrawingState& state, QWidget* owner)
    : QWidget(owner,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_state(state)
{
    setObjectName(QStringLiteral("fmPStyle"));
    setWindowTitle(QStringLiteral("Pen Style"));
    // Keys typed while the pencil is chosen belong to the main window.
    setAttribute(Qt::WA_ShowWithoutActivating);
    resize(ClientWidth, ClientHeight);

    Panel1 = new Panel(Panel::Bevel::Lowered, Panel::Bevel::Raised, this);
    Panel1->setTopLeftCorners(Panel::Corners::None);
    Panel1->setGeometry(8, 2, 85, 83);
    Image1 = new PictureView(Panel1);
    Image1->setGeometry(2, 2, 81, 79);
    Image1->installEventFilter(this);
    Shape1 = new Frame(Panel1);
    Shape1->setGeometry(1, 1, 20, 20);

    m_state.PenSize = 0;
    m_state.PenSquare = false;
    m_state.PenSpray = false;
}

// A release anywhere counts, also one dragged out of the picture: the picture keeps the
// pointer while a button is held.
bool TfmPStyle::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease) {
        const QPointF at = static_cast<QMouseEvent*>(event)->position();
        Shape1->move(penstyle::pick(static_cast<int>(std::floor(at.x())),
                                    static_cast<int>(std::floor(at.y())), m_state));
        return true;
    }
    return false;
}
