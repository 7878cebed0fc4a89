#include "mainwindow/LivePreview.h"

#include "document/Prompts.h"
#include "language/LanguageTables.h"
#include "language/PreviewTexts.h"
#include "output/TfmOutput.h"
#include "output/TfmScreen.h"
#include "widgets/Glyphs.h"
#include "widgets/KeyboardReturn.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// A slice of a sixteenth of a frame, a millisecond at 60 Hz, keeps well below one pass over a
// large picture, the longest a pointer event that paints should wait for, even on a processor
// that copies a 4000 x 3000 picture in 2 ms.
constexpr int SlicesPerFrame = 16;

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

// The finer renderer's oversampling choices.
constexpr int Oversamplings[] = {2, 4, 8};

QToolButton* makeButton(QWidget* parent, const char* name, Glyph glyph)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setIcon(glyphIcon(glyph));
    button->setAutoRaise(true);
    return button;
}

} // namespace

LivePreview::LivePreview(const RasterImage& patternStrip, const RasterImage& depthMap,
                         std::function<void(bool)> setMarksShown, Prompts& prompts, QWidget* owner)
    : QWidget(owner,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_stereogram(patternStrip, depthMap, std::move(setMarksShown)), m_prompts(prompts)
{
    setObjectName(QStringLiteral("fmLivePreview"));
    // Keys typed while painting belong to the main window.
    setAttribute(Qt::WA_ShowWithoutActivating);

    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_view = new PreviewView(m_stereogram, m_scroll);
    m_view->setAttribute(Qt::WA_OpaquePaintEvent);
    m_view->resize(pictureSize(patternStrip, depthMap));
    m_scroll->setWidget(m_view);
    buildBar();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_bar);
    layout->addWidget(m_scroll);
    setLanguage(m_language);
    showMode();

    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &LivePreview::renderSlice);

    if (const QScreen* screen = this->screen()) {
        m_frameNs = qint64(1e9 / std::clamp(screen->refreshRate(), 30.0, 240.0));
    }
}

LivePreview::~LivePreview() = default;

void LivePreview::buildBar()
{
    m_bar = new QWidget(this);
    m_bar->setObjectName(QStringLiteral("pnPreviewBar"));
    m_rendererLabel = new QLabel(m_bar);
    m_renderer = new QComboBox(m_bar);
    m_renderer->setObjectName(QStringLiteral("cbRenderer"));
    m_renderer->addItems({QString(), QString()});
    m_oversampleLabel = new QLabel(m_bar);
    m_oversample = new QComboBox(m_bar);
    m_oversample->setObjectName(QStringLiteral("cbOversample"));
    for (const int n : Oversamplings) {
        m_oversample->addItem(QStringLiteral("%1 x").arg(n), n);
    }
    m_randomStrip = new QCheckBox(m_bar);
    m_randomStrip->setObjectName(QStringLiteral("chRandomStrip"));
    m_seedLabel = new QLabel(m_bar);
    m_seed = new QSpinBox(m_bar);
    m_seed->setObjectName(QStringLiteral("seSeed"));
    m_seed->setRange(0, 999'999'999);
    m_dots = new QCheckBox(m_bar);
    m_dots->setObjectName(QStringLiteral("chDots"));
    m_save = makeButton(m_bar, "sbSavePreview", Glyph::SavePicture);
    m_fullScreen = makeButton(m_bar, "sbFullScreenPreview", Glyph::FullScreen);
    m_print = makeButton(m_bar, "sbPrintPreview", Glyph::PrintPicture);

    // Two rows, so that the bar is no wider than a small picture: the renderer and the buttons,
    // then the finer renderer's strip and dots.
    auto* rows = new QVBoxLayout(m_bar);
    rows->setContentsMargins(4, 2, 4, 2);
    rows->setSpacing(2);
    auto* first = new QHBoxLayout;
    auto* second = new QHBoxLayout;
    rows->addLayout(first);
    rows->addLayout(second);
    for (QWidget* part : std::initializer_list<QWidget*>{m_rendererLabel, m_renderer,
                                                         m_oversampleLabel, m_oversample}) {
        first->addWidget(part);
    }
    first->addStretch();
    for (QWidget* part : {m_save, m_fullScreen, m_print}) {
        first->addWidget(part);
    }
    for (QWidget* part :
         std::initializer_list<QWidget*>{m_randomStrip, m_seedLabel, m_seed, m_dots}) {
        second->addWidget(part);
    }
    second->addStretch();

    connect(m_renderer, &QComboBox::currentIndexChanged, this, &LivePreview::modeChosen);
    connect(m_oversample, &QComboBox::currentIndexChanged, this, &LivePreview::modeChosen);
    connect(m_randomStrip, &QCheckBox::toggled, this, &LivePreview::modeChosen);
    connect(m_seed, &QSpinBox::valueChanged, this, &LivePreview::modeChosen);
    connect(m_dots, &QCheckBox::toggled, this, &LivePreview::modeChosen);
    connect(m_save, &QToolButton::clicked, this, &LivePreview::saveClick);
    connect(m_fullScreen, &QToolButton::clicked, this, &LivePreview::fullScreenClick);
    connect(m_print, &QToolButton::clicked, this,
            [this] { emit printRequested(m_stereogram.picture()); });
}

void LivePreview::setLanguage(std::uint8_t language)
{
    using language::PreviewText;
    m_language = language;
    auto text = [language](PreviewText which) { return language::PreviewTexts(which, language); };
    setWindowTitle(language::LanguageText(language::TextTarget::LivePreviewItem, language));
    m_rendererLabel->setText(text(PreviewText::Renderer));
    m_renderer->setItemText(0, text(PreviewText::AsMake3D));
    m_renderer->setItemText(1, text(PreviewText::Fine));
    m_oversampleLabel->setText(text(PreviewText::Oversampling));
    m_randomStrip->setText(text(PreviewText::RandomDots));
    m_seedLabel->setText(text(PreviewText::Seed));
    m_dots->setText(text(PreviewText::ConvergenceDots));
    m_save->setToolTip(text(PreviewText::SaveHint));
    m_fullScreen->setToolTip(text(PreviewText::FullScreenHint));
    m_print->setToolTip(text(PreviewText::PrintHint));
}

void LivePreview::setMode(const LiveStereogram::Mode& mode)
{
    if (mode == m_stereogram.mode()) {
        return;
    }
    m_stereogram.setMode(mode);
    showMode();
    if (!isHidden()) {
        schedule();
    }
}

// The bar shows the stereogram's mode; the finer renderer's choices are enabled only with it,
// the buttons only while there is a whole picture.
void LivePreview::showMode()
{
    const LiveStereogram::Mode& mode = m_stereogram.mode();
    const QSignalBlocker blockRenderer(m_renderer);
    const QSignalBlocker blockOversample(m_oversample);
    const QSignalBlocker blockRandom(m_randomStrip);
    const QSignalBlocker blockSeed(m_seed);
    const QSignalBlocker blockDots(m_dots);
    m_renderer->setCurrentIndex(mode.fine ? 1 : 0);
    const int oversample = m_oversample->findData(mode.options.oversample);
    if (oversample >= 0) {
        m_oversample->setCurrentIndex(oversample);
    }
    m_randomStrip->setChecked(mode.randomStrip);
    m_seed->setValue(int(std::min<quint32>(mode.seed, quint32(m_seed->maximum()))));
    m_dots->setChecked(mode.options.dots);
    for (QWidget* part :
         std::initializer_list<QWidget*>{m_oversampleLabel, m_oversample, m_randomStrip, m_dots}) {
        part->setEnabled(mode.fine);
    }
    m_seedLabel->setEnabled(mode.fine && mode.randomStrip);
    m_seed->setEnabled(mode.fine && mode.randomStrip);
    for (QWidget* button : {m_save, m_fullScreen, m_print}) {
        button->setEnabled(m_stereogram.hasPicture());
    }
}

void LivePreview::modeChosen()
{
    LiveStereogram::Mode mode;
    mode.fine = m_renderer->currentIndex() == 1;
    mode.options.oversample = m_oversample->currentData().toInt();
    mode.options.dots = m_dots->isChecked();
    mode.randomStrip = m_randomStrip->isChecked();
    mode.seed = quint32(m_seed->value());
    setMode(mode);
}

void LivePreview::saveClick()
{
    if (!m_stereogram.hasPicture()) {
        return;
    }
    const Prompts::FileDialog setup{
        QStringLiteral("*.png"), QStringLiteral("PNG"),
        language::PreviewTexts(language::PreviewText::SaveFilter, m_language)};
    const QString chosen = m_prompts.chooseSaveFile(setup);
    if (!chosen.isEmpty()) {
        TfmOutput::savePicture(m_stereogram.picture(), chosen, m_prompts);
    }
}

void LivePreview::fullScreenClick()
{
    if (!m_stereogram.hasPicture()) {
        return;
    }
    // The screen shows the picture as it is now while the preview goes on following edits.
    const RasterImage picture = m_stereogram.picture();
    const KeyboardReturn keyboard(parentWidget() ? parentWidget()->windowHandle() : nullptr);
    TfmScreen screen(picture, this);
    screen.exec();
}

QSize LivePreview::sizeHint() const
{
    const QSize picture = m_stereogram.hasPicture() ? QSize(m_stereogram.picture().width(),
                                                            m_stereogram.picture().height())
                                                    : m_view->size();
    QSize room(800, 600);
    if (const QScreen* screen = this->screen()) {
        room = screen->availableGeometry().size() * 3 / 4;
    }
    room.rheight() -= m_bar->sizeHint().height();
    QSize hint = picture.boundedTo(room);
    // A picture cut by the bound scrolls.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    if (picture.width() > hint.width()) {
        hint.rheight() = std::min(hint.height() + bar, room.height());
    }
    if (picture.height() > hint.height()) {
        hint.rwidth() = std::min(hint.width() + bar, room.width());
    }
    hint.rheight() += m_bar->sizeHint().height();
    return hint.expandedTo(QSize(m_bar->sizeHint().width(), 80));
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
    showMode();
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
        showMode();
        emit shownChanged(false);
    }
}
