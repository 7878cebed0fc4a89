// The project commands of the File menu and the speed bar, and Make 3D.

#include "document/Prompts.h"
#include "document/TMy3DFile.h"
#include "mainwindow/TForm1.h"
#include "render/WaitCursor.h"
#include "output/TfmArchieve.h"
#include "output/TfmOutput.h"
#include "tools/TDrawTool.h"

#include <QAction>
#include <QToolButton>

namespace {

const QString FilesSection = QStringLiteral("Files");
const QString LayFileKey = QStringLiteral("LayFile");
const QString BackFileKey = QStringLiteral("BackFile");
const QString TargetFileKey = QStringLiteral("TargetFile");

} // namespace

void TForm1::connectProjectCommands()
{
    connect(sbNew3D, &QToolButton::clicked, this, &TForm1::sbNew3DClick);
    connect(FileNewItem, &QAction::triggered, this, &TForm1::sbNew3DClick);
    connect(sb3DOpen, &QToolButton::clicked, this, &TForm1::sb3DOpenClick);
    connect(FileOpenItem, &QAction::triggered, this, &TForm1::sb3DOpenClick);
    connect(sb3Dsave, &QToolButton::clicked, this, &TForm1::sb3DsaveClick);
    connect(FileSaveItem, &QAction::triggered, this, &TForm1::sb3DsaveClick);
    connect(sb3DSaveas, &QToolButton::clicked, this, &TForm1::sb3DSaveasClick);
    connect(FileSaveAsItem, &QAction::triggered, this, &TForm1::sb3DSaveasClick);
    connect(SbMake3DP, &QToolButton::clicked, this, &TForm1::SbMake3DPClick);
    connect(V3DPicture, &QAction::triggered, this, [this] {
        if (m_output) {
            m_output->showAgain();
        }
    });
}

void TForm1::createSecondaryWindows()
{
    if (!m_progress) {
        m_progress = std::make_unique<TfmArchieve>(UILanguage);
    }
    if (!m_output) {
        m_output = std::make_unique<TfmOutput>(*m_progress, m_document, m_prompts, m_patternStrip,
                                               m_depthMap);
        connect(m_output.get(), &TfmOutput::renderingStarted, this,
                [this] { V3DPicture->setEnabled(false); });
        connect(m_output.get(), &TfmOutput::renderingFinished, this,
                [this] { V3DPicture->setEnabled(true); });
    }
}

void TForm1::SbMake3DPClick()
{
    if (m_drawTool) {
        m_drawTool->SelectTool(TDrawTool::SelectId);
    }
    sbSelect->setChecked(true);
    // Each 3D picture gets a new output window; the old one goes with its picture, also in the
    // middle of a rendering.
    m_output.reset();
    createSecondaryWindows();
    m_output->Make3D();
}

void TForm1::sbNew3DClick()
{
    if (!m_prompts.askYesNo(QStringLiteral("Are You Sure To\nStart A New 3D Picture?"))) {
        return;
    }
    m_document.ProjectFileName.clear();
    SwitchCurrentImage();
    sbNewClick();
    SwitchCurrentImage();
    sbNewClick();
    UpdateCaption();
}

void TForm1::sb3DOpenClick()
{
    const QString chosen = m_prompts.chooseOpenFile(
        {QStringLiteral("*.3DP"), QStringLiteral("3DP"),
         QStringLiteral("3D-Picture File[*.3dp]|*.3dp|All Files[*.*]|*.*")});
    if (chosen.isEmpty()) {
        return;
    }
    m_document.ProjectFileName = chosen;
    OpenProject();
    UpdateCaption();
}

void TForm1::OpenProject()
{
    const TMy3DFile project(m_document.ProjectFileName);
    m_document.PatternFileName = project.readString(FilesSection, LayFileKey, QString());
    m_document.DepthFileName = project.readString(FilesSection, BackFileKey, QString());
    m_document.TargetFileName = project.readString(FilesSection, TargetFileKey, QString());

    createSecondaryWindows();
    if (!m_document.TargetFileName.isEmpty()) {
        if (m_output->loadTarget(m_document.TargetFileName)) {
            V3DPicture->setEnabled(true);
        } else {
            m_document.TargetFileName.clear();
        }
    }
    {
        WaitCursor wait;
        LoadActiveImage();
        SwitchCurrentImage();
        LoadActiveImage();
    }
    SwitchCurrentImage();
    UpdateCaption();
}

void TForm1::sb3DsaveClick()
{
    if (m_document.ProjectFileName.isEmpty()) {
        sb3DSaveasClick();
    } else {
        SaveProject();
    }
}

void TForm1::sb3DSaveasClick()
{
    sbSaveClick();
    SwitchCurrentImage();
    sbSaveClick();
    SwitchCurrentImage();
    const QString chosen =
        m_prompts.chooseSaveFile({QStringLiteral("*.3dp"), QStringLiteral("3DP"),
                                  QStringLiteral("3D-Picture [*.3dp]|*.3dp|All Files[*.*]|*.*")});
    if (chosen.isEmpty()) {
        return;
    }
    m_document.ProjectFileName = chosen;
    SaveProject();
}

bool TForm1::SaveProject()
{
    if (!sbSaveClick()) {
        return false;
    }
    SwitchCurrentImage();
    if (!sbSaveClick()) {
        return false;
    }
    TMy3DFile project(m_document.ProjectFileName);
    QString error;
    const bool written =
        project.writeString(FilesSection, LayFileKey, m_document.PatternFileName, &error) &&
        project.writeString(FilesSection, BackFileKey, m_document.DepthFileName, &error) &&
        project.writeString(FilesSection, TargetFileKey, m_document.TargetFileName, &error);
    SwitchCurrentImage();
    if (!written) {
        m_prompts.showError(error);
    }
    return written;
}
