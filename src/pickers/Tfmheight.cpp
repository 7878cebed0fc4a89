#include "pickers/Tfmheight.h"

#include "tools/DrawingState.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QValidator>

#include <cmath>

namespace {

// The design's 110 pixels wide, less the dialog border.
constexpr int ClientWidth = 104;
constexpr int ClientHeight = 264;

// Shows the scale raster unscaled; its last column lies under the panel's edge.
class ScaleView final : public QWidget
{
public:
    ScaleView(const HeightScale& scale, QWidget* parent) : QWidget(parent), m_scale(scale) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).drawImage(0, 0, m_scale.raster().image());
    }

private:
    const HeightScale& m_scale;
};

// At most two characters typed; a longer text set by the palette itself ("100") stays whole,
// which a maximum length would cut.
class TwoCharacters final : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        return input.size() <= 2 ? Acceptable : Invalid;
    }
};

} // namespace

Tfmheight::Tfmheight(DrawingState& state, ColorRef& groundColor, QWidget* owner)
    : FloatingPalette(owner), m_state(state),
      m_scale(colorref::fromRgb(palette().color(QPalette::Window).rgb()))
{
    setObjectName(QStringLiteral("fmheight"));
    setWindowTitle(QStringLiteral("Height"));
    setFixedSize(ClientWidth, ClientHeight);

    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setGeometry(0, 2, 101, 217);
    Image1 = new ScaleView(m_scale, Panel1);
    Image1->setGeometry(9, 9, HeightScale::Width - 1, HeightScale::Height);
    Image1->installEventFilter(this);

    Panel2 = new QFrame(this);
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel2->setGeometry(60, 232, 33, 27);
    Panel2->setAutoFillBackground(true);

    watchPresses();
    groundColor = m_scale.ScaleColorAt(1) + colorref::KindPaletteRgb;
    UpdateSwatch();
}

QLineEdit* Tfmheight::Edit1()
{
    if (!m_edit) {
        makeNumberBox();
    }
    return m_edit;
}

// It shows "50" at first: the chosen position's text, which is all it ever shows until the user
// types in it.
void Tfmheight::makeNumberBox()
{
    m_edit = new QLineEdit(m_scale.positionText(), this);
    m_edit->setGeometry(16, 234, 31, 23);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    m_edit->setFont(font);
    QPalette editPalette = m_edit->palette();
    editPalette.setColor(QPalette::Text, Qt::black);
    m_edit->setPalette(editPalette);
    m_edit->setValidator(new TwoCharacters(m_edit));
    // Presses bring the window to the front, and Enter chooses the typed height.
    m_edit->installEventFilter(this);
}

void Tfmheight::setVisible(bool visible)
{
    if (visible) {
        Edit1();
    }
    FloatingPalette::setVisible(visible);
}

void Tfmheight::showPosition()
{
    if (m_edit) {
        m_edit->setText(m_scale.positionText());
    }
}

void Tfmheight::FormActivate()
{
    m_scale.activate(m_state);
    UpdateSwatch();
    showScale();
}

void Tfmheight::SyncFromCurrentColor()
{
    m_scale.SyncFromCurrentColor(m_state.CurrentColor);
    showPosition();
    showScale();
}

void Tfmheight::UpdateSwatch()
{
    QPalette swatch = Panel2->palette();
    swatch.setColor(QPalette::Window, colorref::toRgb(m_scale.chosenColor()));
    Panel2->setPalette(swatch);
}

void Tfmheight::showScale()
{
    Image1->update();
}

bool Tfmheight::eventFilter(QObject* watched, QEvent* event)
{
    // Presses bring the window to the front first.
    FloatingPalette::eventFilter(watched, event);
    if (watched == Image1) {
        // The scale uses the pointer up; its parents do not see it.
        return scaleMouse(event);
    }
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
            key->text() == QLatin1String("\r")) {
            Edit1KeyPress();
            return true;
        }
    }
    return false;
}

// While a button is held the scale keeps the pointer, so rows beyond its ends arrive and clamp.
bool Tfmheight::scaleMouse(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        m_scale.Dragging = true;
        break;
    case QEvent::MouseMove:
        if (!m_scale.Dragging) {
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        m_scale.Dragging = false;
        return true;
    default:
        return false;
    }
    const int y = static_cast<int>(std::floor(static_cast<QMouseEvent*>(event)->position().y()));
    m_scale.chooseByPointer(y, m_state);
    showPosition();
    showScale();
    UpdateSwatch();
    return true;
}

// The text stays as typed.
void Tfmheight::Edit1KeyPress()
{
    if (m_scale.chooseByNumber(m_edit->text(), m_state)) {
        UpdateSwatch();
        showScale();
    }
}
