#pragma once

#include <QIconEngine>

#include <functional>
#include <utility>

// An icon whose pictures are made the first time one is asked for, and then answers exactly as
// the icon made would. Windows that are created at start and shown later, or never, do not pay
// for drawing or reading their icons.
class LazyIconEngine final : public QIconEngine
{
public:
    // `sizes` answers availableSizes() without making the icon; empty makes it.
    explicit LazyIconEngine(std::function<QIcon()> make, QList<QSize> sizes = {})
        : m_make(std::move(make)), m_sizes(std::move(sizes))
    {}

    QIconEngine* clone() const override { return new LazyIconEngine(m_make, m_sizes); }
    QString key() const override { return QStringLiteral("depthloom-lazy"); }
    bool isNull() override { return false; }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return m_sizes.isEmpty() ? made().availableSizes(mode, state) : m_sizes;
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return made().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return made().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override
    {
        return made().pixmap(size, scale, mode, state);
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        made().paint(painter, rect, Qt::AlignCenter, mode, state);
    }

private:
    QIcon& made()
    {
        if (m_icon.isNull()) {
            m_icon = m_make();
        }
        return m_icon;
    }

    std::function<QIcon()> m_make;
    QList<QSize> m_sizes;
    QIcon m_icon;
};
