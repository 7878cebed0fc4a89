// The two panes of the main window: their looks when active and inactive, the splitter, the
// size grips, the masks and the status bar texts.

#include "document/Caption.h"
#include "language/LanguageTables.h"
#include "mainwindow/EditorToolHost.h"
#include "mainwindow/ImagePane.h"
#include "mainwindow/ShapeOptionPanel.h"
#include "mainwindow/TForm1.h"
#include "tools/TDrawTool.h"
#include "widgets/ImageView.h"
#include "widgets/Panel.h"
#include "widgets/ScrollBox.h"
#include "widgets/Shape.h"

#include <QAction>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolButton>

#include <cmath>

namespace {

const QColor PatternPanelColor(0xFF, 0xFF, 0x00); // yellow: the file buttons act on the strip
const QColor DepthPanelColor(0x80, 0x80, 0x80);   // grey: they act on the depth map
const ColorRef PatternFill = colorref::White;

} // namespace

ImagePane* TForm1::pane(bool depthMap) const
{
    return depthMap ? Panel3 : Panel1;
}

// The depth map's frame follows the pointer 2 pixels further out than the pattern strip's.
void TForm1::createPanes()
{
    Panel1 = new ImagePane(m_patternStrip, PatternFill, 0,
                           {"ScrollBox1", "Shape1", "Image1", "Shape2", "spLMask"}, PnBackground);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setColor(palette().color(QPalette::Disabled, QPalette::WindowText));
    Panel2 = new Panel(PnBackground);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setCursor(Qt::SplitHCursor);
    Panel2->installEventFilter(this);
    Panel3 = new ImagePane(m_depthMap, m_document.groundColor, 2,
                           {"ScrollBox2", "Shape3", "Image2", "Shape4", "spRMask"}, PnBackground);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setColor(palette().color(QPalette::Dark));

    for (ImagePane* pane : {Panel1, Panel3}) {
        ScrollBox* box = pane->box();
        QPalette boxPalette = box->palette();
        boxPalette.setColor(QPalette::Window, palette().color(QPalette::Dark));
        box->setPalette(boxPalette);
        pane->mask()->setFill(Shape::Fill::DiagonalCross, palette().color(QPalette::Button));
        for (QObject* part :
             {static_cast<QObject*>(box->client()), static_cast<QObject*>(box->viewport()),
              static_cast<QObject*>(pane->image()), static_cast<QObject*>(pane->mask())}) {
            part->installEventFilter(this);
        }
        connect(pane, &ImagePane::sizeShown, this, &TForm1::ShowImageSize);
        connect(pane, &ImagePane::resized, this, [this, pane] {
            tellLivePreview(pane->raster().clipRect());
            ShowImageSize(pane->raster().width(), pane->raster().height());
            scheduleChangeCheck();
        });
        connect(pane, &ImagePane::zoomChanged, this, &TForm1::showZoom);
    }
    Panel1->box()->setMargin(10);
    Panel1->box()->setStep(1);
    Panel3->box()->setStep(8);
}

void TForm1::placeFrame(bool depthMap)
{
    ImagePane* p = pane(depthMap);
    p->placeFrame();
    tellLivePreview(p->raster().clipRect());
    if (depthMap == m_drawing.DepthMapActive) {
        ShowImageSize(p->raster().width(), p->raster().height());
    }
}

void TForm1::FormActivate()
{
    if (!FirstActivation) {
        return;
    }
    FirstActivation = false;
    m_document.PatternFileName.clear();
    m_document.DepthFileName.clear();
    m_document.TargetFileName.clear();

    m_patternStrip = RasterImage();
    m_patternStrip.setSize(120, 300);
    placeFrame(false);
    m_depthMap = RasterImage();
    m_depthMap.brush().color = m_document.groundColor;
    m_depthMap.setSize(300, 300);
    placeFrame(true);

    command("sbSelect")->setChecked(true);
    // The switch below flips this, so the pattern strip ends up active.
    m_drawing.DepthMapActive = true;
    m_drawTool = std::make_unique<TDrawTool>(m_drawing, *m_toolHost, ToolId::Select);
    SwitchCurrentImage();
    m_drawing.ShapeLineWidth = 1;
    takeSavedState(false);
    takeSavedState(true);
    takeSavedNames();
}

void TForm1::SwitchCurrentImage()
{
    const bool depthActive = !m_drawing.DepthMapActive;
    ImagePane* active = pane(depthActive);
    pane(!depthActive)->setActive(false);
    active->setActive(true);
    layoutBackground();
    Panel7->setColor(depthActive ? DepthPanelColor : PatternPanelColor);
    QToolButton* smoothing = button("sbAver");
    QAction* smooth = command("sbAver");
    smoothing->setVisible(depthActive);
    smooth->setToolTip(depthActive ? smooth->property("hint").toString() : QString());
    Panel5->move(Panel5->x(), smoothing->y() + (depthActive ? smoothing->height() : 0) + 20);

    if (m_drawTool) {
        m_drawTool->SelectTool(ToolId::Select);
    }
    m_drawing.ActiveImage = &active->raster();
    command("sbSelect")->setChecked(true);
    ShowImageSize(active->raster().width(), active->raster().height());
    m_drawing.DepthMapActive = depthActive;
    showZoom();
    if (depthActive) {
        RealizeGreyPalette();
    }
    UpdateCaption();
}

void TForm1::UpdateCaption()
{
    setWindowTitle(mainWindowCaption(m_document, m_drawing.DepthMapActive));
    scheduleChangeCheck();
}

void TForm1::ShowPosition(int x, int y)
{
    pnStuPos->setText(QStringLiteral("x=%1,y=%2").arg(x, 4).arg(y, 4));
}

void TForm1::ShowImageSize(int width, int height)
{
    // The prefix is the character 0x81 of the single-byte code page between two blanks.
    pnStuSize->setText(QStringLiteral(" ") + QChar(0x81) +
                       QStringLiteral(" %1x%2").arg(width, 4).arg(height, 4));
}

void TForm1::zoomActivePane(ZoomStep step)
{
    ImagePane* active = pane(m_drawing.DepthMapActive);
    switch (step) {
    case ZoomStep::In:
        active->setZoom(active->zoom().in());
        break;
    case ZoomStep::Out:
        active->setZoom(active->zoom().out());
        break;
    case ZoomStep::ActualSize:
        active->setZoom(Zoom{});
        break;
    case ZoomStep::Fit:
        active->setZoom(active->fittingZoom());
        break;
    }
}

void TForm1::showZoom()
{
    const Zoom& zoom = pane(m_drawing.DepthMapActive)->zoom();
    pnStuZoom->setText(QStringLiteral("%1%").arg(zoom.percent()));
    if (pnStuZoom->isHidden() != (zoom == Zoom{})) {
        pnStuZoom->setVisible(!(zoom == Zoom{}));
        layoutWindow();
    }
}

void TForm1::RealizeGreyPalette()
{
    // True-colour displays show every grey exactly; the palette stays attached to the depth map
    // for the palette indices the height palette hands out.
    m_depthMap.setPalette(m_greyPalette);
}

void TForm1::setHint(language::HintRow row)
{
    pnStu->setText(language::StatusHints(row, UILanguage));
}

void TForm1::splitterMove(QPoint globalPosition)
{
    int x = PnBackground->mapFromGlobal(globalPosition).x();
    // The tool bar's width counts even while the tool bar is hidden.
    x = std::max(x, Toolbar->width() + 2);
    x = std::min(x, PnBackground->width() - 10);
    m_leftPaneWidth = Panel1->width() + x - Panel2->x();
    layoutBackground();
}

// Pointer events of the panes, the splitter, the grips and the masks. Returns true when the
// event is used up.
bool TForm1::paneEvent(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    const bool move = type == QEvent::MouseMove;
    const bool release = type == QEvent::MouseButtonRelease;
    if (!press && !move && !release) {
        return false;
    }
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint global = mouse->globalPosition().toPoint();

    if (watched == Panel1->image() || watched == Panel3->image()) {
        imageMouse(static_cast<ImageView*>(watched), event);
        return true;
    }
    if (watched == Panel2) {
        if (press) {
            Dragging = true;
        } else if (move && Dragging) {
            splitterMove(global);
        } else if (release) {
            Dragging = false;
        }
        return true;
    }
    if (watched == Panel1->mask() || watched == Panel3->mask()) {
        if (move) {
            setHint(watched == Panel1->mask() ? language::HintRow::LeftPane
                                              : language::HintRow::RightPane);
        } else if (release) {
            SwitchCurrentImage();
        }
        return true;
    }
    if (move) {
        if (watched == Toolbar) {
            setHint(language::HintRow::ToolBar);
        } else if (watched == SpeedBar) {
            setHint(language::HintRow::SpeedBar);
        } else if (watched == Panel1->box()->client() || watched == Panel1->box()->viewport()) {
            setHint(language::HintRow::LeftPane);
        } else if (watched == Panel3->box()->client() || watched == Panel3->box()->viewport()) {
            setHint(language::HintRow::RightPane);
        }
    }
    return false;
}
