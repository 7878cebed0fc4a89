// Switching the main window's texts between English and Chinese.

#include "mainwindow/EditorToolHost.h"
#include "mainwindow/LivePreview.h"
#include "mainwindow/TForm1.h"
#include "pickers/FloatingPalette.h"

#include <QAction>

void TForm1::ChangeLanguage(std::uint8_t language)
{
    using language::TextTarget;
    UILanguage = language == language::Chinese ? language::Chinese : language::English;
    auto text = [this](TextTarget target) { return language::LanguageText(target, UILanguage); };

    HelpFile = text(TextTarget::HelpFile);
    setWindowTitle(text(TextTarget::MainCaption));
    retextCommands(UILanguage);
    fillRecentProjects();
    if (m_livePreview) {
        m_livePreview->setLanguage(UILanguage);
    }
    // The colour windows take their titles once they exist; the height palette and the pen style
    // picker keep theirs in both languages.
    for (const auto& [which, target] :
         {std::pair{PaletteWindow::HighColor, TextTarget::HighColorTitle},
          std::pair{PaletteWindow::Color20, TextTarget::Color20Title}}) {
        if (QWidget* window = m_toolHost->paletteWindow(which)) {
            window->setWindowTitle(text(target));
        }
    }
}

void TForm1::Chinese1Click()
{
    ChangeLanguage(language::Chinese);
    command("Chinese1")->setChecked(true);
    command("English1")->setChecked(false);
}

void TForm1::English1Click()
{
    ChangeLanguage(language::English);
    command("English1")->setChecked(true);
    command("Chinese1")->setChecked(false);
}
