#pragma once

#include "document/DocumentState.h"
#include "language/LanguageTables.h"
#include "mainwindow/ShapeOptionPanel.h"
#include "raster/GreyPalette.h"
#include "raster/RasterImage.h"
#include "tools/DrawingState.h"
#include "tools/ToolHost.h"

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class ImageView;
class LivePreview;
class Panel;
class Pntmange;
class Prompts;
class QAction;
class QButtonGroup;
class QMenu;
class QTimer;
class QToolButton;
class ScrollBox;
class Shape;
class TDrawTool;
class HostLink;
class TdlgAbout;
class TfmArchieve;
class TfmOutput;
class FloatingPalette;
class TfmColor;
class TfmColor16;
class Tfmheight;
class TfmPStyle;

// The editor's main window: the pattern strip and the depth map side by side, each in a
// scrolling pane with a frame and a size grip, a splitter between them, the speed bar, the tool
// bar and the status bar. One image is active at a time; a hatched mask covers the other pane,
// and a release on the mask makes that image active.
//
// The window owns both images, the drawing state, the document's file names and the tool
// dispatcher, and passes pointer, key, timer and Edit menu events of the active image to the
// dispatcher. Its controls are public under their design names so that tests can drive them.
class TForm1 final : public QMainWindow, public ToolHost
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
    // project; anything else is ignored.
    void DdeServerConv1ExecuteMacro(const QString& macro);
    void HelpContentsItemClick();
    void sbHelpClick();
    void HelpAboutItemClick();
    // The help page of the current language's help file, at the main window's topic.
    void showHelpTopic();

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
    Pntmange& printing() { return *m_printing; }
    // Wires an output window's print button to the print command.
    void connectOutputPrint(TfmOutput& output);

    // View > Live 3D Preview: shows or hides the window whose 3D picture follows both images
    // (TForm1LivePreview.cpp). Null until first shown.
    void setLivePreviewShown(bool shown);
    LivePreview* livePreview() const { return m_livePreview; }

    // ToolHost.
    void ShowCurrentPalette() override;
    void RefreshCurrentPalette() override;
    void HidePalettes() override;
    void setPenStylePickerVisible(bool visible) override;
    void showOptionPanel(OptionPanel panel) override;
    void hideOptionPanel() override;
    void setTextMenuVisible(bool visible) override;
    void setPaintModeButtonsVisible(bool visible) override;
    void setTimerPeriod(int milliseconds) override;
    void imageChanged(const QRect& area) override;
    void setPointerShape(PointerShape shape) override;
    void putClipboardPicture(const QImage& picture) override;
    bool clipboardHasPicture() const override;
    QImage clipboardPicture() const override;
    void showError(const QString& text) override;
    QFont dialogFont() const override;

    // Edit > Copy From: a picture file chosen with the bitmap chooser floats in the selection
    // tool; one that cannot be read is named in an error message.
    void CopyFrom1Click();
    // The font dialog's choice, which the text tool draws with and Text > Font changes; it
    // starts as Arial, bold, 60 pixels, black. OK also makes it both images' drawing font.
    TextFont FontDialog1;

    // The palette windows and the pen style picker, once they exist.
    void setPaletteWindow(PaletteWindow which, FloatingPalette* window);
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
    TfmPStyle* penStylePicker() const { return m_penStylePicker; }

    std::uint8_t UILanguage = 0;
    // The help file whose topic F1 shows; the language decides it.
    QString HelpFile = QStringLiteral("3DP.HLP");
    int BitsPerPixel = 32;
    bool LaunchedByHost = false;
    bool FirstActivation = true;
    // A drag of the splitter or of a size grip is in progress.
    bool Dragging = false;
    // Scroll position and range of the pane whose grip is dragged, taken at the press.
    int GripScrollX = 0;
    int GripRangeX = 0;
    int GripScrollY = 0;
    int GripRangeY = 0;

    // Layout.
    Panel* SpeedBar = nullptr;
    Panel* PnBackground = nullptr;
    Panel* Toolbar = nullptr;
    Panel* Panel1 = nullptr;
    ScrollBox* ScrollBox1 = nullptr;
    Shape* Shape1 = nullptr;
    ImageView* Image1 = nullptr;
    Shape* Shape2 = nullptr;
    Shape* spLMask = nullptr;
    Panel* Panel2 = nullptr;
    Panel* Panel3 = nullptr;
    ScrollBox* ScrollBox2 = nullptr;
    Shape* Shape3 = nullptr;
    ImageView* Image2 = nullptr;
    Shape* Shape4 = nullptr;
    Shape* spRMask = nullptr;
    Panel* pnStatusBar = nullptr;
    Panel* pnStu = nullptr;
    Panel* pnStuPos = nullptr;
    Panel* pnStuSize = nullptr;

    // Speed bar.
    QToolButton* sbNew3D = nullptr;
    QToolButton* sb3DOpen = nullptr;
    QToolButton* sb3Dsave = nullptr;
    QToolButton* sb3DSaveas = nullptr;
    Panel* Panel6 = nullptr;
    QToolButton* sbCut = nullptr;
    QToolButton* sbCopy = nullptr;
    QToolButton* sbPaste = nullptr;
    Panel* Panel8 = nullptr;
    QToolButton* SbMake3DP = nullptr;
    QToolButton* sbPrint = nullptr;
    QToolButton* sbHelp = nullptr;

    // Tool bar.
    Panel* Panel7 = nullptr;
    QToolButton* sbNew = nullptr;
    QToolButton* sbopen = nullptr;
    QToolButton* sbSave = nullptr;
    QToolButton* sbSaveAs = nullptr;
    Panel* Panel9 = nullptr;
    QButtonGroup* toolButtons = nullptr;
    QToolButton* sbSelect = nullptr;
    QToolButton* sbPen = nullptr;
    QToolButton* sbFill = nullptr;
    QToolButton* sbLine = nullptr;
    QToolButton* sbRect = nullptr;
    QToolButton* sbEllip = nullptr;
    QToolButton* sbText = nullptr;
    QToolButton* sbsuck = nullptr;
    QToolButton* sbAver = nullptr;
    // The option panel of the line, rectangle and ellipse tools.
    ShapeOptionPanel* Panel5 = nullptr;

    // Menus.
    QMenu* FileMenu = nullptr;
    QAction* FileNewItem = nullptr;
    QAction* FileOpenItem = nullptr;
    QAction* FileSaveItem = nullptr;
    QAction* FileSaveAsItem = nullptr;
    QAction* PrintPreview = nullptr;
    QAction* FilePrintSetupItem = nullptr;
    QAction* FilePrintItem = nullptr;
    QAction* FileExitItem = nullptr;
    QMenu* EditMenu = nullptr;
    QAction* EditUndoItem = nullptr;
    QAction* EditCutItem = nullptr;
    QAction* EditCopyItem = nullptr;
    QAction* EditPasteItem = nullptr;
    QAction* CopyFrom1 = nullptr;
    QMenu* View1 = nullptr;
    QAction* V3DPicture = nullptr;
    QAction* HighColorPalette = nullptr;
    QAction* N20ColorPalette = nullptr;
    QAction* MToolBar = nullptr;
    QAction* MSpeedBar = nullptr;
    QAction* Chinese1 = nullptr;
    QAction* English1 = nullptr;
    QAction* LivePreviewItem = nullptr;
    QMenu* Text = nullptr;
    QAction* Font = nullptr;
    QMenu* HelpMenu = nullptr;
    QAction* HelpContentsItem = nullptr;
    QAction* HelpSearchItem = nullptr;
    QAction* HelpHowToUseItem = nullptr;
    QAction* HelpAboutItem = nullptr;

    QTimer* Timer1 = nullptr;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // One local file dropped on the window: a project anywhere, any other file on the pane whose
    // image it becomes (TForm1Desktop.cpp).
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Building the window (TForm1.cpp).
    void createMenus();
    void createSpeedBar();
    void createToolBar();
    void createPanes();
    void createStatusBar();
    QToolButton* addButton(QWidget* parent, QRect geometry, const QString& hint, int glyph);
    void layoutWindow();
    void layoutBackground();

    // Panes, splitter and grips (TForm1Panes.cpp).
    struct PaneParts;
    PaneParts pane(bool depthMap);
    void placeFrame(bool depthMap);
    void resizeMasks();
    void setHint(language::HintRow row);
    void splitterMove(QPoint position);
    void gripDown(bool depthMap);
    void gripMove(bool depthMap, QPoint position);
    void gripUp(bool depthMap);
    bool paneEvent(QObject* watched, QEvent* event);

    enum class DropTarget
    {
        None,
        Project,
        PatternStrip,
        DepthMap
    };
    DropTarget dropTarget(const QString& fileName, QPoint position) const;

    void connectProjectCommands();
    void connectPrintCommands();

    // Image files (TForm1ImageFiles.cpp).
    void clearActiveImage();
    bool savePatternStrip(const QString& fileName);
    bool writeShowingErrors(const std::function<bool(QString*)>& write);
    void connectStartupCommands();
    // Puts a floating window beside this window's frame, where it covers none of it.
    void placeFloatingWindow(QWidget* window, bool preferLeft);

    // Tools and their events (TForm1Tools.cpp).
    void connectToolCommands();
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
    std::unique_ptr<TDrawTool> m_drawTool;
    std::unique_ptr<TfmArchieve> m_progress;
    std::unique_ptr<TfmOutput> m_output;
    std::unique_ptr<Pntmange> m_printing;
    // Sees every key of the application first; removed before the window comes apart.
    QObject* m_keyPreview = nullptr;

    int m_leftPaneWidth = 166;
    std::array<FloatingPalette*, 3> m_paletteWindows{};
    TfmPStyle* m_penStylePicker = nullptr;
    HostLink* m_hostLink = nullptr;
    TdlgAbout* m_about = nullptr;
    bool m_paintModeButtonsVisible = true;
    LivePreview* m_livePreview = nullptr;
};
