#pragma once

#include "raster/ColorRef.h"
#include "raster/GreyPalette.h"

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include <cstdint>

// How lines and shape outlines combine the pen (and shape fills the brush) with the picture.
enum class PenMode
{
    Copy,  // the colour
    Xor,   // picture XOR colour
    Not,   // inverted picture, whatever the colour
    Mask,  // picture AND colour
    Merge, // picture OR colour
};

enum class PenStyle
{
    Solid,
    Dotted, // 3 pixels on, 3 off, counted from the start of each line or outline
    Clear,  // no outline
};

enum class BrushStyle
{
    Solid,
    Clear, // no fill
};

// How copies combine a source picture with this one. The values are the raster operation
// codes that name them in the drawing state.
enum class CopyMode : std::uint32_t
{
    SourceCopy = 0x00CC0020,
    SourceAnd = 0x008800C6,
    SourceXor = 0x00660046,
    SourceOr = 0x00EE0086,
    Blackness = 0x00000042,
};

enum class FloodFillMode
{
    Surface, // fill the connected area that has the given colour
    Border,  // fill outwards up to the given colour
};

struct Pen
{
    ColorRef color = colorref::Black;
    int width = 1;
    PenStyle style = PenStyle::Solid;
    PenMode mode = PenMode::Copy;
};

struct Brush
{
    ColorRef color = colorref::White;
    BrushStyle style = BrushStyle::Solid;
    // When not null it replaces the colour: repeated across the picture, aligned to (0, 0).
    QImage pattern;
};

struct TextFont
{
    QFont font;
    ColorRef color = colorref::Black;
};

// Exclusive-edged box (left, top, right, bottom) as a QRect.
inline QRect boxRect(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}

// A picture with a drawing state: the pattern strip, the depth map, the 3D picture and every
// helper picture of the tools. Pixels live in a QImage of Format_RGB32, always opaque.
//
// Geometry follows the editor's drawing rules, which differ from QPainter's: lines leave out
// their end point, boxes are right- and bottom-exclusive, every pixel of a shape is combined
// with the pen mode exactly once (so an XOR shape drawn twice leaves no trace), and nothing is
// antialiased. Reads outside the picture give the invalid colour; writes outside do nothing.
class RasterImage final
{
public:
    RasterImage() = default;
    RasterImage(int width, int height);
    explicit RasterImage(const QImage& image) { setImage(image); }

    // A picture may be 0 pixels wide and still have a height (or the other way round); it
    // then has no pixels but keeps its size.
    int width() const { return m_width; }
    int height() const { return m_height; }
    bool isEmpty() const { return m_image.isNull(); }
    QRect clipRect() const { return QRect(0, 0, width(), height()); }

    // Keep the pixels inside both sizes anchored at the top left; fill the new area with the
    // brush colour. Negative sizes count as 0. Throws std::bad_alloc when the pixels cannot be
    // allocated; callers that take a size from a file check it first.
    void setWidth(int width) { setSize(width, height()); }
    void setHeight(int height) { setSize(width(), height); }
    void setSize(int width, int height);

    ColorRef pixel(int x, int y) const;
    void setPixel(int x, int y, ColorRef color);

    // Direct row access, one QRgb per pixel (bytes blue, green, red, 0xFF). Writers must keep
    // the alpha byte at 0xFF. No bounds check: 0 <= y < height().
    QRgb* scanLine(int y) { return reinterpret_cast<QRgb*>(m_image.scanLine(y)); }
    const QRgb* constScanLine(int y) const
    {
        return reinterpret_cast<const QRgb*>(m_image.constScanLine(y));
    }

    const QImage& image() const { return m_image; }
    // Takes `image` converted to opaque RGB32 (transparency is laid over white).
    void setImage(const QImage& image);

    // The colour `color` paints on this picture: palette indices go through the attached
    // palette, or the 20 reserved colours when there is none.
    QRgb resolve(ColorRef color) const;

    // Drawing state.
    Pen& pen() { return m_pen; }
    const Pen& pen() const { return m_pen; }
    Brush& brush() { return m_brush; }
    const Brush& brush() const { return m_brush; }
    TextFont& font() { return m_font; }
    const TextFont& font() const { return m_font; }
    CopyMode copyMode() const { return m_copyMode; }
    void setCopyMode(CopyMode mode) { m_copyMode = mode; }
    QPoint penPos() const { return m_penPos; }

    const LogicalPalette& palette() const { return m_palette; }
    void setPalette(const LogicalPalette& palette) { m_palette = palette; }

    // Copies `sourceRect` of `source` onto `destRect` with the copy mode, scaling (nearest
    // pixel) when the sizes differ and mirroring when a width or height is negative. Where the
    // source rectangle reaches outside the source picture the destination keeps its pixels.
    void copyRect(const QRect& destRect, const RasterImage& source, const QRect& sourceRect);
    void draw(int x, int y, const RasterImage& source);
    void stretchDraw(const QRect& destRect, const RasterImage& source);

    // Wide pens follow one rule: a pen of width w makes every outline w pixels across. The
    // outlines of rectangles and ellipses grow inwards from the box's edge, so a shape never
    // leaves the box its corners give; a line, which has no inside, is a round pen w pixels
    // across swept from end to end, both ends included, the spare pixel of an even width above
    // and left of the 1-pixel line.
    //
    // Outline with the pen inside the box, inside with the brush.
    // With a clear pen the brush fills the box without its last column and row, so
    // rectangle(0, 0, width() + 1, height() + 1) fills the whole picture. The box is
    // normalised, so corners may come in any order.
    void rectangle(int x1, int y1, int x2, int y2);
    // The pixels rectangle() paints with the brush, within the picture; empty without a brush.
    // The outline never touches them.
    QRect rectangleFill(int x1, int y1, int x2, int y2) const;
    // The ellipse inscribed in the box, with the same pen and brush rules.
    void ellipse(int x1, int y1, int x2, int y2);

    // A line with the pen from the pen position, which then moves to (x, y). A 1-pixel line
    // leaves out its end point; a wider one includes both (see the rule above rectangle()).
    void moveTo(int x, int y) { m_penPos = QPoint(x, y); }
    void lineTo(int x, int y);

    // Fills with the brush (colour or pattern, no pen mode), 4-connected. Time and memory grow
    // with the region, not with the picture, unless the brush is a pattern or the mode is
    // Border with a fill colour other than the border's (then a mark per pixel is kept).
    void floodFill(int x, int y, ColorRef color, FloodFillMode mode);

    // Draws `text` in the font with its top-left corner at (x, y), on a background of the
    // brush colour unless the brush is clear. Glyphs are not smoothed.
    void textOut(int x, int y, const QString& text);

    // Replaces size and pixels with a picture file in any format Qt reads. Only a regular file
    // is read, and a file that ends before its picture data is refused. On failure the picture
    // is unchanged and `error` names the file and the reason.
    bool load(const QString& path, QString* error = nullptr);
    // The same on a file's bytes; `formatHint` (an extension such as "bmp") is tried when the
    // bytes do not tell the format. On failure `reason` says why, without a file name.
    bool loadFromData(QByteArrayView bytes, const QByteArray& formatHint, QString* reason);
    // Writes the picture through a temporary file that replaces `path` only when complete: a
    // Windows bitmap unless the name's extension is another format Qt writes (see
    // imageFormatForPath in files/PictureFiles.h). On failure an existing file is untouched.
    bool save(const QString& path, QString* error = nullptr) const;

private:
    struct Span;
    bool adopt(const QImage& decoded, QString* reason);
    bool preparePattern();
    void fillSpans(const std::vector<Span>& spans);
    void paintRow(int y, int x0, int x1, QRgb color, bool usePattern, PenMode mode);
    void paintPixel(int x, int y, QRgb color, PenMode mode);
    void drawOutline(const std::vector<Span>& spans);
    void drawWideLine(QPoint from, QPoint to);

    QImage m_image; // null exactly when the picture has no pixels
    int m_width = 0;
    int m_height = 0;
    Pen m_pen;
    Brush m_brush;
    TextFont m_font;
    CopyMode m_copyMode = CopyMode::SourceCopy;
    QPoint m_penPos;
    LogicalPalette m_palette;
};
