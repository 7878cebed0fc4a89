#pragma once

#include <QString>

#include <cstdint>

// The texts that exist in English and in Chinese and are read at the moment they are shown.
// Language 0 is English, 1 is Chinese; any other value reads as English.
namespace language {

inline constexpr std::uint8_t English = 0;
inline constexpr std::uint8_t Chinese = 1;

// Rows of the status-bar hints, one per area of the main window.
enum class HintRow
{
    ToolBar,
    SpeedBar,
    LeftPane,
    RightPane
};
// Rows of the messages.
enum class MessageRow
{
    QuitQuestion,
    Archieving,
    PleaseWait,
    RecentProjects,
    RecentProjectMissing,
};

QString StatusHints(HintRow row, std::uint8_t UILanguage);

// What a language switch rewrites, in the order it rewrites them: the help file's name, the
// main window's caption, the menus and their items, the buttons' hints and the titles of the
// two colour windows.
enum class TextTarget
{
    HelpFile,
    MainCaption,
    FileMenu,
    EditMenu,
    View1,
    Text,
    HelpMenu,
    FileNewItem,
    FileOpenItem,
    FileSaveItem,
    FileSaveAsItem,
    FilePrintItem,
    FilePrintSetupItem,
    PrintPreview,
    FileExitItem,
    RecoverDepthItem,
    EditUndoItem,
    EditCutItem,
    EditCopyItem,
    EditPasteItem,
    CopyFrom1,
    EditSelectAllItem,
    EditDeleteItem,
    V3DPicture,
    ZoomInItem,
    ZoomOutItem,
    ActualSizeItem,
    FitToPaneItem,
    HighColorPalette,
    N20ColorPalette,
    MToolBar,
    MSpeedBar,
    Chinese1,
    English1,
    LivePreviewItem,
    Font,
    HelpContentsItem,
    HelpSearchItem,
    HelpHowToUseItem,
    HelpAboutItem,
    sbNew,
    sbopen,
    sbSave,
    sbSaveAs,
    sbCut,
    sbCopy,
    sbPaste,
    sbSelect,
    sbPen,
    sbEllip,
    sbFill,
    sbLine,
    sbRect,
    sbText,
    sbsuck,
    sbNew3D,
    sb3DOpen,
    sb3Dsave,
    sb3DSaveas,
    SbMake3DP,
    sbHelp,
    HighColorTitle,
    Color20Title,
};
inline constexpr int TextTargetCount = static_cast<int>(TextTarget::Color20Title) + 1;

QString LanguageText(TextTarget target, std::uint8_t UILanguage);
QString LanguageMessages(MessageRow row, std::uint8_t UILanguage);

} // namespace language
