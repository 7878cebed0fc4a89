// The project commands of the File menu and the speed bar, and Make 3D.

#include "document/ImageFiles.h"
#include "document/Prompts.h"
#include "document/RememberedPlaces.h"
#include "document/TMy3DFile.h"
#include "mainwindow/TForm1.h"
#include "output/TfmArchieve.h"
#include "output/TfmOutput.h"
#include "tools/TDrawTool.h"
#include "widgets/WaitCursor.h"

#include <QAction>
#include <QDir>
#include <QScopedValueRollback>

#include <utility>

namespace {

const QString FilesSection = QStringLiteral("Files");
const QString LayFileKey = QStringLiteral("LayFile");
const QString BackFileKey = QStringLiteral("BackFile");
const QString TargetFileKey = QStringLiteral("TargetFile");

} // namespace

void TForm1::V3DPictureClick()
{
    if (m_output) {
        m_output->showAgain();
    }
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
                [this] { command("V3DPicture")->setEnabled(false); });
        connect(m_output.get(), &TfmOutput::renderingFinished, this,
                [this] { command("V3DPicture")->setEnabled(true); });
        connectOutputPrint(*m_output);
    }
}

void TForm1::SbMake3DPClick()
{
    if (m_drawTool) {
        m_drawTool->SelectTool(ToolId::Select);
    }
    command("sbSelect")->setChecked(true);
    // Each 3D picture gets a new output window; the old one goes with its picture, also in the
    // middle of a rendering.
    m_output.reset();
    createSecondaryWindows();
    m_output->Make3D();
}

void TForm1::sbNew3DClick()
{
    // After the question about unsaved changes, the images' own questions are not asked.
    bool asked = false;
    if (!confirmReplacing(
            true, true, true,
            [this] {
                return m_prompts.askYesNo(
                    QStringLiteral("Are You Sure To\nStart A New 3D Picture?"));
            },
            &asked)) {
        return;
    }
    const QScopedValueRollback settled(m_changesSettled, m_changesSettled || asked);
    m_document.ProjectFileName.clear();
    SwitchCurrentImage();
    sbNewClick();
    SwitchCurrentImage();
    sbNewClick();
    UpdateCaption();
    takeSavedNames();
}

void TForm1::sb3DOpenClick()
{
    const QString chosen =
        m_prompts.chooseOpenFile({QStringLiteral("*.3DP"), QStringLiteral("3DP"),
                                  QStringLiteral("3D-Picture File[*.3dp]|*.3dp|All Files[*.*]|*.*"),
                                  RememberedPlaces::Projects});
    if (!chosen.isEmpty()) {
        openProjectFile(chosen);
    }
}

void TForm1::openProjectFile(const QString& fileName)
{
    // A project file that cannot be read, or a picture chosen by mistake, would open as three
    // empty names and wipe both images; the open project stays instead.
    if (const QString error = TMy3DFile(fileName).whyNotAProject(); !error.isEmpty()) {
        m_prompts.showError(error);
        return;
    }
    if (!confirmReplacing(true, true, true, {})) {
        return;
    }
    m_document.ProjectFileName = fileName;
    OpenProject();
    UpdateCaption();
    rememberRecentProject(fileName);
}

std::array<QString, 3> TForm1::namesInProject(const QString& fileName)
{
    const TMy3DFile project(fileName);
    return {project.readString(FilesSection, LayFileKey, QString()),
            project.readString(FilesSection, BackFileKey, QString()),
            project.readString(FilesSection, TargetFileKey, QString())};
}

void TForm1::OpenProject()
{
    auto [pattern, depth, target] = namesInProject(m_document.ProjectFileName);
    m_document.PatternFileName = std::move(pattern);
    m_document.DepthFileName = std::move(depth);
    m_document.TargetFileName = std::move(target);

    createSecondaryWindows();
    if (!m_document.TargetFileName.isEmpty()) {
        m_document.TargetFileName =
            projectRelativePath(m_document.ProjectFileName, m_document.TargetFileName);
        if (m_output->loadTarget(m_document.TargetFileName)) {
            command("V3DPicture")->setEnabled(true);
        } else {
            m_document.TargetFileName.clear();
        }
    }
    QStringList failures;
    {
        WaitCursor wait;
        for (int pass = 0; pass < 2; ++pass) {
            if (QString error; !LoadActiveImage(&error)) {
                failures.append(error);
            }
            SwitchCurrentImage();
        }
    }
    UpdateCaption();
    takeSavedNames();
    if (!failures.isEmpty()) {
        m_prompts.showError(
            QStringLiteral(
                "Some pictures of %1 could not be read; each starts as a new picture:\n%2")
                .arg(QDir::toNativeSeparators(m_document.ProjectFileName),
                     failures.join(QLatin1Char('\n'))));
    }
}

void TForm1::sb3DsaveClick()
{
    if (m_document.ProjectFileName.isEmpty()) {
        sb3DSaveasClick();
    } else {
        SaveProject();
    }
}

// Ends at the first image that cannot be saved, with that one error; the caption names a
// project file only once it has been written.
void TForm1::sb3DSaveasClick()
{
    if (!sbSaveClick()) {
        return;
    }
    SwitchCurrentImage();
    const bool saved = sbSaveClick();
    SwitchCurrentImage();
    if (!saved) {
        return;
    }
    const QString chosen =
        m_prompts.chooseSaveFile({QStringLiteral("*.3dp"), QStringLiteral("3DP"),
                                  QStringLiteral("3D-Picture [*.3dp]|*.3dp|All Files[*.*]|*.*"),
                                  RememberedPlaces::Projects});
    if (chosen.isEmpty()) {
        return;
    }
    const QString previous = std::exchange(m_document.ProjectFileName, chosen);
    if (!SaveProject()) {
        m_document.ProjectFileName = previous;
        UpdateCaption();
    }
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
    if (written) {
        takeSavedNames();
        rememberRecentProject(m_document.ProjectFileName);
    } else {
        m_prompts.showError(error);
    }
    return written;
}
