// Switching the main window's texts between English and Chinese.

#include "mainwindow/TForm1.h"
#include "pickers/FloatingPalette.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>

void TForm1::ChangeLanguage(std::uint8_t language)
{
    using language::TextTarget;
    UILanguage = language == language::Chinese ? language::Chinese : language::English;
    auto text = [this](TextTarget target) { return language::LanguageText(target, UILanguage); };

    HelpFile = text(TextTarget::HelpFile);
    setWindowTitle(text(TextTarget::MainCaption));
    const std::pair<TextTarget, QAction*> items[] = {
        {TextTarget::FileMenu, FileMenu->menuAction()},
        {TextTarget::EditMenu, EditMenu->menuAction()},
        {TextTarget::View1, View1->menuAction()},
        {TextTarget::Text, Text->menuAction()},
        {TextTarget::HelpMenu, HelpMenu->menuAction()},
        {TextTarget::FileNewItem, FileNewItem},
        {TextTarget::FileOpenItem, FileOpenItem},
        {TextTarget::FileSaveItem, FileSaveItem},
        {TextTarget::FileSaveAsItem, FileSaveAsItem},
        {TextTarget::FilePrintItem, FilePrintItem},
        {TextTarget::FilePrintSetupItem, FilePrintSetupItem},
        {TextTarget::PrintPreview, PrintPreview},
        {TextTarget::FileExitItem, FileExitItem},
        {TextTarget::EditUndoItem, EditUndoItem},
        {TextTarget::EditCutItem, EditCutItem},
        {TextTarget::EditCopyItem, EditCopyItem},
        {TextTarget::EditPasteItem, EditPasteItem},
        {TextTarget::CopyFrom1, CopyFrom1},
        {TextTarget::V3DPicture, V3DPicture},
        {TextTarget::HighColorPalette, HighColorPalette},
        {TextTarget::N20ColorPalette, N20ColorPalette},
        {TextTarget::MToolBar, MToolBar},
        {TextTarget::MSpeedBar, MSpeedBar},
        {TextTarget::Chinese1, Chinese1},
        {TextTarget::English1, English1},
        {TextTarget::LivePreviewItem, LivePreviewItem},
        {TextTarget::Font, Font},
        {TextTarget::HelpContentsItem, HelpContentsItem},
        {TextTarget::HelpSearchItem, HelpSearchItem},
        {TextTarget::HelpHowToUseItem, HelpHowToUseItem},
        {TextTarget::HelpAboutItem, HelpAboutItem},
    };
    for (const auto& [target, action] : items) {
        action->setText(text(target));
    }
    // The new hints are all tooltip.
    const std::pair<TextTarget, QToolButton*> buttons[] = {
        {TextTarget::sbNew, sbNew},           {TextTarget::sbopen, sbopen},
        {TextTarget::sbSave, sbSave},         {TextTarget::sbSaveAs, sbSaveAs},
        {TextTarget::sbCut, sbCut},           {TextTarget::sbCopy, sbCopy},
        {TextTarget::sbPaste, sbPaste},       {TextTarget::sbSelect, sbSelect},
        {TextTarget::sbPen, sbPen},           {TextTarget::sbEllip, sbEllip},
        {TextTarget::sbFill, sbFill},         {TextTarget::sbLine, sbLine},
        {TextTarget::sbRect, sbRect},         {TextTarget::sbText, sbText},
        {TextTarget::sbsuck, sbsuck},         {TextTarget::sbNew3D, sbNew3D},
        {TextTarget::sb3DOpen, sb3DOpen},     {TextTarget::sb3Dsave, sb3Dsave},
        {TextTarget::sb3DSaveas, sb3DSaveas}, {TextTarget::SbMake3DP, SbMake3DP},
        {TextTarget::sbHelp, sbHelp},
    };
    for (const auto& [target, button] : buttons) {
        button->setProperty("hint", text(target));
        button->setToolTip(text(target));
    }
    // The colour windows take their titles once they exist; the height palette and the pen style
    // picker keep theirs in both languages.
    for (const auto& [which, target] :
         {std::pair{PaletteWindow::HighColor, TextTarget::HighColorTitle},
          std::pair{PaletteWindow::Color20, TextTarget::Color20Title}}) {
        if (QWidget* window = m_paletteWindows[static_cast<std::size_t>(which)]) {
            window->setWindowTitle(text(target));
        }
    }
}

void TForm1::Chinese1Click()
{
    ChangeLanguage(language::Chinese);
    Chinese1->setChecked(true);
    English1->setChecked(false);
}

void TForm1::English1Click()
{
    ChangeLanguage(language::English);
    English1->setChecked(true);
    Chinese1->setChecked(false);
}
