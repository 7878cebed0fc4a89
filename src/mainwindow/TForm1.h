#pragma once

#include "document/DocumentState.h"
#include "document/RecoveryStore.h"
#include "language/LanguageTables.h"
#include "mainwindow/CommandRow.h"
#include "pickers/Placement.h"
#include "raster/GreyPalette.h"
#include "raster/RasterImage.h"
#include "tools/DrawingState.h"

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

class EditorToolHost;
class HelpWindow;
class HostLink;
class ImagePane;
class ImageView;
class LivePreview;
class Panel;
class Pntmange;
class Prompts;
class QAction;
class QActionGroup;
class QMenu;
class QTimer;
class QToolButton;
class QUrl;
class ScrollBox;
class Shape;
class ShapeOptionPanel;
class TDrawTool;
class TdlgAbout;
class TfmArchieve;
class TfmColor;
class TfmColor16;
class TfmOutput;
class Tfmheight;
class TfmPStyle;
enum class ToolId : std::uint8_t;

// The editor's main window: the pattern strip and the depth map side by side, each in a
// scrolling pane with a frame and a size grip, a splitter between them, the speed bar, the tool
// bar and the status bar. One image is active at a time; a hatched mask covers the other pane,
// and a release on the mask makes that image active.
//
// The window owns both images, the drawing state, the document's file names and the tool
// dispatcher, and passes pointer, key, timer and Edit menu events of the active image to the
// dispatcher. What the tools may ask of the program is the EditorToolHost's. Every command is one
// QAction, shared by its menu item and its button and built from one table
// (TForm1Commands.cpp). Controls carry their design names as object names, which is how tests
// find them.
class TForm1 final : public QMainWindow
{
    Q_OBJECT

public:
    explicit TForm1(Prompts& prompts, QWidget* parent = nullptr);
    ~TForm1() override;

    RasterImage& patternStrip() { return m_patternStrip; }
    RasterImage& depthMap() { return m_depthMap; }
    DrawingState& drawingState() { return m_drawing; }
    DocumentState& document() { return m_document; }
    // Null until the first activation.
    TDrawTool* drawTool() const { return m_drawTool.get(); }
    // The tools' way into the program, and the keeper of the palette windows.
    EditorToolHost& toolHost() { return *m_toolHost; }

    // Runs the first activation if it has not run yet. The window's first activation by the
    // window system calls it; so may a caller that cannot wait for one.
    void FormActivate();

    // Makes the other image active and gives the window the matching look.
    void SwitchCurrentImage();
    void UpdateCaption();
    void ShowPosition(int x, int y);
    void ShowImageSize(int width, int height);
    void RealizeGreyPalette();

    // The file buttons of the active image (TForm1ImageFiles.cpp). Save and Save As return
    // false when a file could not be written; the error has been shown then. A cancelled
    // dialog is no failure.
    void sbNewClick();
    void sbopenClick();
    bool sbSaveClick();
    bool sbSaveAsClick();
    // Opens `fileName` into the depth map or the pattern strip as the file button Open does once
    // a file is chosen, making that image active first.
    void openImageFile(bool depthMap, const QString& fileName);
    // Loads the active image from its file name, as opening a project does; a bitmap read
    // into the depth map gives its name the extension .BKP. With no name, or when the file
    // cannot be read (false, and `error` says why), the image is made new as New makes it and
    // its name is cleared. Shows nothing.
    bool LoadActiveImage(QString* error = nullptr);
    // Writes the depth map to its file name as a height-map file, whatever the extension.
    bool SaveDepthMap();

    // Start-up, quitting, the host link and help (TForm1Startup.cpp).
    // The checks of the window's creation: the display's colour depth (which may ask whether
    // to go on; false means the user declined), the start language from the installed font
    // families, and whether the host program started the editor.
    bool FormCreate(const QStringList& arguments, int bitsPerPixel,
                    const QStringList& fontFamilies);
    // Serves the host program's macros under the name derived from the executable's.
    void startHostLink(const QString& executablePath);
    // A macro from the host program: "[L]" and a project path on its first line opens that
    // project; anything else is ignored. Projects wait while a dialog is open; those that
    // cannot be opened are reported together in one box.
    void DdeServerConv1ExecuteMacro(const QString& macro);
    void HelpContentsItemClick();
    void sbHelpClick();
    void HelpAboutItemClick();
    // The help page of the current language's help file, at the main window's topic.
    void showHelpTopic();
    // The program's own help window, once a page has been shown there.
    HelpWindow* helpWindow() const { return m_help; }

    // What is remembered between runs (TForm1Places.cpp). A recent project opens as Open 3D
    // Picture opens one; one that is gone is named in a message and leaves the list.
    void openRecentProject(const QString& fileName);
    // After the start-up: the live preview comes back if it was shown when the editor last
    // ended.
    void restoreRememberedWindows();

    // Crash recovery (TForm1Recovery.cpp).
    // From now on, a copy of whatever is unsaved is kept under `root`, written within `delayMs`
    // of the first change it holds, and removed when it is saved or the program quits cleanly.
    void keepRecoveryCopies(const QString& root, int delayMs = 10'000);
    // Offers back the newest copy that a run which did not quit cleanly left under `root`.
    // Returns whether one was restored; restored images count as unsaved.
    bool offerRecovery(const QString& root);
    // Waits for the recovery copy asked for last; returns its error, if any.
    QString finishRecoveryCopy();
    // A clean quit: no copy is left behind, nor the restored one.
    void endRecovery();

    // The language of the menus and hints (TForm1Language.cpp).
    void ChangeLanguage(std::uint8_t language);
    void Chinese1Click();
    void English1Click();

    // The project commands (TForm1Project.cpp).
    void sbNew3DClick();
    void sb3DOpenClick();
    void sb3DsaveClick();
    void sb3DSaveasClick();
    // Opens the project `fileName`, or says why it cannot and leaves the open one as it is.
    void openProjectFile(const QString& fileName);
    // A file named on the command line (TForm1Desktop.cpp): a .3dp project opens as Open 3D
    // Picture opens one, a .bkp height map into the depth map, any other file into the pattern
    // strip. Files dropped on the window open the same ways.
    void openGivenFile(const QString& fileName);
    // Reads the three file names from the project file ProjectFileName, loads the target
    // picture into the output window and both images from their files. A target that cannot
    // be read is forgotten silently; images that cannot be read are made new and named in one
    // error message. The active image is the same afterwards.
    void OpenProject();
    // Saves both images, then writes their names and the target's into the project file.
    // Returns false when a save failed (its error has been shown) and nothing was written.
    bool SaveProject();

    // File > Recover Depth Map: a 3D picture the user chooses becomes the pattern strip (its
    // left strip) and the depth map (what it shows), both unsaved and under no name, after the
    // question about unsaved work; a picture that is no stereogram is named in an error and
    // replaces nothing. The strip width found shows in the status bar (TForm1RecoverDepth.cpp).
    void RecoverDepthMapClick();

    // Make 3D: a new output window builds the picture from the two images (TForm1Project.cpp).
    void SbMake3DPClick();
    // The progress and output windows; created once, the output window again by each Make 3D.
    void createSecondaryWindows();
    TfmOutput* outputWindow() const { return m_output.get(); }
    TfmArchieve* progressWindow() const { return m_progress.get(); }

    // Printing the output window's picture, whatever it holds (TForm1Print.cpp).
    void PrintPreviewClick();
    void FilePrintSetupItemClick();
    void FilePrintItemClick();
    // Made on first use: a printer loads the print system's plugin, which took a tenth of the
    // time to start.
    Pntmange& printing();

    // View > Live 3D Preview: shows or hides the window whose 3D picture follows both images
    // (TForm1LivePreview.cpp). Null until first shown.
    void setLivePreviewShown(bool shown);
    LivePreview* livePreview() const { return m_livePreview; }

    // Edit > Copy From: a picture file chosen with the bitmap chooser floats in the selection
    // tool; one that cannot be read is named in an error message.
    void CopyFrom1Click();
    // The font dialog's choice, which the text tool draws with and Text > Font changes; it
    // starts as Arial, bold, 60 pixels, black. OK also makes it both images' drawing font.
    TextFont FontDialog1;

    // The height palette, which also makes its lowest height the ground colour; created right
    // after this window, before its first activation gives the depth map that colour.
    void createHeightPalette();
    // The pen style picker, the last window created at start-up.
    void createPenStylePicker();
    Tfmheight* heightPalette() const;
    // The 20-colour palette and then the high-colour picker, which makes the centre of its
    // square the painting colour; created after the main window is shown.
    void createColorPalettes();
    TfmColor16* color16Palette() const;
    TfmColor* highColorPicker() const;
    TfmPStyle* penStylePicker() const;

    // A drag of the splitter or of a size grip is in progress.
    bool dragging() const;

    std::uint8_t UILanguage = 0;
    // The help file whose topic F1 shows; the language decides it.
    QString HelpFile = QStringLiteral("3DP.HLP");
    int BitsPerPixel = 32;
    bool LaunchedByHost = false;
    bool FirstActivation = true;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // One local file dropped on the window: a project anywhere, any other file on the pane whose
    // image it becomes (TForm1Desktop.cpp).
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The commands (TForm1Commands.cpp): one action each, its menu item and its button.
    static std::span<const CommandRow> commandTable();
    // The row of the command whose action or button has the object name `name`.
    static std::size_t commandIndex(const char* name);
    void createCommands();
    void createMenus();
    void createBars();
    QToolButton* addButton(const CommandRow& row, QAction* action);
    QAction* command(const char* name) const { return m_commands[commandIndex(name)]; }
    QToolButton* button(const char* name) const { return m_buttons[commandIndex(name)]; }
    QMenu*& menuSlot(CommandRow::Menu menu);
    // The menus' and commands' texts and hints in `language`.
    void retextCommands(std::uint8_t language);
    void selectTool(ToolId id);
    template <typename Use> void withTool(Use use)
    {
        if (m_drawTool) {
            use(*m_drawTool);
        }
    }
    // Pasting always happens in the selection tool, which takes the pasted picture.
    void EditPasteItemClick();
    // Select All too: it marks the whole active image.
    void EditSelectAllItemClick();
    // The View menu's zoom commands, on the active pane (TForm1Panes.cpp).
    enum class ZoomStep
    {
        In,
        Out,
        ActualSize,
        Fit
    };
    void zoomActivePane(ZoomStep step);
    // The status bar's zoom field shows the active pane's zoom, unless it is 100 %.
    void showZoom();
    void V3DPictureClick();

    // Unsaved changes (TForm1Changes.cpp).
    struct Unsaved
    {
        bool pattern = false;
        bool depth = false;
        bool project = false;
        bool any() const { return pattern || depth || project; }
    };
    // Each image whose pixels differ from what was last loaded or saved, and a titled project
    // whose names differ from what its file was last given.
    Unsaved unsavedChanges();
    // What an image, or the project's names, hold now is what their files hold.
    void takeSavedState(bool depthMap);
    void takeSavedNames();
    // The window's and the status bar's sign of unsaved changes follow, once editing pauses.
    void scheduleChangeCheck();
    void showUnsavedChanges();
    bool saveImage(bool depthMap);
    // The one question that names `what` is unsaved and offers Save, Discard and Cancel. False
    // means stop, with nothing changed; Save runs the save commands and stops when one fails or
    // was cancelled.
    bool settleUnsaved(const Unsaved& what);
    // Before what is named would be replaced: that question when some of it is unsaved
    // (`asked` says whether it came), otherwise `specified`, the command's own question. Inside
    // a command that has asked already, the steps it runs ask nothing more.
    bool confirmReplacing(bool pattern, bool depth, bool project,
                          const std::function<bool()>& specified, bool* asked = nullptr);

    // Building the window (TForm1.cpp).
    void createStatusBar();
    void layoutWindow();
    void layoutBackground();

    // Panes and splitter (TForm1Panes.cpp).
    ImagePane* pane(bool depthMap) const;
    void createPanes();
    // Fits the pane's frame to its image and tells the live preview and the size field.
    void placeFrame(bool depthMap);
    void setHint(language::HintRow row);
    void splitterMove(QPoint position);
    bool paneEvent(QObject* watched, QEvent* event);

    enum class DropTarget
    {
        None,
        Project,
        PatternStrip,
        DepthMap
    };
    DropTarget dropTarget(const QString& fileName, QPoint position) const;

    // Wires an output window's print button to the print command.
    void connectOutputPrint(TfmOutput& output);

    // Puts a floating window on `side` of this window's frame, where it covers none of it, and
    // with `clearOfOthers` clear of the palettes and the pen style picker too. Palettes go to
    // the right (only one shows at a time, so they share the place), the pen style picker and
    // the live preview to the left, out of their way (TForm1Startup.cpp).
    void placeFloatingWindow(QWidget* window, placement::Side side, bool clearOfOthers);

    // Remembered places (TForm1Places.cpp).
    void openHelpPage(const QUrl& page);
    void createRecentProjectsMenu();
    void fillRecentProjects();
    void rememberRecentProject(const QString& fileName);
    void rememberWindows();
    // The menu with the speed bar, and the tool bar, on the screen: no floating window goes
    // over them.
    QList<QRect> barsOnScreen() const;
    // The screen's part right of the tool bar and below the speed bar.
    QRect clearOfBars() const;
    // Maximised, the window keeps a column at its right for the palettes, which move into it;
    // restored, they go back where they were.
    void keepPalettesClear();
    std::vector<QWidget*> paletteWindows() const;

    // Image files (TForm1ImageFiles.cpp).
    void clearActiveImage();
    bool savePatternStrip(const QString& fileName);
    bool writeShowingErrors(const std::function<bool(QString*)>& write);

    // Tools and their events (TForm1Tools.cpp).
    void imageMouse(ImageView* view, QEvent* event);
    void installKeyPreview();
    bool previewKey(QObject* watched, QEvent* event);
    void selectPalette(bool highColor);
    void toggleBar(QWidget* bar);
    void chooseFont();
    // Before the active image gets other pixels: the current tool starts afresh, so that its
    // marquee or caret leaves with the old picture and nothing of the tool refers to it.
    void restartToolForNewPicture();
    // Pixels of `area` of either image changed, or the image was replaced or resized.
    void tellLivePreview(const QRect& area);

    Prompts& m_prompts;
    RasterImage m_patternStrip;
    RasterImage m_depthMap;
    // Built once: every repaint of the window attaches it again.
    const LogicalPalette m_greyPalette = greypalette::make();
    DrawingState m_drawing;
    DocumentState m_document;
    std::unique_ptr<EditorToolHost> m_toolHost;
    std::unique_ptr<TDrawTool> m_drawTool;
    std::unique_ptr<TfmArchieve> m_progress;
    std::unique_ptr<TfmOutput> m_output;
    std::unique_ptr<Pntmange> m_printing;
    // Sees every key of the application first; removed before the window comes apart.
    QObject* m_keyPreview = nullptr;

    int m_leftPaneWidth = 166;
    HostLink* m_hostLink = nullptr;
    // Projects the host asked for, not yet opened, and whether they are being opened or a
    // retry is due (TForm1Startup.cpp).
    QStringList m_hostProjects;
    bool m_openingHostProjects = false;
    bool m_hostRetryDue = false;
    void openHostProjects();
    TdlgAbout* m_about = nullptr;
    LivePreview* m_livePreview = nullptr;
    HelpWindow* m_help = nullptr;
    QMenu* m_recentProjects = nullptr;
    // The width kept free for the palettes at the window's right while it is maximised.
    int m_paletteColumn = 0;
    // Where the palettes were before they moved into that column.
    std::vector<std::pair<QWidget*, QPoint>> m_palettePlaces;

    // A drag of the splitter is in progress.
    bool Dragging = false;

    // The images' pixels and the project's names as their files hold them.
    QImage m_savedPattern;
    QImage m_savedDepth;
    std::array<QString, 3> m_savedNames;
    bool m_checkingChanges = false;
    bool m_changesSettled = false;
    QTimer* m_changeCheck = nullptr;
    // Counts the changes reported, so that a recovery copy taken in slices sees one in between.
    quint64 m_changeSerial = 0;

    // The recovery copy being taken, a slice of rows at a time between events.
    // The pattern strip's, depth map's and 3D picture's names a project file holds.
    static std::array<QString, 3> namesInProject(const QString& fileName);
    void scheduleRecoveryCopy(bool unsaved);
    void startRecoveryCopy();
    void copyRecoverySlice();
    std::unique_ptr<RecoveryStore> m_recovery;
    std::shared_ptr<RecoveryStore::Abandoned> m_restoredFrom;
    QTimer* m_recoveryDue = nullptr;
    QTimer* m_recoverySlices = nullptr;
    RecoveryCopy m_recoveryCopy;
    int m_recoveryDelayMs = 0;
    int m_recoveryRow = 0;
    int m_recoveryTries = 0;
    quint64 m_recoverySerial = 0;
    bool m_recoveryKept = false;

    // The commands' actions and buttons, in the table's order.
    std::vector<QAction*> m_commands;
    std::vector<QToolButton*> m_buttons;
    // The tool buttons' actions: one of them is checked.
    QActionGroup* m_toolActions = nullptr;

    // Layout.
    Panel* SpeedBar = nullptr;
    Panel* PnBackground = nullptr;
    Panel* Toolbar = nullptr;
    // The pattern strip's pane, the splitter and the depth map's pane.
    ImagePane* Panel1 = nullptr;
    Panel* Panel2 = nullptr;
    ImagePane* Panel3 = nullptr;
    Panel* pnStatusBar = nullptr;
    Panel* pnStu = nullptr;
    Panel* pnStuPos = nullptr;
    Panel* pnStuSize = nullptr;
    // Shown while something is unsaved.
    Panel* pnStuModified = nullptr;
    // Shown while the active pane is magnified or reduced.
    Panel* pnStuZoom = nullptr;
    // The grooves of the speed bar, the file buttons' box and the tool bar's groove.
    Panel* Panel6 = nullptr;
    Panel* Panel8 = nullptr;
    Panel* Panel7 = nullptr;
    Panel* Panel9 = nullptr;
    // The option panel of the line, rectangle and ellipse tools.
    ShapeOptionPanel* Panel5 = nullptr;

    QMenu* FileMenu = nullptr;
    QMenu* EditMenu = nullptr;
    QMenu* View1 = nullptr;
    QMenu* Text = nullptr;
    QMenu* HelpMenu = nullptr;

    QTimer* Timer1 = nullptr;
};

// What is unsaved, as the questions name it: "the pattern strip and the depth map".
QString unsavedList(bool pattern, bool depth, bool project, std::uint8_t language);
