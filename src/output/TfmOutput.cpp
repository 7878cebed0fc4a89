#include "output/TfmOutput.h"

#include "document/DocumentState.h"
#include "document/Prompts.h"
#include "document/RememberedPlaces.h"
#include "document/TMy3DFile.h"
#include "output/Centring.h"
#include "output/TfmArchieve.h"
#include "output/TfmScreen.h"
#include "render/StereogramRenderer.h"
#include "widgets/Glyphs.h"
#include "widgets/KeyboardReturn.h"
#include "widgets/Panel.h"
#include "widgets/WaitCursor.h"

#include <QEvent>
#include <QFrame>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <new>

namespace {

constexpr int IdleInterval = 50;   // ms, from creation until a rendering starts
constexpr int RenderInterval = 10; // ms per row

const QString FilesSection = QStringLiteral("Files");
const QString TargetFileKey = QStringLiteral("TargetFile");

// Image1: the picture unscaled at its top-left corner.
class PictureView final : public QWidget
{
public:
    PictureView(const RasterImage& picture, QWidget* parent) : QWidget(parent), m_picture(picture)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        if (!m_picture.isEmpty()) {
            painter.drawImage(0, 0, m_picture.image());
        }
    }

private:
    const RasterImage& m_picture;
};

QToolButton* makeSpeedButton(QWidget* parent, const char* name, Glyph glyph, const QString& hint,
                             int left)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setIcon(glyphIcon(glyph));
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setGeometry(left, 2, 25, 25);
    return button;
}

} // namespace

TfmOutput::TfmOutput(TfmArchieve& progress, DocumentState& document, Prompts& prompts,
                     const RasterImage& patternStrip, const RasterImage& depthMap, QWidget* parent)
    : QWidget(parent, Qt::Window), m_progress(&progress), m_document(document), m_prompts(prompts),
      m_patternStrip(patternStrip), m_depthMap(depthMap),
      m_renderer(std::make_unique<StereogramRenderer>(m_picture))
{
    setObjectName(QStringLiteral("fmOutput"));
    setWindowTitle(QStringLiteral("3D-Picture"));
    resize(506, 423);

    // Two lowered bevels with a gap of 1 pixel between them, around Image1.
    // A picture larger than the room above the button bar scrolls; a smaller one sits centred.
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("PictureScroll"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(false);
    m_canvas = new QWidget;
    m_scroll->setWidget(m_canvas);
    Panel2 = new Panel(Panel::Bevel::Lowered, Panel::Bevel::Lowered, m_canvas, 1, 1);
    Panel2->setTopLeftCorners(Panel::Corners::None);
    Q_ASSERT(Panel2->frameWidth() == Panel2Inset);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Image1 = new PictureView(m_picture, Panel2);
    Image1->setObjectName(QStringLiteral("Image1"));

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    SbSave = makeSpeedButton(Panel1, "SbSave", Glyph::SavePicture,
                             QStringLiteral("Save 3D-Pic as BMP"), 4);
    SpeedButton1 = makeSpeedButton(Panel1, "SpeedButton1", Glyph::FullScreen,
                                   QStringLiteral("Full Screen"), 31);
    SpeedButton5 = makeSpeedButton(Panel1, "SpeedButton5", Glyph::PrintPicture,
                                   QStringLiteral("Print 3D Picture"), 58);
    SpeedButton5->setEnabled(false);
    connect(SbSave, &QToolButton::clicked, this, &TfmOutput::SbSaveClick);
    connect(SpeedButton1, &QToolButton::clicked, this, &TfmOutput::SpeedButton1Click);
    connect(SpeedButton5, &QToolButton::clicked, this, &TfmOutput::SpeedButton5Click);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, &TfmOutput::Timer1Timer);
    Timer1->start(IdleInterval);
}

TfmOutput::~TfmOutput()
{
    // A rendering cut short must not leave the progress window up. The progress window may
    // already be gone when both die with the main window.
    if (renderingInProgress() && m_progress) {
        m_progress->hide();
    }
}

bool TfmOutput::renderingInProgress() const
{
    return m_renderer->Rendering() && !m_renderer->RenderDone();
}

void TfmOutput::Make3D()
{
    hide();
    m_progress->Gauge1->setValue(0);
    m_progress->show();
    emit renderingStarted();

    const int frameWidth = frameGeometry().width() - geometry().width();
    resize(std::max(m_depthMap.width() + m_patternStrip.width() + 20 - frameWidth, 1),
           m_depthMap.height() + Panel1Height + 20);

    // Frees the old picture before the new one is allocated.
    m_picture = RasterImage();
    try {
        m_renderer->PrepareOutput(m_patternStrip, m_depthMap);
    } catch (const std::bad_alloc&) {
        m_renderer = std::make_unique<StereogramRenderer>(m_picture);
        m_picture = RasterImage();
        m_progress->hide();
        Timer1->stop();
        m_prompts.showError(
            QStringLiteral("Cannot make the 3D picture: %1 x %2 pixels do not fit in memory.")
                .arg(m_patternStrip.width() + m_depthMap.width())
                .arg(m_depthMap.height()));
        return;
    }
    FormResize();
    Timer1->start(RenderInterval);
}

void TfmOutput::Timer1Timer()
{
    if (!renderingInProgress()) {
        return;
    }
    const int progress = m_renderer->RenderRow(m_patternStrip.width(), m_depthMap.height());
    if (progress != StereogramRenderer::EndMark) {
        m_progress->Gauge1->setValue(progress);
        return;
    }
    // Done: nothing is left for the timer to do until the next rendering.
    Timer1->stop();
    emit renderingFinished();
    placeOnScreen();
    show();
    fitOnScreen();
    setWindowTitle(QStringLiteral("3D-Picture  - [") + m_document.ProjectFileName +
                   QLatin1Char(']'));
    m_progress->hide();
}

bool TfmOutput::loadTarget(const QString& fileName, QString* error)
{
    RasterImage loaded;
    if (!loaded.load(fileName, error)) {
        return false;
    }
    // A rendering in progress would go on writing rows into the loaded picture.
    if (renderingInProgress()) {
        Timer1->stop();
        m_progress->hide();
    }
    m_renderer = std::make_unique<StereogramRenderer>(m_picture);
    m_picture = std::move(loaded);
    FormResize();
    return true;
}

// A new window goes to the middle of its screen, no larger than the screen, rather than wherever
// the window system puts a window it knows nothing about (without a window manager: over the
// main window's menu).
void TfmOutput::placeOnScreen()
{
    fitOnScreen();
    const QScreen* screen = this->screen();
    if (screen && !testAttribute(Qt::WA_Moved)) {
        const QRect available = screen->availableGeometry();
        const QSize outer = frameGeometry().size();
        move(std::max(available.left(), available.center().x() - outer.width() / 2),
             std::max(available.top(), available.center().y() - outer.height() / 2));
    }
}

// A window taller or wider than the screen would put its buttons out of reach; the picture,
// top-left corner first, is then cut at the window's edge instead. The frame's size is known
// only once the window shows, so this runs again then.
void TfmOutput::fitOnScreen()
{
    if (const QScreen* screen = this->screen()) {
        const QSize frame = frameGeometry().size() - size();
        const QSize fits = size().boundedTo(screen->availableGeometry().size() - frame);
        if (fits != size()) {
            resize(fits);
        }
    }
}

void TfmOutput::showAgain()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    placeOnScreen();
    show();
    fitOnScreen();
    raise();
    activateWindow();
}

void TfmOutput::SbSaveClick()
{
    const bool titled = !m_document.ProjectFileName.isEmpty();
    TMy3DFile project(m_document.ProjectFileName);
    Prompts::FileDialog setup{QStringLiteral("*.bmp"), QStringLiteral("BMP"),
                              QStringLiteral("BitMap[*.bmp]|*.bmp"), RememberedPlaces::Outputs};
    if (titled) {
        setup.fileName = project.readString(FilesSection, TargetFileKey);
    }
    const QString chosen = m_prompts.chooseSaveFile(setup);
    if (chosen.isEmpty()) {
        return;
    }

    if (!savePicture(m_picture, chosen, m_prompts)) {
        return;
    }
    QString error;
    // A target already named in the project file stays there until the project is saved.
    if (titled && project.readString(FilesSection, TargetFileKey).isEmpty() &&
        !project.writeString(FilesSection, TargetFileKey, chosen, &error)) {
        m_prompts.showError(error);
    }
    // The picture is on disk under this name even when the project file could not record it.
    m_document.TargetFileName = chosen;
}

bool TfmOutput::savePicture(const RasterImage& picture, const QString& fileName, Prompts& prompts)
{
    QString error;
    bool saved = false;
    {
        const WaitCursor wait;
        saved = picture.save(fileName, &error);
    }
    if (!saved) {
        prompts.showError(error);
    }
    return saved;
}

void TfmOutput::SpeedButton1Click()
{
    const KeyboardReturn keyboard;
    TfmScreen screen(m_picture, this);
    screen.exec();
}

void TfmOutput::SpeedButton5Click()
{
    emit printRequested();
}

void TfmOutput::FormResize()
{
    // The picture itself is centred; the bevels lie around it.
    const QSize pictureSize(m_picture.width(), m_picture.height());
    const QPoint inset(Panel2Inset, Panel2Inset);
    const QSize framed = pictureSize + 2 * QSize(inset.x(), inset.y());
    Image1->setGeometry(QRect(inset, pictureSize));
    Image1->update();

    // Each scroll bar that shows takes room from the other direction.
    const QSize area(width(), std::max(0, height() - Panel1Height));
    const int barWidth =
        m_scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scroll);
    bool across = framed.width() > area.width();
    const bool down = framed.height() > area.height() - (across ? barWidth : 0);
    across = framed.width() > area.width() - (down ? barWidth : 0);
    const QSize view = area - QSize(down ? barWidth : 0, across ? barWidth : 0);

    // Scrolled, the frame starts at the canvas's corner so that its bevels can be seen too.
    QPoint picturePosition =
        centring::framePosition(view + QSize(0, Panel1Height), Panel1Height, pictureSize);
    if (across) {
        picturePosition.setX(inset.x());
    }
    if (down) {
        picturePosition.setY(inset.y());
    }
    m_scroll->setGeometry(QRect(QPoint(0, 0), area));
    m_scroll->setHorizontalScrollBarPolicy(across ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    m_scroll->setVerticalScrollBarPolicy(down ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    m_canvas->resize(view.expandedTo(framed));
    Panel2->setGeometry(QRect(picturePosition - inset, framed));
}

void TfmOutput::resizeEvent(QResizeEvent* event)
{
    Panel1->setGeometry(0, height() - Panel1Height, width(), Panel1Height);
    FormResize();
    QWidget::resizeEvent(event);
}

void TfmOutput::showEvent(QShowEvent* event)
{
    FormResize();
    QWidget::showEvent(event);
}

void TfmOutput::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        FormResize();
    }
    QWidget::changeEvent(event);
}
