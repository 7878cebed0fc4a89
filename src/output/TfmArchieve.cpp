#include "output/TfmArchieve.h"

#include "language/LanguageTables.h"

#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

namespace {

constexpr int ClientWidth = 320;
constexpr int ClientHeight = 183;
const QColor Background(0xFF, 0xFF, 0x80); // light yellow
const QColor Lime(0x00, 0xFF, 0x00);

QFont arialBold(int pixelSize)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    return font;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& designText, int pixelSize,
                  const QColor& color, const QRect& geometry)
{
    auto* label = new QLabel(designText, parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(arialBold(pixelSize));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    label->setGeometry(geometry);
    return label;
}

} // namespace

TfmArchieve::TfmArchieve(const std::uint8_t& UILanguage, QWidget* parent)
    : QWidget(parent,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_language(UILanguage)
{
    setObjectName(QStringLiteral("fmArchieve"));
    setFixedSize(ClientWidth, ClientHeight);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Background);
    setPalette(palette);
    setAutoFillBackground(true);

    // The design texts are always replaced when the window is shown.
    Label1 = makeLabel(this, "Label1", QStringLiteral("Achieving..."), 27, Lime,
                       QRect(24, 20, ClientWidth - 48, 40));
    Label2 = makeLabel(this, "Label2", QStringLiteral("Please wait"), 19, Qt::black,
                       QRect(24, 70, ClientWidth - 48, 30));

    auto* gaugePanel = new QFrame(this);
    gaugePanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    gaugePanel->setLineWidth(1);
    gaugePanel->setGeometry((ClientWidth - 183) / 2, 125, 183, 21);

    Gauge1 = new QProgressBar(gaugePanel);
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    Gauge1->setRange(0, 100);
    Gauge1->setValue(0);
    Gauge1->setTextVisible(false);
    Gauge1->setGeometry(gaugePanel->contentsRect());
}

void TfmArchieve::setVisible(bool visible)
{
    // Blue on the button-shadow colour, without a border, whatever the style. A style sheet is
    // costly to set up, and the window is made at start: it is set when the window is first
    // shown.
    if (visible && Gauge1->styleSheet().isEmpty()) {
        Gauge1->setStyleSheet(QStringLiteral("QProgressBar { border: none; background: %1; }"
                                             " QProgressBar::chunk { background: #0000ff; }")
                                  .arg(palette().color(QPalette::Dark).name()));
    }
    QWidget::setVisible(visible);
}

void TfmArchieve::FormActivate()
{
    Label1->setText(language::LanguageMessages(language::MessageRow::Archieving, m_language));
    Label2->setText(language::LanguageMessages(language::MessageRow::PleaseWait, m_language));
}

void TfmArchieve::showEvent(QShowEvent* event)
{
    FormActivate();
    if (const QScreen* screen =
            this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        move(available.center() - QPoint(ClientWidth / 2, ClientHeight / 2));
    }
    QWidget::showEvent(event);
}

void TfmArchieve::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        FormActivate();
    }
    QWidget::changeEvent(event);
}
