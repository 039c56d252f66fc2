#include "app/WindowBounds.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <limits>

namespace {

// The frame is unknown until the window manager draws it; these cover the
// title bar above the client area and the borders of common themes.
constexpr qint64 kTitleBarHeight = 24;
constexpr qint64 kBottomBorder = 8;
// A title bar is reachable when this much of it is on a screen: enough to
// grab it and drag the window back.
constexpr qint64 kGrabbableWidth = 100;

qint64 overlap(qint64 a0, qint64 a1, qint64 b0, qint64 b1)
{
    return std::max<qint64>(0, std::min(a1, b1) - std::max(a0, b0));
}

// Distance from a point to a rectangle, squared; zero inside it.
qint64 distance2(qint64 x, qint64 y, const QRect &r)
{
    const qint64 dx = x < r.left() ? r.left() - x : x > r.right() ? x - r.right() : 0;
    const qint64 dy = y < r.top() ? r.top() - y : y > r.bottom() ? y - r.bottom() : 0;
    return dx * dx + dy * dy;
}

int clampToInt(qint64 v)
{
    return int(std::clamp<qint64>(v, std::numeric_limits<int>::min() / 2, std::numeric_limits<int>::max() / 2));
}

} // namespace

QRect FitWindowBounds(const WindowBounds &stored, const QSize &minimum, const QList<QRect> &screens)
{
    const qint64 width = std::max<qint64>(stored.width, minimum.width());
    const qint64 height = std::max<qint64>(stored.height, minimum.height());
    if (screens.isEmpty())
        return QRect(clampToInt(stored.x), clampToInt(stored.y), clampToInt(width), clampToInt(height));

    // The screen that shows most of the title bar, else the nearest one.
    int chosen = -1;
    qint64 best = 0;
    for (int i = 0; i < screens.size(); ++i) {
        const QRect &s = screens[i];
        const qint64 w = overlap(stored.x, stored.x + width, s.left(), s.left() + qint64(s.width()));
        const qint64 h = overlap(stored.y - kTitleBarHeight, stored.y, s.top(), s.top() + qint64(s.height()));
        if (h == kTitleBarHeight && w > best) {
            best = w;
            chosen = i;
        }
    }
    const bool titleBarVisible = chosen >= 0 && best >= std::min(width, kGrabbableWidth);
    if (chosen < 0) {
        qint64 nearest = std::numeric_limits<qint64>::max();
        for (int i = 0; i < screens.size(); ++i) {
            const qint64 d = distance2(stored.x, stored.y - kTitleBarHeight, screens[i]);
            if (d < nearest) {
                nearest = d;
                chosen = i;
            }
        }
    }
    const QRect &screen = screens[chosen];
    const qint64 fittedWidth = std::max<qint64>(minimum.width(), std::min<qint64>(width, screen.width()));
    const qint64 fittedHeight = std::max<qint64>(
        minimum.height(), std::min<qint64>(height, screen.height() - kTitleBarHeight - kBottomBorder));
    qint64 x = stored.x;
    qint64 y = stored.y;
    if (!titleBarVisible) {
        x = std::max<qint64>(screen.left(), std::min<qint64>(x, screen.left() + qint64(screen.width()) - fittedWidth));
        y = std::max<qint64>(screen.top() + kTitleBarHeight,
            std::min<qint64>(y, screen.top() + qint64(screen.height()) - fittedHeight - kBottomBorder));
    }
    return QRect(clampToInt(x), clampToInt(y), clampToInt(fittedWidth), clampToInt(fittedHeight));
}

QList<QRect> AvailableScreenGeometries()
{
    QList<QRect> geometries;
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (primary)
        geometries.append(primary->availableGeometry());
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (const QScreen *screen : screens) {
        if (screen != primary)
            geometries.append(screen->availableGeometry());
    }
    return geometries;
}
