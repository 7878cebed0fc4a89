#include "mainwindow/AppIcon.h"

#include "widgets/LazyIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>

namespace appicon {
namespace {

// The drawing, in units of a 256-unit square.
constexpr qreal Units = 256;
constexpr qreal TileInset = 16;
constexpr qreal TileRadius = 44;
const QColor SkyTop(0x1d, 0x2b, 0x53);
const QColor SkyBottom(0x2f, 0x6f, 0x8f);

struct Terrace
{
    qreal rx;
    qreal ry;
    QColor fill;
};
// Outermost first; each step nearer, so lighter.
const Terrace Terraces[] = {{92, 76, QColor(0x5c, 0x5c, 0x5c)},
                            {70, 58, QColor(0x88, 0x88, 0x88)},
                            {48, 40, QColor(0xb4, 0xb4, 0xb4)},
                            {26, 22, QColor(0xe0, 0xe0, 0xe0)}};
const QPointF TerraceCentre(128, 124);
const QColor TerraceEdge(0x1a, 0x1a, 0x1a);
constexpr qreal TerraceEdgeWidth = 4;

struct Thread
{
    QLineF line;
    QColor color;
};
// The warp first, the weft over it.
const Thread Threads[] = {{QLineF(72, 38, 72, 218), QColor(0xe6, 0x39, 0x46)},
                          {QLineF(128, 38, 128, 218), QColor(0xf4, 0xa2, 0x61)},
                          {QLineF(184, 38, 184, 218), QColor(0x2a, 0x9d, 0x8f)},
                          {QLineF(38, 84, 218, 84), QColor(0xe9, 0xc4, 0x6a)},
                          {QLineF(38, 164, 218, 164), QColor(0xe6, 0x39, 0x46)}};
constexpr qreal ThreadWidth = 10;
constexpr qreal ThreadOpacity = 0.75;

QByteArray number(qreal value)
{
    return QByteArray::number(value, 'g', 6);
}

} // namespace

QImage draw(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    // An icon, not a picture the user edits: smooth edges make it readable at 16 pixels.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / Units, size / Units);

    QLinearGradient sky(0, TileInset, 0, Units - TileInset);
    sky.setColorAt(0, SkyTop);
    sky.setColorAt(1, SkyBottom);
    painter.setPen(Qt::NoPen);
    painter.setBrush(sky);
    painter.drawRoundedRect(
        QRectF(TileInset, TileInset, Units - 2 * TileInset, Units - 2 * TileInset), TileRadius,
        TileRadius);

    painter.setPen(QPen(TerraceEdge, TerraceEdgeWidth));
    for (const Terrace& terrace : Terraces) {
        painter.setBrush(terrace.fill);
        painter.drawEllipse(TerraceCentre, terrace.rx, terrace.ry);
    }

    painter.setOpacity(ThreadOpacity);
    for (const Thread& thread : Threads) {
        painter.setPen(QPen(thread.color, ThreadWidth, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(thread.line);
    }
    painter.end();
    return image;
}

QByteArray svg()
{
    QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
                     "viewBox=\"0 0 256 256\">\n";
    out += "<defs><linearGradient id=\"sky\" gradientUnits=\"userSpaceOnUse\" x1=\"0\" y1=\"" +
           number(TileInset) + "\" x2=\"0\" y2=\"" + number(Units - TileInset) +
           "\"><stop offset=\"0\" stop-color=\"" + SkyTop.name().toLatin1() +
           "\"/><stop offset=\"1\" stop-color=\"" + SkyBottom.name().toLatin1() +
           "\"/></linearGradient></defs>\n";
    out += "<rect x=\"" + number(TileInset) + "\" y=\"" + number(TileInset) + "\" width=\"" +
           number(Units - 2 * TileInset) + "\" height=\"" + number(Units - 2 * TileInset) +
           "\" rx=\"" + number(TileRadius) + "\" fill=\"url(#sky)\"/>\n";
    for (const Terrace& terrace : Terraces) {
        out += "<ellipse cx=\"" + number(TerraceCentre.x()) + "\" cy=\"" +
               number(TerraceCentre.y()) + "\" rx=\"" + number(terrace.rx) + "\" ry=\"" +
               number(terrace.ry) + "\" fill=\"" + terrace.fill.name().toLatin1() + "\" stroke=\"" +
               TerraceEdge.name().toLatin1() + "\" stroke-width=\"" + number(TerraceEdgeWidth) +
               "\"/>\n";
    }
    out += "<g stroke-opacity=\"" + number(ThreadOpacity) + "\" stroke-width=\"" +
           number(ThreadWidth) + "\" stroke-linecap=\"round\">\n";
    for (const Thread& thread : Threads) {
        out += "<line x1=\"" + number(thread.line.x1()) + "\" y1=\"" + number(thread.line.y1()) +
               "\" x2=\"" + number(thread.line.x2()) + "\" y2=\"" + number(thread.line.y2()) +
               "\" stroke=\"" + thread.color.name().toLatin1() + "\"/>\n";
    }
    out += "</g>\n</svg>\n";
    return out;
}

QIcon icon()
{
    // A window system that shows no icons never has the files read.
    QList<QSize> sizes;
    for (const int size : PngSizes) {
        sizes.append(QSize(size, size));
    }
    return QIcon(new LazyIconEngine(
        [] {
            QIcon files;
            for (const int size : PngSizes) {
                files.addFile(QStringLiteral(":/icon/%1x%1/apps/depthloom.png").arg(size),
                              QSize(size, size));
            }
            return files;
        },
        sizes));
}

} // namespace appicon
