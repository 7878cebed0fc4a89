// The two panes of the main window: their looks when active and inactive, the splitter, the
// size grips, the masks and the status bar texts.

#include "document/Caption.h"
#include "language/LanguageTables.h"
#include "mainwindow/EditorToolHost.h"
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

constexpr int GripSize = 3;
constexpr int FrameWidth = 1;
const QColor PatternPanelColor(0xFF, 0xFF, 0x00); // yellow: the file buttons act on the strip
const QColor DepthPanelColor(0x80, 0x80, 0x80);   // grey: they act on the depth map

} // namespace

// The controls of one pane, and how its grip maps to the image's size: the depth map's frame
// follows the pointer 2 pixels further out than the pattern strip's.
struct TForm1::PaneParts
{
    Panel* panel;
    ScrollBox* box;
    Shape* frame;
    ImageView* image;
    Shape* grip;
    Shape* mask;
    RasterImage& raster;
    ColorRef fill;
    int frameExtra;
};

TForm1::PaneParts TForm1::pane(bool depthMap)
{
    if (depthMap) {
        return {Panel3, ScrollBox2, Shape3,     Image2,
                Shape4, spRMask,    m_depthMap, m_document.groundColor,
                2};
    }
    return {Panel1,  ScrollBox1,     Shape1,          Image1, Shape2,
            spLMask, m_patternStrip, colorref::White, 0};
}

void TForm1::createPanes()
{
    auto named = [](auto* widget, const char* name) {
        widget->setObjectName(QLatin1String(name));
        return widget;
    };
    Panel1 = named(new Panel(PnBackground), "Panel1");
    Panel1->setColor(palette().color(QPalette::Disabled, QPalette::WindowText));
    Panel2 = named(new Panel(PnBackground), "Panel2");
    Panel2->setCursor(Qt::SplitHCursor);
    Panel2->installEventFilter(this);
    Panel3 = named(new Panel(PnBackground), "Panel3");
    Panel3->setColor(palette().color(QPalette::Dark));

    // The names of a pane's box, frame, image, grip and mask.
    using Names = std::array<const char*, 5>;
    auto build = [this, named](Panel* panel, RasterImage& raster, const Names& names,
                               ScrollBox*& box, Shape*& frame, ImageView*& image, Shape*& grip,
                               Shape*& mask) {
        box = named(new ScrollBox(panel), names[0]);
        QPalette boxPalette = box->palette();
        boxPalette.setColor(QPalette::Window, palette().color(QPalette::Dark));
        box->setPalette(boxPalette);
        box->viewport()->setAutoFillBackground(true);
        box->client()->setAutoFillBackground(true);
        box->client()->installEventFilter(this);
        box->viewport()->installEventFilter(this);

        frame = named(new Shape(box->client()), names[1]);
        frame->setOutline(Shape::Outline::Solid);
        image = named(new ImageView(raster, box->client()), names[2]);
        image->move(FrameWidth, FrameWidth);
        image->installEventFilter(this);
        grip = named(new Shape(box->client()), names[3]);
        grip->resize(GripSize, GripSize);
        grip->setFill(Shape::Fill::Solid, Qt::black);
        grip->setCursor(Qt::SizeFDiagCursor);
        grip->installEventFilter(this);

        mask = named(new Shape(panel), names[4]);
        mask->setOutline(Shape::Outline::None);
        mask->setFill(Shape::Fill::DiagonalCross, palette().color(QPalette::Button));
        mask->setMouseTracking(true);
        mask->installEventFilter(this);
        mask->hide();
    };
    build(Panel1, m_patternStrip, {"ScrollBox1", "Shape1", "Image1", "Shape2", "spLMask"},
          ScrollBox1, Shape1, Image1, Shape2, spLMask);
    build(Panel3, m_depthMap, {"ScrollBox2", "Shape3", "Image2", "Shape4", "spRMask"}, ScrollBox2,
          Shape3, Image2, Shape4, spRMask);
    ScrollBox1->setMargin(10);
    ScrollBox1->setStep(1);
    ScrollBox2->setStep(8);
}

// Frame around the image, grip at the frame's outer corner.
void TForm1::placeFrame(bool depthMap)
{
    PaneParts p = pane(depthMap);
    const int width = p.raster.width() + 2 * FrameWidth;
    const int height = p.raster.height() + 2 * FrameWidth;
    p.frame->setGeometry(0, 0, width, height);
    p.image->fitToRaster();
    p.image->update();
    p.grip->move(width, height);
    p.box->updateRange();
    tellLivePreview(p.raster.clipRect());
    if (depthMap == m_drawing.DepthMapActive) {
        ShowImageSize(p.raster.width(), p.raster.height());
    }
}

void TForm1::resizeMasks()
{
    spLMask->setGeometry(Panel1->rect());
    spRMask->setGeometry(Panel3->rect());
    spLMask->raise();
    spRMask->raise();
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
}

void TForm1::SwitchCurrentImage()
{
    const bool depthActive = !m_drawing.DepthMapActive;
    PaneParts active = pane(depthActive);
    PaneParts inactive = pane(!depthActive);

    inactive.mask->show();
    active.mask->hide();
    active.box->setAutoScroll(true);
    inactive.box->setAutoScroll(false);
    inactive.panel->setBevelOuter(Panel::Bevel::Lowered);
    inactive.panel->setBevelInner(Panel::Bevel::Lowered);
    active.panel->setBevelOuter(Panel::Bevel::None);
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
    m_drawing.ActiveImage = &active.raster;
    command("sbSelect")->setChecked(true);
    ShowImageSize(active.raster.width(), active.raster.height());
    m_drawing.DepthMapActive = depthActive;
    if (depthActive) {
        RealizeGreyPalette();
    }
    UpdateCaption();
}

void TForm1::UpdateCaption()
{
    setWindowTitle(mainWindowCaption(m_document, m_drawing.DepthMapActive));
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

void TForm1::gripDown(bool depthMap)
{
    PaneParts p = pane(depthMap);
    QScrollBar* horizontal = p.box->horizontalScrollBar();
    QScrollBar* vertical = p.box->verticalScrollBar();
    GripScrollX = horizontal->value();
    GripRangeX = p.box->client()->width();
    GripScrollY = vertical->value();
    GripRangeY = p.box->client()->height();
    p.frame->setOutline(Shape::Outline::Dotted);
    Dragging = true;
    // The range stays as it was and both bars show until the release, so the view holds still.
    p.box->setFrozen(true);
    horizontal->setValue(GripScrollX);
    vertical->setValue(GripScrollY);
}

void TForm1::gripMove(bool depthMap, QPoint globalPosition)
{
    PaneParts p = pane(depthMap);
    const QPoint inView = p.box->viewport()->mapFromGlobal(globalPosition);
    const int x = std::max(0, inView.x());
    const int y = std::max(0, inView.y());
    p.grip->move(x + GripScrollX, y + GripScrollY);
    const int frameWidth = x + GripScrollX + p.frameExtra;
    const int frameHeight = y + GripScrollY + p.frameExtra;
    p.frame->resize(frameWidth, frameHeight);
    // A size below 0 cannot be had; the image stops at 0.
    const int width = std::max(0, frameWidth - 2 * FrameWidth);
    const int height = std::max(0, frameHeight - 2 * FrameWidth);
    p.image->resize(width, height);
    ShowImageSize(width, height);
}

void TForm1::gripUp(bool depthMap)
{
    PaneParts p = pane(depthMap);
    Dragging = false;
    p.frame->setOutline(Shape::Outline::Solid);
    p.raster.brush().style = BrushStyle::Solid;
    p.raster.brush().pattern = QImage();
    p.raster.brush().color = p.fill;
    p.raster.setSize(p.image->width(), p.image->height());
    p.frame->resize(p.raster.width() + 2 * FrameWidth, p.raster.height() + 2 * FrameWidth);
    p.image->fitToRaster();
    p.image->update();
    tellLivePreview(p.raster.clipRect());
    ShowImageSize(p.raster.width(), p.raster.height());
    p.box->setFrozen(false);
    p.box->setAutoScroll(true);
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

    if (watched == Image1 || watched == Image2) {
        imageMouse(static_cast<ImageView*>(watched), event);
        return true;
    }
    if (watched == Shape2 || watched == Shape4) {
        const bool depthMap = watched == Shape4;
        if (press) {
            gripDown(depthMap);
        } else if (move && Dragging) {
            gripMove(depthMap, global);
        } else if (release && Dragging) {
            gripUp(depthMap);
        }
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
    if (watched == spLMask || watched == spRMask) {
        if (move) {
            setHint(watched == spLMask ? language::HintRow::LeftPane
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
        } else if (watched == ScrollBox1->client() || watched == ScrollBox1->viewport()) {
            setHint(language::HintRow::LeftPane);
        } else if (watched == ScrollBox2->client() || watched == ScrollBox2->viewport()) {
            setHint(language::HintRow::RightPane);
        }
    }
    return false;
}
