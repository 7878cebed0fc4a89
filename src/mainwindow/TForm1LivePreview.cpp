// View > Live 3D Preview: a floating window whose 3D picture follows both images.

#include "document/RememberedPlaces.h"
#include "mainwindow/EditorToolHost.h"
#include "mainwindow/LivePreview.h"
#include "mainwindow/TForm1.h"
#include "print/Pntmange.h"
#include "tools/TDrawTool.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

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
                    printing().PrintPicture(shown);
                });
        m_livePreview->resize(m_livePreview->sizeHint());
        // Where it was last, unless the main window's bars are there now; else beside the main
        // window, or over its panes where the screen has no room beside it.
        const QRect remembered = RememberedPlaces().livePreviewFrame();
        const QScreen* screen =
            remembered.isValid() ? QGuiApplication::screenAt(remembered.center()) : nullptr;
        const QList<QRect> bars = barsOnScreen();
        if (screen && screen->availableGeometry().contains(remembered) &&
            std::none_of(bars.begin(), bars.end(),
                         [&](const QRect& bar) { return bar.intersects(remembered); })) {
            m_livePreview->resize(remembered.size());
            m_livePreview->move(remembered.topLeft());
        } else {
            placeFloatingWindow(m_livePreview, placement::Side::Left, true);
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
