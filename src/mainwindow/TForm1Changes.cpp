// Unsaved changes: what the user made since each image was last loaded or saved, and the
// names a titled project holds that its file does not; the one question before anything of it
// is replaced.

#include "document/Prompts.h"
#include "mainwindow/ImagePane.h"
#include "mainwindow/TForm1.h"
#include "tools/TDrawTool.h"
#include "widgets/Panel.h"

#include <QTimer>

QString unsavedList(bool pattern, bool depth, bool project, std::uint8_t language)
{
    const bool chinese = language == language::Chinese;
    QStringList what;
    if (pattern) {
        what << (chinese ? QStringLiteral("图案条") : QStringLiteral("the pattern strip"));
    }
    if (depth) {
        what << (chinese ? QStringLiteral("深度图") : QStringLiteral("the depth map"));
    }
    if (project) {
        what << (chinese ? QStringLiteral("立体画文件中的文件名")
                         : QStringLiteral("the file names of the 3D picture"));
    }
    if (chinese) {
        return what.join(QStringLiteral("、"));
    }
    QString list = what.join(QStringLiteral(", "));
    if (what.size() > 1) {
        const qsizetype last = list.lastIndexOf(QStringLiteral(", "));
        list.replace(last, 2, QStringLiteral(" and "));
    }
    return list;
}

namespace {

// The question's lines, English and Chinese, by what is unsaved.
QString unsavedText(bool pattern, bool depth, bool project, std::uint8_t language)
{
    const QString list = unsavedList(pattern, depth, project, language);
    if (language == language::Chinese) {
        return QStringLiteral("%1有未保存的修改。\n是否先保存？").arg(list);
    }
    const bool several = int(pattern) + int(depth) + int(project) > 1;
    return QStringLiteral("%1%2 %3 unsaved changes.\nSave them first?")
        .arg(list.left(1).toUpper(), list.mid(1),
             several ? QStringLiteral("have") : QStringLiteral("has"));
}

} // namespace

void TForm1::takeSavedState(bool depthMap)
{
    (depthMap ? m_savedDepth : m_savedPattern) = (depthMap ? m_depthMap : m_patternStrip).image();
    scheduleChangeCheck();
}

void TForm1::takeSavedNames()
{
    m_savedNames = {m_document.PatternFileName, m_document.DepthFileName,
                    m_document.TargetFileName};
    scheduleChangeCheck();
}

TForm1::Unsaved TForm1::unsavedChanges()
{
    if (FirstActivation) {
        return {};
    }
    // A tool's marquee or caret is no change; the comparison sees the picture without it.
    m_checkingChanges = true;
    withTool([](TDrawTool& tool) { tool.setMarksShown(false); });
    // Pictures that still share their pixels with the saved ones compare at once.
    Unsaved unsaved{m_patternStrip.image() != m_savedPattern, m_depthMap.image() != m_savedDepth,
                    false};
    withTool([](TDrawTool& tool) { tool.setMarksShown(true); });
    m_checkingChanges = false;
    unsaved.project =
        !m_document.ProjectFileName.isEmpty() &&
        m_savedNames != std::array{m_document.PatternFileName, m_document.DepthFileName,
                                   m_document.TargetFileName};
    return unsaved;
}

void TForm1::scheduleChangeCheck()
{
    if (!m_checkingChanges) {
        ++m_changeSerial;
        m_changeCheck->start();
    }
}

void TForm1::showUnsavedChanges()
{
    const bool any = unsavedChanges().any();
    scheduleRecoveryCopy(any);
    setWindowModified(any);
    pnStuModified->setText(UILanguage == language::Chinese ? QStringLiteral("已修改")
                                                           : QStringLiteral("Modified"));
    if (pnStuModified->isVisible() != any) {
        pnStuModified->setVisible(any);
        layoutWindow();
    }
}

bool TForm1::saveImage(bool depthMap)
{
    const bool switched = depthMap != m_drawing.DepthMapActive;
    if (switched) {
        SwitchCurrentImage();
    }
    const bool saved = sbSaveClick();
    if (switched) {
        SwitchCurrentImage();
    }
    return saved;
}

bool TForm1::settleUnsaved(const Unsaved& what)
{
    switch (
        m_prompts.askSaveChanges(unsavedText(what.pattern, what.depth, what.project, UILanguage))) {
    case Prompts::SaveChoice::Cancel:
        return false;
    case Prompts::SaveChoice::Discard:
        return true;
    case Prompts::SaveChoice::Save:
        break;
    }
    // A titled project saves as a whole; otherwise each image on its own, through its Save As
    // where it has no name yet.
    if (!m_document.ProjectFileName.isEmpty()) {
        if (!SaveProject()) {
            return false;
        }
    } else if ((what.pattern && !saveImage(false)) || (what.depth && !saveImage(true))) {
        return false;
    }
    // A Save As the user cancelled saved nothing: stop rather than lose it.
    const Unsaved after = unsavedChanges();
    return !(what.pattern && after.pattern) && !(what.depth && after.depth) &&
           !(what.project && after.project);
}

bool TForm1::confirmReplacing(bool pattern, bool depth, bool project,
                              const std::function<bool()>& specified, bool* asked)
{
    if (m_changesSettled) {
        return true;
    }
    const Unsaved unsaved = unsavedChanges();
    const Unsaved what{pattern && unsaved.pattern, depth && unsaved.depth,
                       project && unsaved.project};
    if (asked) {
        *asked = what.any();
    }
    if (what.any()) {
        return settleUnsaved(what);
    }
    return !specified || specified();
}
