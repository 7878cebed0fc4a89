// Crash recovery: a copy of what is unsaved, taken a slice at a time while the user pauses and
// written by the store's own thread, and the offer to restore it at the next start.

#include "document/Prompts.h"
#include "mainwindow/TForm1.h"
#include "tools/TDrawTool.h"

#include <QFileInfo>
#include <QLocale>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// After a change interrupted a copy, the next try comes sooner.
constexpr int RetryDelayMs = 1'000;
// Tries a change may interrupt; the next one runs to its end, and another copy follows it.
constexpr int MaxInterruptedTries = 3;
// Rows copied between two events: about a MiB, a fraction of a millisecond.
constexpr qsizetype SliceBytes = qsizetype(1) << 20;

QImage blankLike(const RasterImage& image)
{
    QImage copy(image.image().size(), image.image().format());
    copy.setColorTable(image.image().colorTable());
    return copy;
}

} // namespace

void TForm1::keepRecoveryCopies(const QString& root, int delayMs)
{
    m_recovery = std::make_unique<RecoveryStore>(root);
    if (!m_recovery->isActive()) {
        // Not worth a question at every start: the editor works as before, without copies.
        qWarning("%s", qUtf8Printable(m_recovery->error()));
        m_recovery.reset();
        return;
    }
    m_recoveryDelayMs = delayMs;
    m_recoveryDue = new QTimer(this);
    m_recoveryDue->setSingleShot(true);
    connect(m_recoveryDue, &QTimer::timeout, this, &TForm1::startRecoveryCopy);
    m_recoverySlices = new QTimer(this);
    m_recoverySlices->setInterval(0);
    connect(m_recoverySlices, &QTimer::timeout, this, &TForm1::copyRecoverySlice);
}

void TForm1::scheduleRecoveryCopy(bool unsaved)
{
    if (!m_recovery) {
        return;
    }
    if (unsaved) {
        // Later changes do not push the copy back: it comes within the delay of the first.
        if (!m_recoveryDue->isActive() && !m_recoverySlices->isActive()) {
            m_recoveryDue->start(m_recoveryDelayMs);
        }
        return;
    }
    m_recoveryDue->stop();
    m_recoverySlices->stop();
    m_recoveryCopy = {};
    if (m_recoveryKept) {
        m_recovery->discard();
        m_recoveryKept = false;
    }
}

void TForm1::startRecoveryCopy()
{
    const Unsaved unsaved = unsavedChanges();
    if (!unsaved.any()) {
        scheduleRecoveryCopy(false);
        return;
    }
    m_recoveryCopy = {};
    if (unsaved.pattern) {
        m_recoveryCopy.pattern = blankLike(m_patternStrip);
    }
    if (unsaved.depth) {
        m_recoveryCopy.depth = blankLike(m_depthMap);
    }
    m_recoveryCopy.projectFileName = m_document.ProjectFileName;
    m_recoveryCopy.patternFileName = m_document.PatternFileName;
    m_recoveryCopy.depthFileName = m_document.DepthFileName;
    m_recoveryCopy.targetFileName = m_document.TargetFileName;
    m_recoveryRow = 0;
    m_recoverySerial = m_changeSerial;
    m_recoverySlices->start();
}

void TForm1::copyRecoverySlice()
{
    const auto sameSize = [](const QImage& copy, const RasterImage& from) {
        return copy.isNull() ||
               (copy.size() == from.image().size() && copy.format() == from.image().format());
    };
    const bool interrupted = m_recoverySerial != m_changeSerial;
    // A picture of another size cannot go on where the last slice ended.
    const bool resized = !sameSize(m_recoveryCopy.pattern, m_patternStrip) ||
                         !sameSize(m_recoveryCopy.depth, m_depthMap);
    if (resized || (interrupted && m_recoveryTries < MaxInterruptedTries)) {
        ++m_recoveryTries;
        m_recoverySlices->stop();
        m_recoveryDue->start(RetryDelayMs);
        return;
    }
    // Rows count through the strip's first, then the depth map's. The copies are new pictures
    // of their own, so a later stroke never has to copy the pictures it paints on.
    struct Part
    {
        QImage& copy;
        const RasterImage& from;
    };
    const std::array parts{Part{m_recoveryCopy.pattern, m_patternStrip},
                           Part{m_recoveryCopy.depth, m_depthMap}};
    int row = m_recoveryRow;
    qsizetype budget = SliceBytes;
    m_checkingChanges = true;
    withTool([](TDrawTool& tool) { tool.setMarksShown(false); });
    for (const Part& part : parts) {
        if (part.copy.isNull()) {
            continue;
        }
        const int height = part.copy.height();
        if (row >= height) {
            row -= height;
            continue;
        }
        const qsizetype lineBytes = part.copy.bytesPerLine();
        const int rows =
            std::clamp(int(budget / std::max<qsizetype>(lineBytes, 1)), 1, height - row);
        for (int y = row; y < row + rows; ++y) {
            std::memcpy(part.copy.scanLine(y), part.from.image().constScanLine(y),
                        std::size_t(lineBytes));
        }
        m_recoveryRow += rows;
        budget = 0;
        break;
    }
    withTool([](TDrawTool& tool) { tool.setMarksShown(true); });
    m_checkingChanges = false;
    if (budget == 0) {
        return; // rows are left
    }
    m_recoverySlices->stop();
    m_recoveryTries = 0;
    std::function<void()> afterwards;
    if (m_restoredFrom) {
        // The restored work is safe in this run's own copy now.
        afterwards = [from = std::exchange(m_restoredFrom, {})] { from->remove(); };
    }
    m_recovery->keep(std::exchange(m_recoveryCopy, {}), std::move(afterwards));
    m_recoveryKept = true;
    if (interrupted) {
        m_recoveryDue->start(RetryDelayMs);
    }
}

void TForm1::endRecovery()
{
    if (!m_recovery) {
        return;
    }
    scheduleRecoveryCopy(false);
    if (m_restoredFrom) {
        m_restoredFrom->remove();
        m_restoredFrom.reset();
    }
}

QString TForm1::finishRecoveryCopy()
{
    return m_recovery ? m_recovery->waitForWrites() : QString();
}

bool TForm1::offerRecovery(const QString& root)
{
    std::shared_ptr<RecoveryStore::Abandoned> abandoned = RecoveryStore::claimAbandoned(root);
    if (!abandoned) {
        return false;
    }
    const bool chinese = UILanguage == language::Chinese;
    RecoveryCopy copy;
    if (QString error; !abandoned->read(&copy, &error)) {
        m_prompts.showError(
            (chinese ? QStringLiteral("上次未保存的修改无法恢复：\n%1")
                     : QStringLiteral("The unsaved work of an earlier run cannot be restored:\n%1"))
                .arg(error));
        abandoned->remove();
        return false;
    }
    const QString what =
        unsavedList(!copy.pattern.isNull(), !copy.depth.isNull(), false, UILanguage);
    const QString when = QLocale().toString(copy.written, QLocale::ShortFormat);
    const QString question =
        chinese ? QStringLiteral("Depthloom 于 %1 未正常退出，%2的修改没有保存。\n是否恢复？")
                      .arg(when, what)
                : QStringLiteral("Depthloom ended on %1 without saving its changes to %2.\n"
                                 "Restore them?")
                      .arg(when, what);
    if (!m_prompts.askYesNo(question)) {
        abandoned->remove();
        return false;
    }
    if (!confirmReplacing(true, true, true, {})) {
        return false; // the copy stays for the next start
    }
    m_document.ProjectFileName = copy.projectFileName;
    m_document.PatternFileName = copy.patternFileName;
    m_document.DepthFileName = copy.depthFileName;
    m_document.TargetFileName = copy.targetFileName;
    // An image that was saved comes from its file; a kept one counts as unsaved until saved.
    QStringList failures;
    for (int pass = 0; pass < 2; ++pass) {
        const bool depthMap = m_drawing.DepthMapActive;
        const QImage& kept = depthMap ? copy.depth : copy.pattern;
        if (kept.isNull()) {
            if (QString error; !LoadActiveImage(&error)) {
                failures.append(error);
            }
        } else {
            restartToolForNewPicture();
            m_drawing.ActiveImage->setImage(kept);
            placeFrame(depthMap);
            (depthMap ? m_savedDepth : m_savedPattern) = QImage();
        }
        SwitchCurrentImage();
    }
    m_savedNames = {};
    if (!m_document.ProjectFileName.isEmpty() && QFileInfo(m_document.ProjectFileName).isFile()) {
        m_savedNames = namesInProject(m_document.ProjectFileName);
    }
    UpdateCaption();
    scheduleChangeCheck();
    if (m_recovery) {
        // Removed once this run has its own copy of the work.
        m_restoredFrom = std::move(abandoned);
        m_recoveryDue->start(0);
    } else {
        abandoned->remove();
    }
    if (!failures.isEmpty()) {
        m_prompts.showError(failures.join(QLatin1Char('\n')));
    }
    return true;
}
