// The main window's construction and layout. Panes, splitter and grips are in TForm1Panes.cpp;
// the tools' events, the Edit and View menus in TForm1Tools.cpp.

#include "mainwindow/TForm1.h"

#include "mainwindow/LivePreview.h"
#include "output/TfmArchieve.h"
#include "output/TfmOutput.h"
#include "print/Pntmange.h"
#include "tools/TDrawTool.h"
#include "widgets/Glyphs.h"
#include "widgets/ImageView.h"
#include "widgets/Panel.h"
#include "widgets/ScrollBox.h"
#include "widgets/Shape.h"

#include <QApplication>
#include <QButtonGroup>
#include <QMenuBar>
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

// A hint's tooltip is what it says before "|"; a hint without "|" is all tooltip.
QString tooltipOf(const QString& hint)
{
    return hint.section(QLatin1Char('|'), 0, 0);
}

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
    PnBackground->setBevelOuter(Panel::Bevel::None);
    createMenus();
    createSpeedBar();
    createToolBar();
    createPanes();
    createStatusBar();

    Timer1 = new QTimer(this);
    Timer1->setInterval(10000);
    connect(Timer1, &QTimer::timeout, this, [this] {
        if (m_drawTool) {
            m_drawTool->Tick();
        }
    });
    Timer1->start();

    connectToolCommands();
    connectProjectCommands();
    connectPrintCommands();
    connectStartupCommands();
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

void TForm1::createMenus()
{
    auto item = [this](QMenu* menu, const QString& caption, const char* shortcut = nullptr) {
        QAction* action = menu->addAction(caption);
        if (shortcut) {
            action->setShortcut(QKeySequence(QString::fromLatin1(shortcut)));
        }
        return action;
    };

    FileMenu = menuBar()->addMenu(tr("&File"));
    FileNewItem = item(FileMenu, QStringLiteral("&New 3D Picture"));
    FileOpenItem = item(FileMenu, QStringLiteral("&Open 3D Picture..."));
    FileSaveItem = item(FileMenu, QStringLiteral("&Save"));
    FileSaveAsItem = item(FileMenu, QStringLiteral("Save &As..."));
    FileMenu->addSeparator();
    PrintPreview = item(FileMenu, QStringLiteral("Print Pre&view"));
    FilePrintSetupItem = item(FileMenu, QStringLiteral("P&rint Setup..."));
    FilePrintItem = item(FileMenu, QStringLiteral("&Print"));
    FileMenu->addSeparator();
    FileExitItem = item(FileMenu, QStringLiteral("E&xit"));
    // The platform's keys for the project commands, none of them a key the editor uses
    // otherwise. Where the platform names none, the keys GNOME and KDE use.
    const auto standardKeys = [](QAction* action, QKeySequence::StandardKey key,
                                 const char* otherwise) {
        QList<QKeySequence> keys = QKeySequence::keyBindings(key);
        if (keys.isEmpty()) {
            keys.append(QKeySequence(QString::fromLatin1(otherwise)));
        }
        action->setShortcuts(keys);
    };
    standardKeys(FileNewItem, QKeySequence::New, "Ctrl+N");
    standardKeys(FileOpenItem, QKeySequence::Open, "Ctrl+O");
    standardKeys(FileSaveItem, QKeySequence::Save, "Ctrl+S");
    standardKeys(FileSaveAsItem, QKeySequence::SaveAs, "Ctrl+Shift+S");
    standardKeys(FilePrintItem, QKeySequence::Print, "Ctrl+P");
    standardKeys(FileExitItem, QKeySequence::Quit, "Ctrl+Q");

    EditMenu = menuBar()->addMenu(QStringLiteral("&Edit"));
    EditUndoItem = item(EditMenu, QStringLiteral("&Undo"), "Ctrl+Z");
    EditMenu->addSeparator();
    EditCutItem = item(EditMenu, QStringLiteral("Cu&t  "), "Ctrl+X");
    EditCopyItem = item(EditMenu, QStringLiteral("&Copy  "), "Ctrl+C");
    EditPasteItem = item(EditMenu, QStringLiteral("&Paste  "), "Ctrl+V");
    CopyFrom1 = item(EditMenu, QStringLiteral("Copy &From...."));

    View1 = menuBar()->addMenu(QStringLiteral("&View"));
    V3DPicture = item(View1, QStringLiteral("&3D-Picutre"));
    V3DPicture->setEnabled(false);
    View1->addSeparator();
    HighColorPalette = item(View1, QStringLiteral("&High Color Palette"));
    N20ColorPalette = item(View1, QStringLiteral("&20 Color Palette"));
    View1->addSeparator();
    MToolBar = item(View1, QStringLiteral("T&ool Bar"));
    MSpeedBar = item(View1, QStringLiteral("Sp&eed Bar"));
    View1->addSeparator();
    Chinese1 = item(View1, QStringLiteral("Chinese"));
    English1 = item(View1, QStringLiteral("English"));
    // The marks are set only by the handlers; no item unchecks its partner by itself.
    for (QAction* action :
         {HighColorPalette, N20ColorPalette, MToolBar, MSpeedBar, Chinese1, English1}) {
        action->setCheckable(true);
    }
    HighColorPalette->setChecked(true);
    MToolBar->setChecked(true);
    MSpeedBar->setChecked(true);
    English1->setChecked(true);
    View1->addSeparator();
    LivePreviewItem = item(View1, QStringLiteral("Live 3D Preview"));
    LivePreviewItem->setCheckable(true);
    connect(LivePreviewItem, &QAction::triggered, this, &TForm1::setLivePreviewShown);

    Text = menuBar()->addMenu(QStringLiteral("&Text"));
    Font = item(Text, QStringLiteral("&Font..."));
    Text->menuAction()->setVisible(false);

    HelpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
    HelpContentsItem = item(HelpMenu, QStringLiteral("&Contents"));
    HelpSearchItem = item(HelpMenu, QStringLiteral("&Search for Help On..."));
    HelpHowToUseItem = item(HelpMenu, QStringLiteral("&How to Use Help"));
    HelpSearchItem->setVisible(false);
    HelpHowToUseItem->setVisible(false);
    HelpMenu->addSeparator();
    HelpAboutItem = item(HelpMenu, QStringLiteral("&About..."));

    // Commands that arrive with the help features.
    for (QAction* action : {HelpSearchItem, HelpHowToUseItem}) {
        action->setEnabled(false);
    }
}

QToolButton* TForm1::addButton(QWidget* parent, QRect geometry, const QString& hint, int glyph)
{
    auto* button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setGeometry(geometry);
    button->setIcon(glyphIcon(static_cast<Glyph>(glyph)));
    button->setIconSize(QSize(20, 20).boundedTo(geometry.size() - QSize(4, 4)));
    button->setProperty("hint", hint);
    button->setToolTip(tooltipOf(hint));
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void TForm1::createSpeedBar()
{
    SpeedBar = new Panel(centralWidget());
    SpeedBar->setMouseTracking(true);
    SpeedBar->installEventFilter(this);
    auto speed = [this](int left, const char* hint, Glyph glyph) {
        return addButton(SpeedBar, QRect(left, 4, 26, 26), QString::fromLatin1(hint),
                         static_cast<int>(glyph));
    };
    sbNew3D = speed(8, "New|", Glyph::NewFile);
    sb3DOpen = speed(36, "Open|", Glyph::OpenFile);
    sb3Dsave = speed(64, "Save|", Glyph::SaveFile);
    sb3DSaveas = speed(92, "Save As|", Glyph::SaveFileAs);
    Panel6 = new Panel(SpeedBar);
    Panel6->setGeometry(124, 1, 2, 32);
    Panel6->setBevelOuter(Panel::Bevel::Lowered);
    sbCut = speed(133, "Cut|", Glyph::Cut);
    sbCopy = speed(161, "Copy|", Glyph::Copy);
    sbPaste = speed(189, "Paste|", Glyph::Paste);
    Panel8 = new Panel(SpeedBar);
    Panel8->setGeometry(223, 1, 2, 32);
    Panel8->setBevelOuter(Panel::Bevel::Lowered);
    SbMake3DP = speed(233, "Make 3D Picture", Glyph::Make3D);
    sbPrint = speed(264, "Print 3d picture", Glyph::Print);
    sbHelp = speed(0, "Help Contents|", Glyph::Help);
}

void TForm1::createToolBar()
{
    Toolbar = new Panel(PnBackground);
    Toolbar->setMouseTracking(true);
    Toolbar->installEventFilter(this);

    Panel7 = new Panel(Toolbar);
    Panel7->setGeometry(3, 4, 58, 50);
    Panel7->setBevelOuter(Panel::Bevel::Lowered);
    auto file = [this](QPoint at, const char* hint, Glyph glyph) {
        return addButton(Panel7, QRect(at, QSize(25, 22)), QString::fromLatin1(hint),
                         static_cast<int>(glyph));
    };
    sbNew = file({4, 3}, "New|", Glyph::NewFile);
    sbopen = file({29, 3}, "Open|", Glyph::OpenFile);
    sbSave = file({4, 25}, "Save|", Glyph::SaveFile);
    sbSaveAs = file({29, 25}, "Save As|", Glyph::SaveFileAs);
    connect(sbNew, &QToolButton::clicked, this, &TForm1::sbNewClick);
    connect(sbopen, &QToolButton::clicked, this, &TForm1::sbopenClick);
    connect(sbSave, &QToolButton::clicked, this, &TForm1::sbSaveClick);
    connect(sbSaveAs, &QToolButton::clicked, this, &TForm1::sbSaveAsClick);

    Panel9 = new Panel(Toolbar);
    Panel9->setGeometry(3, 58, 60, 3);
    Panel9->setBevelOuter(Panel::Bevel::Lowered);

    toolButtons = new QButtonGroup(this);
    toolButtons->setExclusive(true);
    auto tool = [this](QPoint at, const char* hint, Glyph glyph, int id) {
        QToolButton* button = addButton(Toolbar, QRect(at, QSize(30, 30)),
                                        QString::fromLatin1(hint), static_cast<int>(glyph));
        button->setCheckable(true);
        toolButtons->addButton(button, id);
        return button;
    };
    sbSelect = tool({3, 65}, "select", Glyph::Select, TDrawTool::SelectId);
    sbPen = tool({33, 65}, "pen", Glyph::Pencil, TDrawTool::PencilId);
    sbFill = tool({3, 95}, "Fill", Glyph::Fill, TDrawTool::FillId);
    sbLine = tool({33, 95}, "Line", Glyph::Line, TDrawTool::LineId);
    sbRect = tool({3, 125}, "Rectangle", Glyph::Rectangle, TDrawTool::RectId);
    sbEllip = tool({33, 125}, "Ellips", Glyph::Ellipse, TDrawTool::EllipsId);
    sbText = tool({3, 155}, "text", Glyph::Text, TDrawTool::TextId);
    sbsuck = tool({33, 155}, "suck", Glyph::PickColour, TDrawTool::SuckId);
    sbAver = tool({3, 185}, "smooth color", Glyph::Smooth, TDrawTool::AverId);
    sbSelect->setChecked(true);

    // Hidden until a shape tool shows it; SwitchCurrentImage moves it below the tool buttons.
    Panel5 = new ShapeOptionPanel(m_drawing, Toolbar);
    Panel5->move(3, sbAver->y() + 20);
}

void TForm1::createStatusBar()
{
    pnStatusBar = new Panel(centralWidget());
    pnStatusBar->setBevelOuter(Panel::Bevel::None);
    pnStatusBar->setBorderWidth(1);
    pnStatusBar->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto field = [this] {
        auto* panel = new Panel(pnStatusBar);
        panel->setBevelOuter(Panel::Bevel::Lowered);
        return panel;
    };
    pnStu = field();
    pnStuPos = field();
    pnStuSize = field();
    // Numbers of up to five characters (-9999 to 99999) fit; digits are equally wide.
    pnStuPos->resize(PositionFieldWidth, StatusBarHeight);
    pnStuPos->setFont(fittingFont({QStringLiteral("MS Sans Serif"), QStringLiteral("Arial")}, 13,
                                  QStringLiteral("x=88888,y=88888"),
                                  pnStuPos->contentRect().width() - 2));
    pnStuSize->resize(SizeFieldWidth, StatusBarHeight);
    pnStuSize->setFont(
        fittingFont({QStringLiteral("Arial")}, 11,
                    QStringLiteral(" ") + QChar(0x81) + QStringLiteral(" 88888x88888"),
                    pnStuSize->contentRect().width() - 2));
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
    sbHelp->move(this->width() - sbHelp->width() - HelpButtonGap, sbHelp->y());
    pnStatusBar->setGeometry(0, height - StatusBarHeight, width, StatusBarHeight);
    PnBackground->setGeometry(0, top, width, std::max(0, height - StatusBarHeight - top));

    const QRect inside = pnStatusBar->rect().adjusted(1, 1, -1, -1);
    pnStuSize->setGeometry(inside.right() - SizeFieldWidth + 1, inside.top(), SizeFieldWidth,
                           inside.height());
    pnStuPos->setGeometry(pnStuSize->x() - PositionFieldWidth, inside.top(), PositionFieldWidth,
                          inside.height());
    pnStu->setGeometry(inside.left(), inside.top(), std::max(0, pnStuPos->x() - inside.left()),
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
    Panel3->setGeometry(rightLeft, 0, std::max(0, PnBackground->width() - rightLeft), height);
    ScrollBox1->setGeometry(Panel1->contentRect());
    ScrollBox2->setGeometry(Panel3->contentRect());
    resizeMasks();
}
