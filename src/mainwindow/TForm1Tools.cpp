// How the main window feeds the tool dispatcher: the pointer on the active image, typed
// characters, Paste and Copy From, and the View menu's palette and bar choices.

#include "document/Prompts.h"
#include "mainwindow/ImagePane.h"
#include "mainwindow/TForm1.h"
#include "tools/TDrawTool.h"
#include "widgets/ImageView.h"
#include "widgets/WaitCursor.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>


void TForm1::EditPasteItemClick()
{
    if (m_drawTool) {
        m_drawTool->SelectTool(ToolId::Select);
        command("sbSelect")->setChecked(true);
        m_drawTool->Paste();
    }
}

void TForm1::EditSelectAllItemClick()
{
    if (m_drawTool) {
        m_drawTool->SelectTool(ToolId::Select);
        command("sbSelect")->setChecked(true);
        m_drawTool->SelectAll();
    }
}

void TForm1::CopyFrom1Click()
{
    m_document.ChooserFileName = m_prompts.runBitmapChooser(
        QStringLiteral("Bitmap Files[*.bmp]|*.bmp|All Files[*.*]|*.*"), true);
    const QString fileName = m_document.ChooserFileName;
    if (fileName.isEmpty() || !m_drawTool) {
        return;
    }
    m_drawTool->SelectTool(ToolId::Select);
    command("sbSelect")->setChecked(true);
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
    const QPoint point = view->imagePoint(static_cast<QMouseEvent*>(event)->position());
    const int x = point.x();
    const int y = point.y();
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        m_drawTool->MouseDown(x, y);
        break;
    case QEvent::MouseMove:
        if (view == Panel1->image()) {
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
    command("HighColorPalette")->setChecked(highColor);
    command("N20ColorPalette")->setChecked(!highColor);
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
