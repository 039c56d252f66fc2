#include "app/TransportIcons.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QPixmapCache>

#include <array>
#include <optional>

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

namespace {

struct Faces
{
    std::array<QIcon, 2> drawn;
    std::array<QIcon, 2> shown;
    // The theme the shown faces were looked up in; none before the first lookup.
    std::optional<QString> theme;
};

Faces &faces()
{
    static Faces all;
    return all;
}

QString themeIconName(TransportIcon kind)
{
    return QString::fromLatin1(kind == TransportIcon::Play ? "media-playback-start" : "media-playback-pause");
}

} // namespace

QIcon transportIcon(TransportIcon kind)
{
    Faces &all = faces();
    const auto index = std::size_t(kind);
    if (all.drawn[index].isNull())
        all.drawn[index] = QIcon(new TransportIconEngine(kind));
    if (all.shown[index].isNull())
        all.shown[index] = all.drawn[index];
    return all.shown[index];
}

bool adoptThemedTransportIcons()
{
    Faces &all = faces();
    const QString theme = QIcon::themeName();
    if (all.theme == theme)
        return false;
    all.theme = theme;
    bool changed = false;
    for (const TransportIcon kind : { TransportIcon::Play, TransportIcon::Pause }) {
        const QIcon before = transportIcon(kind);
        const QIcon &drawn = all.drawn[std::size_t(kind)];
        // Without a theme the lookup would only end at the drawn icon.
        const QIcon after = theme.isEmpty() ? drawn : QIcon::fromTheme(themeIconName(kind), drawn);
        if (after.cacheKey() != before.cacheKey()) {
            all.shown[std::size_t(kind)] = after;
            changed = true;
        }
    }
    return changed;
}
