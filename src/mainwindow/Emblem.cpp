#include "mainwindow/Emblem.h"

#include <QFont>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

QImage drawEmblem(const QSize& size)
{
    QImage image(size, QImage::Format_RGB32);
    const qreal w = size.width();
    const qreal h = size.height();

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0, QColor(0x1d, 0x2b, 0x53));
    sky.setColorAt(1, QColor(0x2f, 0x6f, 0x8f));
    painter.fillRect(image.rect(), sky);

    // Terraces: each step is nearer, so lighter.
    const QPointF centre(w / 2, h * 0.42);
    const int steps = 6;
    for (int i = 0; i < steps; ++i) {
        const qreal rx = w * 0.36 * (steps - i) / steps;
        const qreal ry = h * 0.34 * (steps - i) / steps;
        const int grey = 90 + i * 150 / (steps - 1);
        painter.setPen(QPen(QColor(40, 40, 40), 1));
        painter.setBrush(QColor(grey, grey, grey));
        painter.drawEllipse(centre, rx, ry);
    }

    // Threads of the loom over the terraces, warp and weft in turn.
    const QColor threads[] = {QColor(0xe6, 0x39, 0x46), QColor(0xf4, 0xa2, 0x61),
                              QColor(0x2a, 0x9d, 0x8f), QColor(0xe9, 0xc4, 0x6a)};
    const int threadCount = 7;
    for (int i = 0; i < threadCount; ++i) {
        QColor color = threads[i % 4];
        color.setAlpha(150);
        painter.setPen(QPen(color, std::max(2.0, h / 60)));
        const qreal x = w * (i + 1) / (threadCount + 1);
        const qreal y = h * 0.08 + h * 0.68 * (i + 0.5) / threadCount;
        painter.drawLine(QPointF(x, h * 0.06), QPointF(x, h * 0.78));
        painter.drawLine(QPointF(w * 0.08, y), QPointF(w * 0.92, y));
    }

    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setBold(true);
    font.setPixelSize(std::max(8, int(h / 7)));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(0, h * 0.8, w, h * 0.2), Qt::AlignCenter, QStringLiteral("Depthloom"));
    return image;
}

QFont fittedFont(const QFont& font, const QString& text, int width)
{
    const int natural = QFontMetrics(font).horizontalAdvance(text);
    if (natural <= width || natural <= 0) {
        return font;
    }
    // Stretch is in percent. One narrowing is enough to read the words; each trial would load
    // another font, which start-up cannot afford.
    QFont narrowed = font;
    narrowed.setStretch(std::max(50, 100 * width / natural));
    return narrowed;
}
