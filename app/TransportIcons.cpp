#include "app/TransportIcons.h"

#include "app/ShapeIcons.h"

#include <QPainter>

#include <array>
#include <optional>

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
    if (all.drawn[index].isNull()) {
        all.drawn[index] = kind == TransportIcon::Play
            ? shapeIcon(QStringLiteral("play"),
                [](QPainter &p) {
                    p.drawPolygon(std::array { QPointF(4, 2.5), QPointF(13.5, 8), QPointF(4, 13.5) }.data(), 3);
                })
            : shapeIcon(QStringLiteral("pause"), [](QPainter &p) {
                  p.drawRect(QRectF(3.5, 2.5, 3.5, 11));
                  p.drawRect(QRectF(9, 2.5, 3.5, 11));
              });
    }
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
