// The main window's commands: one table gives every command's action, menu item, button, keys
// and texts, and each command is connected once.

#include "mainwindow/CommandButton.h"
#include "mainwindow/CommandRow.h"
#include "mainwindow/ShapeOptionPanel.h"
#include "mainwindow/TForm1.h"
#include "output/TfmOutput.h"
#include "tools/TDrawTool.h"
#include "widgets/Panel.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

#include <algorithm>
#include <span>

namespace {

using Menu = CommandRow::Menu;
using Bar = CommandRow::Bar;
using TT = language::TextTarget;
constexpr unsigned Checkable = CommandRow::Checkable;
constexpr unsigned Checked = CommandRow::Checked;
constexpr unsigned Disabled = CommandRow::Disabled;
constexpr unsigned Hidden = CommandRow::Hidden;
constexpr unsigned SeparatorBefore = CommandRow::SeparatorBefore;

struct MenuRow
{
    Menu menu;
    const char* name;
    const char* caption;
    TT text;
};

// The menu bar, left to right.
constexpr MenuRow Menus[] = {
    {Menu::File, "FileMenu", "&File", TT::FileMenu},
    {Menu::Edit, "EditMenu", "&Edit", TT::EditMenu},
    {Menu::View, "View1", "&View", TT::View1},
    {Menu::Text, "Text", "&Text", TT::Text},
    {Menu::Help, "HelpMenu", "&Help", TT::HelpMenu},
};

QSize buttonSize(Bar bar)
{
    switch (bar) {
    case Bar::Speed:
        return {26, 26};
    case Bar::Files:
        return {25, 22};
    default:
        return {30, 30};
    }
}

// A hint's tooltip is what it says before "|"; a hint without "|" is all tooltip.
QString tooltipOf(const QString& hint)
{
    return hint.section(QLatin1Char('|'), 0, 0);
}

} // namespace

std::span<const CommandRow> TForm1::commandTable()
{
    // Menu items in menu order, then the buttons that have no menu item, then the tools.
    // clang-format off
    static const CommandRow rows[] = {
        {.name = "FileNewItem", .menu = Menu::File, .caption = "&New 3D Picture",
         .captionText = TT::FileNewItem, .bar = Bar::Speed, .button = "sbNew3D", .at = {8, 4},
         .hint = "New|", .hintText = TT::sbNew3D, .glyph = Glyph::NewFile,
         .run = [](TForm1& f) { f.sbNew3DClick(); }, .standardKey = QKeySequence::New,
         .keys = "Ctrl+N"},
        {.name = "FileOpenItem", .menu = Menu::File, .caption = "&Open 3D Picture...",
         .captionText = TT::FileOpenItem, .bar = Bar::Speed, .button = "sb3DOpen", .at = {36, 4},
         .hint = "Open|", .hintText = TT::sb3DOpen, .glyph = Glyph::OpenFile,
         .run = [](TForm1& f) { f.sb3DOpenClick(); }, .standardKey = QKeySequence::Open,
         .keys = "Ctrl+O"},
        {.name = "FileSaveItem", .menu = Menu::File, .caption = "&Save",
         .captionText = TT::FileSaveItem, .bar = Bar::Speed, .button = "sb3Dsave", .at = {64, 4},
         .hint = "Save|", .hintText = TT::sb3Dsave, .glyph = Glyph::SaveFile,
         .run = [](TForm1& f) { f.sb3DsaveClick(); }, .standardKey = QKeySequence::Save,
         .keys = "Ctrl+S"},
        {.name = "FileSaveAsItem", .menu = Menu::File, .caption = "Save &As...",
         .captionText = TT::FileSaveAsItem, .bar = Bar::Speed, .button = "sb3DSaveas",
         .at = {92, 4}, .hint = "Save As|", .hintText = TT::sb3DSaveas, .glyph = Glyph::SaveFileAs,
         .run = [](TForm1& f) { f.sb3DSaveasClick(); }, .standardKey = QKeySequence::SaveAs,
         .keys = "Ctrl+Shift+S"},
        {.name = "PrintPreview", .menu = Menu::File, .caption = "Print Pre&view",
         .captionText = TT::PrintPreview, .run = [](TForm1& f) { f.PrintPreviewClick(); },
         .flags = SeparatorBefore},
        {.name = "FilePrintSetupItem", .menu = Menu::File, .caption = "P&rint Setup...",
         .captionText = TT::FilePrintSetupItem,
         .run = [](TForm1& f) { f.FilePrintSetupItemClick(); }},
        {.name = "FilePrintItem", .menu = Menu::File, .caption = "&Print",
         .captionText = TT::FilePrintItem, .bar = Bar::Speed, .button = "sbPrint", .at = {264, 4},
         .hint = "Print 3d picture", .glyph = Glyph::Print,
         .run = [](TForm1& f) { f.FilePrintItemClick(); }, .standardKey = QKeySequence::Print,
         .keys = "Ctrl+P"},
        {.name = "FileExitItem", .menu = Menu::File, .caption = "E&xit",
         .captionText = TT::FileExitItem, .run = [](TForm1& f) { f.close(); },
         .standardKey = QKeySequence::Quit, .keys = "Ctrl+Q", .flags = SeparatorBefore},
        {.name = "RecoverDepthItem", .menu = Menu::File, .caption = "Recover &Depth Map...",
         .captionText = TT::RecoverDepthItem, .run = [](TForm1& f) { f.RecoverDepthMapClick(); },
         .flags = SeparatorBefore},

        {.name = "EditUndoItem", .menu = Menu::Edit, .caption = "&Undo",
         .captionText = TT::EditUndoItem,
         .run = [](TForm1& f) { f.withTool([](TDrawTool& tool) { tool.Undo(); }); },
         .keys = "Ctrl+Z"},
        {.name = "EditCutItem", .menu = Menu::Edit, .caption = "Cu&t  ",
         .captionText = TT::EditCutItem, .bar = Bar::Speed, .button = "sbCut", .at = {133, 4},
         .hint = "Cut|", .hintText = TT::sbCut, .glyph = Glyph::Cut,
         .run = [](TForm1& f) { f.withTool([](TDrawTool& tool) { tool.Cut(); }); },
         .keys = "Ctrl+X", .flags = SeparatorBefore},
        {.name = "EditCopyItem", .menu = Menu::Edit, .caption = "&Copy  ",
         .captionText = TT::EditCopyItem, .bar = Bar::Speed, .button = "sbCopy", .at = {161, 4},
         .hint = "Copy|", .hintText = TT::sbCopy, .glyph = Glyph::Copy,
         .run = [](TForm1& f) { f.withTool([](TDrawTool& tool) { tool.Copy(); }); },
         .keys = "Ctrl+C"},
        {.name = "EditPasteItem", .menu = Menu::Edit, .caption = "&Paste  ",
         .captionText = TT::EditPasteItem, .bar = Bar::Speed, .button = "sbPaste", .at = {189, 4},
         .hint = "Paste|", .hintText = TT::sbPaste, .glyph = Glyph::Paste,
         .run = [](TForm1& f) { f.EditPasteItemClick(); }, .keys = "Ctrl+V"},
        {.name = "CopyFrom1", .menu = Menu::Edit, .caption = "Copy &From....",
         .captionText = TT::CopyFrom1, .run = [](TForm1& f) { f.CopyFrom1Click(); }},
        {.name = "EditSelectAllItem", .menu = Menu::Edit, .caption = "Select &All",
         .captionText = TT::EditSelectAllItem, .run = [](TForm1& f) { f.EditSelectAllItemClick(); },
         .keys = "Ctrl+A", .flags = SeparatorBefore},
        {.name = "EditDeleteItem", .menu = Menu::Edit, .caption = "&Delete",
         .captionText = TT::EditDeleteItem,
         .run = [](TForm1& f) { f.withTool([](TDrawTool& tool) { tool.Delete(); }); },
         .keys = "Del"},

        {.name = "V3DPicture", .menu = Menu::View, .caption = "&3D-Picutre",
         .captionText = TT::V3DPicture, .run = [](TForm1& f) { f.V3DPictureClick(); },
         .flags = Disabled},
        // Each pane has its own zoom; these change the active one's.
        {.name = "ZoomInItem", .menu = Menu::View, .caption = "Zoom &In",
         .captionText = TT::ZoomInItem, .run = [](TForm1& f) { f.zoomActivePane(ZoomStep::In); },
         .keys = "Ctrl++; Ctrl+=", .flags = SeparatorBefore},
        {.name = "ZoomOutItem", .menu = Menu::View, .caption = "Zoom O&ut",
         .captionText = TT::ZoomOutItem, .run = [](TForm1& f) { f.zoomActivePane(ZoomStep::Out); },
         .keys = "Ctrl+-"},
        {.name = "ActualSizeItem", .menu = Menu::View, .caption = "&Actual Size",
         .captionText = TT::ActualSizeItem,
         .run = [](TForm1& f) { f.zoomActivePane(ZoomStep::ActualSize); }, .keys = "Ctrl+0"},
        {.name = "FitToPaneItem", .menu = Menu::View, .caption = "Fit to &Pane",
         .captionText = TT::FitToPaneItem,
         .run = [](TForm1& f) { f.zoomActivePane(ZoomStep::Fit); }},
        {.name = "HighColorPalette", .menu = Menu::View, .caption = "&High Color Palette",
         .captionText = TT::HighColorPalette, .run = [](TForm1& f) { f.selectPalette(true); },
         .flags = SeparatorBefore | Checkable | Checked},
        {.name = "N20ColorPalette", .menu = Menu::View, .caption = "&20 Color Palette",
         .captionText = TT::N20ColorPalette, .run = [](TForm1& f) { f.selectPalette(false); },
         .flags = Checkable},
        {.name = "MToolBar", .menu = Menu::View, .caption = "T&ool Bar",
         .captionText = TT::MToolBar, .run = [](TForm1& f) { f.toggleBar(f.Toolbar); },
         .flags = SeparatorBefore | Checkable | Checked},
        {.name = "MSpeedBar", .menu = Menu::View, .caption = "Sp&eed Bar",
         .captionText = TT::MSpeedBar, .run = [](TForm1& f) { f.toggleBar(f.SpeedBar); },
         .flags = Checkable | Checked},
        {.name = "Chinese1", .menu = Menu::View, .caption = "Chinese", .captionText = TT::Chinese1,
         .run = [](TForm1& f) { f.Chinese1Click(); }, .flags = SeparatorBefore | Checkable},
        {.name = "English1", .menu = Menu::View, .caption = "English", .captionText = TT::English1,
         .run = [](TForm1& f) { f.English1Click(); }, .flags = Checkable | Checked},
        // Triggering has flipped the mark already: it says whether to show.
        {.name = "LivePreviewItem", .menu = Menu::View, .caption = "Live 3D Preview",
         .captionText = TT::LivePreviewItem,
         .run = [](TForm1& f) { f.setLivePreviewShown(f.command("LivePreviewItem")->isChecked()); },
         .flags = SeparatorBefore | Checkable},

        {.name = "Font", .menu = Menu::Text, .caption = "&Font...", .captionText = TT::Font,
         .run = [](TForm1& f) { f.chooseFont(); }},

        {.name = "HelpContentsItem", .menu = Menu::Help, .caption = "&Contents",
         .captionText = TT::HelpContentsItem, .run = [](TForm1& f) { f.HelpContentsItemClick(); }},
        // Commands that arrive with the help features.
        {.name = "HelpSearchItem", .menu = Menu::Help, .caption = "&Search for Help On...",
         .captionText = TT::HelpSearchItem, .flags = Hidden | Disabled},
        {.name = "HelpHowToUseItem", .menu = Menu::Help, .caption = "&How to Use Help",
         .captionText = TT::HelpHowToUseItem, .flags = Hidden | Disabled},
        {.name = "HelpAboutItem", .menu = Menu::Help, .caption = "&About...",
         .captionText = TT::HelpAboutItem, .run = [](TForm1& f) { f.HelpAboutItemClick(); },
         .flags = SeparatorBefore},

        {.name = "SbMake3DP", .bar = Bar::Speed, .button = "SbMake3DP", .at = {233, 4},
         .hint = "Make 3D Picture", .hintText = TT::SbMake3DP, .glyph = Glyph::Make3D,
         .run = [](TForm1& f) { f.SbMake3DPClick(); }},
        // Placed at the bar's right end by the layout.
        {.name = "sbHelp", .bar = Bar::Speed, .button = "sbHelp", .at = {0, 4},
         .hint = "Help Contents|", .hintText = TT::sbHelp, .glyph = Glyph::Help,
         .run = [](TForm1& f) { f.sbHelpClick(); }},
        {.name = "sbNew", .bar = Bar::Files, .button = "sbNew", .at = {4, 3}, .hint = "New|",
         .hintText = TT::sbNew, .glyph = Glyph::NewFile, .run = [](TForm1& f) { f.sbNewClick(); }},
        {.name = "sbopen", .bar = Bar::Files, .button = "sbopen", .at = {29, 3}, .hint = "Open|",
         .hintText = TT::sbopen, .glyph = Glyph::OpenFile,
         .run = [](TForm1& f) { f.sbopenClick(); }},
        {.name = "sbSave", .bar = Bar::Files, .button = "sbSave", .at = {4, 25}, .hint = "Save|",
         .hintText = TT::sbSave, .glyph = Glyph::SaveFile,
         .run = [](TForm1& f) { f.sbSaveClick(); }},
        {.name = "sbSaveAs", .bar = Bar::Files, .button = "sbSaveAs", .at = {29, 25},
         .hint = "Save As|", .hintText = TT::sbSaveAs, .glyph = Glyph::SaveFileAs,
         .run = [](TForm1& f) { f.sbSaveAsClick(); }},

        {.name = "sbSelect", .bar = Bar::Tools, .button = "sbSelect", .at = {3, 65},
         .hint = "select", .hintText = TT::sbSelect, .glyph = Glyph::Select,
         .tool = int(ToolId::Select), .flags = Checkable | Checked},
        {.name = "sbPen", .bar = Bar::Tools, .button = "sbPen", .at = {33, 65}, .hint = "pen",
         .hintText = TT::sbPen, .glyph = Glyph::Pencil, .tool = int(ToolId::Pencil),
         .flags = Checkable},
        {.name = "sbFill", .bar = Bar::Tools, .button = "sbFill", .at = {3, 95}, .hint = "Fill",
         .hintText = TT::sbFill, .glyph = Glyph::Fill, .tool = int(ToolId::Fill),
         .flags = Checkable},
        {.name = "sbLine", .bar = Bar::Tools, .button = "sbLine", .at = {33, 95}, .hint = "Line",
         .hintText = TT::sbLine, .glyph = Glyph::Line, .tool = int(ToolId::Line),
         .flags = Checkable},
        {.name = "sbRect", .bar = Bar::Tools, .button = "sbRect", .at = {3, 125},
         .hint = "Rectangle", .hintText = TT::sbRect, .glyph = Glyph::Rectangle,
         .tool = int(ToolId::Rect), .flags = Checkable},
        {.name = "sbEllip", .bar = Bar::Tools, .button = "sbEllip", .at = {33, 125},
         .hint = "Ellips", .hintText = TT::sbEllip, .glyph = Glyph::Ellipse,
         .tool = int(ToolId::Ellips), .flags = Checkable},
        {.name = "sbText", .bar = Bar::Tools, .button = "sbText", .at = {3, 155}, .hint = "text",
         .hintText = TT::sbText, .glyph = Glyph::Text, .tool = int(ToolId::Text),
         .flags = Checkable},
        {.name = "sbsuck", .bar = Bar::Tools, .button = "sbsuck", .at = {33, 155}, .hint = "suck",
         .hintText = TT::sbsuck, .glyph = Glyph::PickColour, .tool = int(ToolId::Suck),
         .flags = Checkable},
        // Shown only while the depth map is active (SwitchCurrentImage).
        {.name = "sbAver", .bar = Bar::Tools, .button = "sbAver", .at = {3, 185},
         .hint = "smooth color", .glyph = Glyph::Smooth, .tool = int(ToolId::Aver),
         .flags = Checkable},
    };
    // clang-format on
    return rows;
}

// The actions, each connected once to what it does.
void TForm1::createCommands()
{
    m_toolActions = new QActionGroup(this);
    m_toolActions->setExclusive(true);
    for (const CommandRow& row : commandTable()) {
        auto* action = new QAction(this);
        action->setObjectName(QLatin1String(row.name));
        if (row.caption) {
            action->setText(QString::fromUtf8(row.caption));
        }
        if (row.hint) {
            const QString hint = QString::fromLatin1(row.hint);
            action->setProperty("hint", hint);
            action->setToolTip(tooltipOf(hint));
        }
        if (row.standardKey != QKeySequence::UnknownKey) {
            QList<QKeySequence> keys = QKeySequence::keyBindings(row.standardKey);
            if (keys.isEmpty()) {
                keys.append(QKeySequence(QString::fromLatin1(row.keys)));
            }
            action->setShortcuts(keys);
        } else if (row.keys) {
            action->setShortcuts(QKeySequence::listFromString(QString::fromLatin1(row.keys)));
        }
        // The marks are set only by the handlers; no item unchecks its partner by itself.
        action->setCheckable(row.flags & Checkable);
        action->setChecked(row.flags & Checked);
        action->setEnabled(!(row.flags & Disabled));
        action->setVisible(!(row.flags & Hidden));
        if (row.tool >= 0) {
            action->setData(row.tool);
            m_toolActions->addAction(action);
        } else if (row.run) {
            connect(action, &QAction::triggered, this, [this, run = row.run] { run(*this); });
        }
        m_commands.push_back(action);
    }
    connect(m_toolActions, &QActionGroup::triggered, this,
            [this](QAction* action) { selectTool(ToolId(action->data().toInt())); });
}

void TForm1::createMenus()
{
    const std::span<const CommandRow> rows = commandTable();
    for (const MenuRow& menuRow : Menus) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(menuRow.caption));
        menu->setObjectName(QLatin1String(menuRow.name));
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].menu != menuRow.menu) {
                continue;
            }
            if (rows[i].flags & SeparatorBefore) {
                menu->addSeparator();
            }
            menu->addAction(m_commands[i]);
        }
        menuSlot(menuRow.menu) = menu;
    }
    Text->menuAction()->setVisible(false);
}

QToolButton* TForm1::addButton(const CommandRow& row, QAction* action)
{
    QWidget* parent = row.bar == Bar::Speed ? SpeedBar : row.bar == Bar::Files ? Panel7 : Toolbar;
    const QRect geometry(row.at, buttonSize(row.bar));
    auto* button = new CommandButton(action, glyphIcon(row.glyph), parent);
    button->setObjectName(QLatin1String(row.button));
    button->setAutoRaise(true);
    button->setGeometry(geometry);
    button->setIconSize(QSize(20, 20).boundedTo(geometry.size() - QSize(4, 4)));
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

// The speed bar with its grooves, the tool bar with the file buttons' box, its groove, the tool
// buttons and the shape tools' option panel.
void TForm1::createBars()
{
    SpeedBar = new Panel(centralWidget());
    SpeedBar->setObjectName(QStringLiteral("SpeedBar"));
    SpeedBar->setMouseTracking(true);
    SpeedBar->installEventFilter(this);
    auto groove = [](QWidget* parent, const char* name, QRect geometry) {
        auto* panel = new Panel(parent);
        panel->setObjectName(QLatin1String(name));
        panel->setGeometry(geometry);
        panel->setBevelOuter(Panel::Bevel::Lowered);
        return panel;
    };
    Panel6 = groove(SpeedBar, "Panel6", QRect(124, 1, 2, 32));
    Panel8 = groove(SpeedBar, "Panel8", QRect(223, 1, 2, 32));

    Toolbar = new Panel(PnBackground);
    Toolbar->setObjectName(QStringLiteral("Toolbar"));
    Toolbar->setMouseTracking(true);
    Toolbar->installEventFilter(this);
    Panel7 = groove(Toolbar, "Panel7", QRect(3, 4, 58, 50));
    Panel9 = groove(Toolbar, "Panel9", QRect(3, 58, 60, 3));

    const std::span<const CommandRow> rows = commandTable();
    m_buttons.assign(rows.size(), nullptr);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].bar != Bar::None) {
            m_buttons[i] = addButton(rows[i], m_commands[i]);
        }
    }

    // Hidden until a shape tool shows it; SwitchCurrentImage moves it below the tool buttons.
    Panel5 = new ShapeOptionPanel(m_drawing, Toolbar);
    Panel5->setObjectName(QStringLiteral("Panel5"));
    QToolButton* smoothing = button("sbAver");
    Panel5->move(3, smoothing->y() + 20);
}

std::size_t TForm1::commandIndex(const char* name)
{
    const std::span<const CommandRow> rows = commandTable();
    const auto named = [name](const CommandRow& row) {
        return qstrcmp(row.name, name) == 0 || qstrcmp(row.button, name) == 0;
    };
    const auto found = std::find_if(rows.begin(), rows.end(), named);
    Q_ASSERT(found != rows.end());
    return std::size_t(found - rows.begin());
}

void TForm1::selectTool(ToolId id)
{
    withTool([id](TDrawTool& tool) { tool.SelectTool(id); });
}

QMenu*& TForm1::menuSlot(CommandRow::Menu menu)
{
    switch (menu) {
    case Menu::File:
        return FileMenu;
    case Menu::Edit:
        return EditMenu;
    case Menu::View:
        return View1;
    case Menu::Text:
        return Text;
    case Menu::Help:
    default:
        return HelpMenu;
    }
}

void TForm1::retextCommands(std::uint8_t language)
{
    auto text = [language](TT target) { return language::LanguageText(target, language); };
    for (const MenuRow& menuRow : Menus) {
        menuSlot(menuRow.menu)->menuAction()->setText(text(menuRow.text));
    }
    const std::span<const CommandRow> rows = commandTable();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].captionText) {
            m_commands[i]->setText(text(*rows[i].captionText));
        }
        // The new hints are all tooltip.
        if (rows[i].hintText) {
            m_commands[i]->setProperty("hint", text(*rows[i].hintText));
            m_commands[i]->setToolTip(text(*rows[i].hintText));
        }
    }
}
