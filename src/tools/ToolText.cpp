#include "tools/ToolText.h"

#include "raster/CanvasStateSaver.h"
#include "tools/DrawingState.h"
#include "tools/ToolHost.h"

#include <QFontInfo>
#include <QFontMetrics>

#include <cmath>

namespace {

// The font's height as a negative number of pixels: the size of its characters.
int heightValue(const QFont& font)
{
    return -(font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize());
}

} // namespace

void TBeem::draw()
{
    RasterImage& image = *m_image;
    {
        const CanvasStateSaver saved(image);
        image.pen() = Pen{colorref::White, 1, PenStyle::Solid, PenMode::Xor};
        image.moveTo(X, Y);
        image.lineTo(X, Y + m_length);
    }
    m_host.imageChanged(QRect(QPoint(X, Y), QPoint(X, Y + m_length)).normalized());
}

void TBeem::show()
{
    if (m_shown || !m_state.ActiveImage) {
        return;
    }
    m_shown = true;
    m_image = m_state.ActiveImage;
    draw();
}

void TBeem::hide()
{
    if (!m_shown) {
        return;
    }
    m_shown = false;
    draw();
}

void TBeem::toggle()
{
    if (m_shown) {
        hide();
    } else {
        show();
    }
}

ToolText::ToolText(DrawingState& state, ToolHost& host)
    : TOneTool(state, host), m_caret(state, host)
{
    m_host.setTextMenuVisible(true);
    m_host.ShowCurrentPalette();
    m_host.setTimerPeriod(500);
    m_host.setPointerShape(ToolHost::PointerShape::IBeam);
}

ToolText::~ToolText()
{
    m_host.HidePalettes();
    m_host.setTextMenuVisible(false);
    m_caret.hide();
    m_host.setTimerPeriod(10000);
}

void ToolText::start(int x, int y)
{
    m_caret.hide();
    SaveUndo();
    X = x;
    Y = y;
    m_text.clear();
    m_state.ActiveImage->font().font = m_host.dialogFont();
    m_started = true;
}

void ToolText::MouseDown(int x, int y)
{
    const int h = heightValue(m_host.dialogFont());
    // Halves go to the even integer: the default rounding mode.
    start(x, int(std::lrint(y + h / 2.0)));
    m_caret.setX(X);
    m_caret.setY(Y);
    m_caret.setLength(-h);
}

void ToolText::restoreClickImage()
{
    TOneTool::Undo();
}

void ToolText::KeyPress(QChar key)
{
    if (!m_state.ActiveImage) {
        return;
    }
    if (!m_started) {
        start(m_caret.X, m_caret.Y);
    }
    switch (key.unicode()) {
    case 8: // backspace
        m_text.chop(1);
        break;
    case 27: // escape
        m_text.clear();
        break;
    default:
        m_text.append(key);
        break;
    }
    // The text is drawn once over the picture of the click, never over an earlier copy.
    m_caret.hide();
    restoreClickImage();
    render();
}

// The text and mask images cover only the text's cell and the ink of its glyphs: elsewhere the
// text image would be white and the mask black, which AND and OR leave unchanged.
void ToolText::render()
{
    RasterImage& image = *m_state.ActiveImage;
    if (m_text.isEmpty() || image.isEmpty()) {
        return;
    }
    QFont font = m_host.dialogFont();
    font.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(font);
    const QRect cell(X, Y, metrics.horizontalAdvance(m_text), metrics.height());
    const QRect ink =
        metrics.boundingRect(m_text).translated(X, Y + metrics.ascent()).adjusted(-2, -2, 2, 2);
    const QRect area = (cell | ink) & image.clipRect();
    if (area.isEmpty()) {
        return;
    }

    m_textImage = RasterImage();
    m_maskImage = RasterImage();
    m_textImage.setPalette(image.palette());
    m_textImage.font() = TextFont{font, m_state.CurrentColor};
    m_maskImage.font() = TextFont{font, colorref::White};
    m_maskImage.brush().color = colorref::Black;
    m_textImage.setSize(area.width(), area.height());
    m_maskImage.setSize(area.width(), area.height());
    m_textImage.textOut(X - area.left(), Y - area.top(), m_text);
    m_maskImage.textOut(X - area.left(), Y - area.top(), m_text);

    {
        const CanvasStateSaver saved(image);
        if (m_state.OpaquePaint) {
            image.setCopyMode(CopyMode::SourceOr);
            image.draw(area.left(), area.top(), m_maskImage);
        }
        image.setCopyMode(CopyMode::SourceAnd);
        image.draw(area.left(), area.top(), m_textImage);
    }
    m_host.imageChanged(area);
}

void ToolText::Tick()
{
    if (m_state.ActiveImage) {
        m_caret.toggle();
    }
}

void ToolText::Undo()
{
    m_caret.hide();
    TOneTool::Undo();
}

void ToolText::setMarksShown(bool shown)
{
    if (!shown && m_caret.shown()) {
        m_caret.hide();
        m_caretHidden = true;
    } else if (shown && m_caretHidden) {
        m_caret.show();
        m_caretHidden = false;
    }
}
