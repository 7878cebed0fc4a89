// View > Live 3D Preview: a floating window whose 3D picture follows both images.

#include "mainwindow/EditorToolHost.h"
#include "mainwindow/LivePreview.h"
#include "mainwindow/TForm1.h"
#include "pickers/FloatingPalette.h"
#include "pickers/Placement.h"
#include "pickers/TfmPStyle.h"
#include "tools/TDrawTool.h"

#include <QAction>
#include <QScreen>

namespace {

// The frame a window takes or will take, with room for a window manager's title bar and borders.
QRect frameOf(const QWidget* window)
{
    return window->frameGeometry().united(
        QRect(window->pos(), window->size().grownBy(QMargins(4, 30, 4, 4))));
}

} // namespace

void TForm1::setLivePreviewShown(bool shown)
{
    if (!shown) {
        if (m_livePreview) {
            m_livePreview->hide();
        }
        return;
    }
    if (!m_livePreview) {
        m_livePreview = new LivePreview(
            m_patternStrip, m_depthMap,
            [this](bool marksShown) {
                if (m_drawTool) {
                    m_drawTool->setMarksShown(marksShown);
                }
            },
            this);
        connect(m_livePreview, &LivePreview::shownChanged, command("LivePreviewItem"),
                &QAction::setChecked);
        m_livePreview->resize(m_livePreview->sizeHint());
        // Left of the main window, clear of the palettes and the pen style picker; where the
        // screen has no such room it covers the pattern strip rather than the depth map.
        if (const QScreen* screen = this->screen()) {
            QList<QRect> taken;
            for (const QWidget* window : m_toolHost->paletteWindows()) {
                if (window) {
                    taken.append(frameOf(window));
                }
            }
            if (const QWidget* picker = m_toolHost->penStylePicker()) {
                taken.append(frameOf(picker));
            }
            m_livePreview->move(placement::besideMainWindow(
                frameOf(this), frameOf(m_livePreview).size(), screen->availableGeometry(),
                placement::Side::Left, taken));
        }
    }
    m_livePreview->show();
    m_livePreview->raise();
}

void TForm1::tellLivePreview(const QRect& area)
{
    if (m_livePreview) {
        m_livePreview->imageChanged(area);
    }
}
