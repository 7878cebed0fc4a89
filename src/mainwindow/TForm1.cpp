// The main window's construction and layout. Panes, splitter and grips are in TForm1Panes.cpp;
// the tools' events, the Edit and View menus in TForm1Tools.cpp.

#include "mainwindow/TForm1.h"

#include "mainwindow/EditorToolHost.h"
#include "mainwindow/ImagePane.h"
#include "mainwindow/LivePreview.h"
#include "output/TfmArchieve.h"
#include "output/TfmOutput.h"
#include "print/Pntmange.h"
#include "tools/TDrawTool.h"
#include "widgets/ImageView.h"
#include "widgets/Panel.h"
#include "widgets/ScrollBox.h"
#include "widgets/Shape.h"

#include <QApplication>
#include <QMenu>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

namespace {

constexpr int SpeedBarHeight = 34;
constexpr int StatusBarHeight = 24;
constexpr int ToolbarWidth = 69;
constexpr int SplitterWidth = 6;
constexpr int MinimumWindowWidth = 400;
constexpr int HelpButtonGap = 20;
constexpr int PositionFieldWidth = 80;
constexpr int SizeFieldWidth = 72;
constexpr int ModifiedFieldWidth = 64;
constexpr int ZoomFieldWidth = 52;

// The designed fonts of the status fields do not exist everywhere, and their stand-ins are
// wider: take the first of the families at the largest pixel size, from the designed one down,
// at which the widest text the field shows fits between its bevels.
QFont fittingFont(const QStringList& families, int pixelSize, const QString& widest, int width)
{
    QFont font(families.first());
    for (int size = pixelSize; size > 6; --size) {
        for (const QString& family : families) {
            font.setFamily(family);
            font.setPixelSize(size);
            if (QFontMetrics(font).horizontalAdvance(widest) <= width) {
                return font;
            }
        }
    }
    return font;
}

// Gives `field`, which owns it, the fitting font just before the field is first painted. Each font
// tried is loaded, and a character missing from them sends the font system through every installed
// font: fitting both status fields took a third of the main window's construction, which need not
// wait for it.
class FontFitter final : public QObject
{
public:
    FontFitter(Panel* field, QStringList families, int pixelSize, QString widest, int width)
        : QObject(field), m_families(std::move(families)), m_widest(std::move(widest)),
          m_pixelSize(pixelSize), m_width(width)
    {
        field->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            static_cast<QWidget*>(watched)->setFont(
                fittingFont(m_families, m_pixelSize, m_widest, m_width));
            deleteLater();
        }
        return false;
    }

private:
    const QStringList m_families;
    const QString m_widest;
    const int m_pixelSize;
    const int m_width;
};

} // namespace

TForm1::TForm1(Prompts& prompts, QWidget* parent) : QMainWindow(parent), m_prompts(prompts)
{
    QFont font = QApplication::font();
    font.setPixelSize(13);
    setFont(font);

    auto* central = new QWidget(this);
    setCentralWidget(central);
    central->installEventFilter(this);

    PnBackground = new Panel(central);
    PnBackground->setObjectName(QStringLiteral("PnBackground"));
    PnBackground->setBevelOuter(Panel::Bevel::None);
    createCommands();
    createMenus();
    createRecentProjectsMenu();
    createBars();
    createPanes();
    createStatusBar();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(10000);
    connect(Timer1, &QTimer::timeout, this,
            [this] { withTool([](TDrawTool& tool) { tool.Tick(); }); });
    Timer1->start();

    m_toolHost = std::make_unique<EditorToolHost>(
        m_drawing, m_prompts, FontDialog1,
        EditorToolHost::Parts{Panel1->image(), Panel3->image(), Panel5, Text->menuAction(), Timer1,
                              [this](const QRect& area) {
                                  tellLivePreview(area);
                                  scheduleChangeCheck();
                              }});
    // Comparing the pictures with the saved ones waits until editing pauses.
    m_changeCheck = new QTimer(this);
    m_changeCheck->setSingleShot(true);
    m_changeCheck->setInterval(300);
    connect(m_changeCheck, &QTimer::timeout, this, &TForm1::showUnsavedChanges);
    FontDialog1.font = QFont(QStringLiteral("Arial"));
    FontDialog1.font.setBold(true);
    FontDialog1.font.setPixelSize(60);
    FontDialog1.color = colorref::Black;
    // Key preview: every character typed anywhere in the window reaches the tools first.
    installKeyPreview();
    setAcceptDrops(true);

    setMinimumWidth(MinimumWindowWidth);
    resize(564, 449);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        move(available.center() - rect().center());
    }
    UpdateCaption();
}

TForm1::~TForm1()
{
    // The application's key filter would otherwise call into this window while it is taken
    // apart.
    delete m_keyPreview;
    // The tool's destructor still talks to this window, so it must go while the window is whole;
    // the output window refers to the progress window.
    m_drawTool.reset();
    delete m_livePreview;
    m_output.reset();
    m_progress.reset();
}

void TForm1::createStatusBar()
{
    pnStatusBar = new Panel(centralWidget());
    pnStatusBar->setBevelOuter(Panel::Bevel::None);
    pnStatusBar->setBorderWidth(1);
    pnStatusBar->setAttribute(Qt::WA_TransparentForMouseEvents);
    pnStatusBar->setObjectName(QStringLiteral("pnStatusBar"));
    auto field = [this](const char* name) {
        auto* panel = new Panel(pnStatusBar);
        panel->setObjectName(QLatin1String(name));
        panel->setBevelOuter(Panel::Bevel::Lowered);
        return panel;
    };
    pnStu = field("pnStu");
    pnStuPos = field("pnStuPos");
    pnStuSize = field("pnStuSize");
    pnStuModified = field("pnStuModified");
    pnStuModified->hide();
    pnStuZoom = field("pnStuZoom");
    pnStuZoom->hide();
    // Numbers of up to five characters (-9999 to 99999) fit; digits are equally wide.
    pnStuPos->resize(PositionFieldWidth, StatusBarHeight);
    new FontFitter(pnStuPos, {QStringLiteral("MS Sans Serif"), QStringLiteral("Arial")}, 13,
                   QStringLiteral("x=88888,y=88888"), pnStuPos->contentRect().width() - 2);
    pnStuSize->resize(SizeFieldWidth, StatusBarHeight);
    new FontFitter(pnStuSize, {QStringLiteral("Arial")}, 11,
                   QStringLiteral(" ") + QChar(0x81) + QStringLiteral(" 88888x88888"),
                   pnStuSize->contentRect().width() - 2);
    for (Panel* panel : {pnStuPos, pnStuSize}) {
        QPalette palette = panel->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        panel->setPalette(palette);
    }
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    // A window manager keeps the window at its minimum width; without one the window system
    // may make it narrower, and it springs back.
    if (width() < MinimumWindowWidth) {
        resize(MinimumWindowWidth, height());
        return;
    }
    layoutWindow();
    // Once the window system has put the window where its new state has it.
    QTimer::singleShot(0, this, &TForm1::keepPalettesClear);
}

void TForm1::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    QTimer::singleShot(0, this, &TForm1::keepPalettesClear);
}

// Lays out the bars and the background the way aligned panels do: the speed bar on top, the
// status bar at the bottom, the background in between; a hidden bar takes no room.
void TForm1::layoutWindow()
{
    QWidget* central = centralWidget();
    const int width = central->width();
    const int height = central->height();
    const int top = SpeedBar->isHidden() ? 0 : SpeedBarHeight;
    SpeedBar->setGeometry(0, 0, width, SpeedBarHeight);
    QToolButton* help = button("sbHelp");
    help->move(this->width() - help->width() - HelpButtonGap, help->y());
    pnStatusBar->setGeometry(0, height - StatusBarHeight, width, StatusBarHeight);
    PnBackground->setGeometry(0, top, width, std::max(0, height - StatusBarHeight - top));

    const QRect inside = pnStatusBar->rect().adjusted(1, 1, -1, -1);
    pnStuSize->setGeometry(inside.right() - SizeFieldWidth + 1, inside.top(), SizeFieldWidth,
                           inside.height());
    pnStuPos->setGeometry(pnStuSize->x() - PositionFieldWidth, inside.top(), PositionFieldWidth,
                          inside.height());
    int hintsRight = pnStuPos->x();
    if (!pnStuZoom->isHidden()) {
        hintsRight -= ZoomFieldWidth;
        pnStuZoom->setGeometry(hintsRight, inside.top(), ZoomFieldWidth, inside.height());
    }
    if (!pnStuModified->isHidden()) {
        hintsRight -= ModifiedFieldWidth;
        pnStuModified->setGeometry(hintsRight, inside.top(), ModifiedFieldWidth, inside.height());
    }
    pnStu->setGeometry(inside.left(), inside.top(), std::max(0, hintsRight - inside.left()),
                       inside.height());
    layoutBackground();
}

// Left to right: the tool bar, the left pane with the width the splitter gave it, the
// splitter, and the right pane filling the rest.
void TForm1::layoutBackground()
{
    const int height = PnBackground->height();
    int left = 0;
    Toolbar->setGeometry(0, 0, ToolbarWidth, height);
    if (!Toolbar->isHidden()) {
        left = ToolbarWidth;
    }
    Panel1->setGeometry(left, 0, m_leftPaneWidth, height);
    Panel2->setGeometry(Panel1->x() + Panel1->width(), 0, SplitterWidth, height);
    const int rightLeft = Panel2->x() + SplitterWidth;
    Panel3->setGeometry(rightLeft, 0,
                        std::max(0, PnBackground->width() - m_paletteColumn - rightLeft), height);
    Panel1->fitContents();
    Panel3->fitContents();
}

bool TForm1::dragging() const
{
    return Dragging || Panel1->gripDragged() || Panel3->gripDragged();
}
