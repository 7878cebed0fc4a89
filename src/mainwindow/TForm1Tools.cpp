// How the main window feeds the tool dispatcher: the tool buttons, the pointer on the active
// image, typed characters, the timer, the Edit menu, and the View menu's palette and bar
// choices. Also the window's side of the ToolHost interface.

#include "document/Prompts.h"
#include "mainwindow/TForm1.h"
#include "pickers/FloatingPalette.h"
#include "pickers/TfmPStyle.h"
#include "tools/TDrawTool.h"
#include "widgets/ImageView.h"
#include "widgets/Panel.h"
#include "widgets/WaitCursor.h"

#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QToolButton>

#include <cmath>

void TForm1::connectToolCommands()
{
    FontDialog1.font = QFont(QStringLiteral("Arial"));
    FontDialog1.font.setBold(true);
    FontDialog1.font.setPixelSize(60);
    FontDialog1.color = colorref::Black;

    connect(toolButtons, &QButtonGroup::idClicked, this, [this](int id) {
        if (m_drawTool) {
            m_drawTool->SelectTool(static_cast<std::uint8_t>(id));
        }
    });
    auto cut = [this] {
        if (m_drawTool) {
            m_drawTool->Cut();
        }
    };
    auto copy = [this] {
        if (m_drawTool) {
            m_drawTool->Copy();
        }
    };
    // Pasting always happens in the selection tool, which takes the pasted picture.
    auto paste = [this] {
        if (m_drawTool) {
            m_drawTool->SelectTool(TDrawTool::SelectId);
            sbSelect->setChecked(true);
            m_drawTool->Paste();
        }
    };
    connect(sbCut, &QToolButton::clicked, this, cut);
    connect(EditCutItem, &QAction::triggered, this, cut);
    connect(sbCopy, &QToolButton::clicked, this, copy);
    connect(EditCopyItem, &QAction::triggered, this, copy);
    connect(sbPaste, &QToolButton::clicked, this, paste);
    connect(EditPasteItem, &QAction::triggered, this, paste);
    connect(EditUndoItem, &QAction::triggered, this, [this] {
        if (m_drawTool) {
            m_drawTool->Undo();
        }
    });

    connect(HighColorPalette, &QAction::triggered, this, [this] { selectPalette(true); });
    connect(N20ColorPalette, &QAction::triggered, this, [this] { selectPalette(false); });
    connect(MToolBar, &QAction::triggered, this, [this] { toggleBar(Toolbar); });
    connect(MSpeedBar, &QAction::triggered, this, [this] { toggleBar(SpeedBar); });
    connect(Font, &QAction::triggered, this, &TForm1::chooseFont);
    connect(CopyFrom1, &QAction::triggered, this, &TForm1::CopyFrom1Click);
}

void TForm1::CopyFrom1Click()
{
    m_document.ChooserFileName = m_prompts.runBitmapChooser(
        QStringLiteral("Bitmap Files[*.bmp]|*.bmp|All Files[*.*]|*.*"), true);
    const QString fileName = m_document.ChooserFileName;
    if (fileName.isEmpty() || !m_drawTool) {
        return;
    }
    m_drawTool->SelectTool(TDrawTool::SelectId);
    sbSelect->setChecked(true);
    QString error;
    bool loaded = false;
    {
        WaitCursor wait;
        loaded = m_drawTool->LoadFromFile(fileName, &error);
    }
    if (!loaded) {
        m_prompts.showError(error);
    }
}

bool TForm1::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate) {
        FormActivate();
    } else if (event->type() == QEvent::Show && FirstActivation) {
        // Without a window manager a shown window may never become active; ask for it, and
        // run the first activation once the window is on screen in any case.
        QTimer::singleShot(0, this, [this] {
            activateWindow();
            FormActivate();
        });
    }
    return QMainWindow::event(event);
}

namespace {

// Sees every event of the application first, for the main window's key preview.
class KeyPreview final : public QObject
{
public:
    KeyPreview(TForm1* form, bool (TForm1::*preview)(QObject*, QEvent*))
        : QObject(form), m_form(form), m_preview(preview)
    {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        return (m_form->*m_preview)(watched, event);
    }

private:
    TForm1* m_form;
    bool (TForm1::*m_preview)(QObject*, QEvent*);
};

} // namespace

void TForm1::installKeyPreview()
{
    m_keyPreview = new KeyPreview(this, &TForm1::previewKey);
    qApp->installEventFilter(m_keyPreview);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == centralWidget()) {
        if (event->type() == QEvent::Resize) {
            layoutWindow();
        } else if (event->type() == QEvent::Paint && !FirstActivation) {
            RealizeGreyPalette();
        }
        return false;
    }
    return paneEvent(watched, event);
}

// Pointer events of an image, in image pixels. While a button is held the image that got the
// press keeps the pointer, so positions may lie outside it.
void TForm1::imageMouse(ImageView* view, QEvent* event)
{
    if (!m_drawTool || &view->raster() != m_drawing.ActiveImage) {
        return;
    }
    const QPointF position = static_cast<QMouseEvent*>(event)->position();
    const int x = static_cast<int>(std::floor(position.x()));
    const int y = static_cast<int>(std::floor(position.y()));
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        m_drawTool->MouseDown(x, y);
        break;
    case QEvent::MouseMove:
        if (view == Image1) {
            m_drawTool->MouseMove(x, y);
            ShowPosition(x, y);
            setHint(language::HintRow::LeftPane);
        } else {
            setHint(language::HintRow::RightPane);
            ShowPosition(x, y);
            m_drawTool->MouseMove(x, y);
        }
        break;
    case QEvent::MouseButtonRelease:
        m_drawTool->MouseUp(x, y);
        break;
    default:
        break;
    }
}

// Key preview: a character typed anywhere in this window goes to the current tool before the
// control that has the focus sees it, and F1 released anywhere shows the help topic. Each key
// event is taken once, at its first receiver, although Qt may pass it on to the receiver's
// parents. The key is not used up.
bool TForm1::previewKey(QObject* watched, QEvent* event)
{
    const bool press = event->type() == QEvent::KeyPress;
    if (!press && event->type() != QEvent::KeyRelease) {
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this) {
        return false;
    }
    QWidget* firstReceiver = QApplication::focusWidget();
    if (!firstReceiver || firstReceiver->window() != this) {
        firstReceiver = this;
    }
    if (widget != firstReceiver) {
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    if (!press) {
        if (key->key() == Qt::Key_F1 && !key->isAutoRepeat()) {
            showHelpTopic();
        }
        return false;
    }
    if (m_drawTool) {
        for (QChar character : key->text()) {
            m_drawTool->KeyPress(character);
        }
    }
    return false;
}

void TForm1::selectPalette(bool highColor)
{
    HighColorPalette->setChecked(highColor);
    N20ColorPalette->setChecked(!highColor);
    m_drawing.UseHighColorPalette = highColor;
    // Restarting the current tool shows the palette window that matches the choice.
    if (m_drawTool) {
        m_drawTool->SelectTool(m_drawTool->toolId());
    }
}

// The bar and the check mark flip each on its own; they agree because both start shown and
// checked. Triggering the item has already flipped its mark.
void TForm1::toggleBar(QWidget* bar)
{
    bar->setVisible(bar->isHidden());
    layoutWindow();
}

void TForm1::chooseFont()
{
    if (m_prompts.chooseFont(FontDialog1.font)) {
        m_patternStrip.font() = FontDialog1;
        m_depthMap.font() = FontDialog1;
    }
}

void TForm1::restartToolForNewPicture()
{
    if (m_drawTool) {
        m_drawTool->SelectTool(m_drawTool->toolId());
    }
}

void TForm1::setPaletteWindow(PaletteWindow which, FloatingPalette* window)
{
    m_paletteWindows[static_cast<std::size_t>(which)] = window;
    if (window) {
        window->setPaintModeButtonsVisible(m_paintModeButtonsVisible);
    }
}

// Every showing applies the palette's chosen colour (and, for the height palette, opaque
// painting), even when the palette is up already.
void TForm1::ShowCurrentPalette()
{
    if (FloatingPalette* window =
            m_paletteWindows[static_cast<std::size_t>(currentPaletteWindow(m_drawing))]) {
        window->showPalette();
    }
}

void TForm1::RefreshCurrentPalette()
{
    if (FloatingPalette* window =
            m_paletteWindows[static_cast<std::size_t>(currentPaletteWindow(m_drawing))]) {
        window->followCurrentColor();
    }
}

void TForm1::HidePalettes()
{
    for (FloatingPalette* window : m_paletteWindows) {
        if (window) {
            window->hide();
        }
    }
}

void TForm1::setPenStylePickerVisible(bool visible)
{
    if (m_penStylePicker) {
        m_penStylePicker->setVisible(visible);
    }
}

void TForm1::showOptionPanel(OptionPanel panel)
{
    Panel5->showMode(panel);
}

void TForm1::hideOptionPanel()
{
    Panel5->hideMode();
}

void TForm1::setTextMenuVisible(bool visible)
{
    Text->menuAction()->setVisible(visible);
}

void TForm1::setPaintModeButtonsVisible(bool visible)
{
    m_paintModeButtonsVisible = visible;
    for (FloatingPalette* window : m_paletteWindows) {
        if (window) {
            window->setPaintModeButtonsVisible(visible);
        }
    }
}

void TForm1::setTimerPeriod(int milliseconds)
{
    Timer1->setInterval(milliseconds);
}

void TForm1::imageChanged(const QRect& area)
{
    (m_drawing.DepthMapActive ? Image2 : Image1)->updateArea(area);
    tellLivePreview(area);
}

void TForm1::setPointerShape(PointerShape shape)
{
    ImageView* view = m_drawing.DepthMapActive ? Image2 : Image1;
    switch (shape) {
    case PointerShape::Default:
        view->unsetCursor();
        break;
    case PointerShape::Drag:
        view->setCursor(Qt::DragMoveCursor);
        break;
    case PointerShape::ResizeNWSE:
        view->setCursor(Qt::SizeFDiagCursor);
        break;
    }
}

void TForm1::putClipboardPicture(const QImage& picture)
{
    QGuiApplication::clipboard()->setImage(picture);
}

bool TForm1::clipboardHasPicture() const
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasImage();
}

QImage TForm1::clipboardPicture() const
{
    return QGuiApplication::clipboard()->image();
}

void TForm1::showError(const QString& text)
{
    m_prompts.showError(text);
}

QFont TForm1::dialogFont() const
{
    return FontDialog1.font;
}
