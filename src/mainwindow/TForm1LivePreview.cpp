// View > Live 3D Preview: a floating window whose 3D picture follows both images.

#include "mainwindow/EditorToolHost.h"
#include "mainwindow/LivePreview.h"
#include "mainwindow/TForm1.h"
#include "print/Pntmange.h"
#include "tools/TDrawTool.h"

#include <QAction>

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
            m_prompts, this);
        m_livePreview->setLanguage(UILanguage);
        connect(m_livePreview, &LivePreview::shownChanged, command("LivePreviewItem"),
                &QAction::setChecked);
        // The print dialog runs the event loop, in which the preview goes on rendering.
        connect(m_livePreview, &LivePreview::printRequested, this,
                [this](const RasterImage& picture) {
                    const RasterImage shown = picture;
                    m_printing->PrintPicture(shown);
                });
        m_livePreview->resize(m_livePreview->sizeHint());
        // Where the screen has no room on the left it covers the pattern strip rather than the
        // depth map.
        placeFloatingWindow(m_livePreview, placement::Side::Left, true);
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
