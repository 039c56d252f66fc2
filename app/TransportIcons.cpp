#include "app/TransportIcons.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QPixmapCache>

#include <array>

namespace {

// Shapes are laid out on a 16 x 16 grid and scaled to the size asked for.
constexpr qreal kGrid = 16.0;

class TransportIconEngine final : public QIconEngine
{
public:
    explicit TransportIconEngine(TransportIcon kind)
        : m_kind(kind)
    { }

    QIconEngine *clone() const override { return new TransportIconEngine(m_kind); }

    QString key() const override { return QStringLiteral("VantrelTransportIcon"); }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        const qreal side = qMin(rect.width(), rect.height());
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.x() + (rect.width() - side) / 2.0, rect.y() + (rect.height() - side) / 2.0);
        painter->scale(side / kGrid, side / kGrid);
        painter->setPen(Qt::NoPen);
        painter->setBrush(QGuiApplication::palette().color(
            mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active, QPalette::ButtonText));
        if (m_kind == TransportIcon::Play) {
            painter->drawPolygon(std::array { QPointF(4, 2.5), QPointF(13.5, 8), QPointF(4, 13.5) }.data(), 3);
        } else {
            painter->drawRect(QRectF(3.5, 2.5, 3.5, 11));
            painter->drawRect(QRectF(9, 2.5, 3.5, 11));
        }
        painter->restore();
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        // Buttons ask for the same pixmap at every repaint.
        const QString cacheKey = QStringLiteral("vantrel-transport-%1-%2x%3-%4")
                                     .arg(int(m_kind))
                                     .arg(size.width())
                                     .arg(size.height())
                                     .arg(int(mode));
        QPixmap pixmap;
        if (QPixmapCache::find(cacheKey, &pixmap))
            return pixmap;
        pixmap = QPixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        painter.end();
        QPixmapCache::insert(cacheKey, pixmap);
        return pixmap;
    }

private:
    TransportIcon m_kind;
};

} // namespace

QIcon transportIcon(TransportIcon kind)
{
    static std::array<QIcon, 2> icons;
    QIcon &icon = icons[std::size_t(kind)];
    if (icon.isNull()) {
        const QIcon drawn(new TransportIconEngine(kind));
        // Without a theme the lookup would only end at the drawn icon.
        icon = QIcon::themeName().isEmpty()
            ? drawn
            : QIcon::fromTheme(
                QString::fromLatin1(kind == TransportIcon::Play ? "media-playback-start" : "media-playback-pause"),
                drawn);
    }
    return icon;
}
