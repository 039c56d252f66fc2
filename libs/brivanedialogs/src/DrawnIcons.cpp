#include "DrawnIcons.h"

#include <QGuiApplication>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QTimer>
#include <QWidget>

#include <array>
#include <iterator>

namespace {

// Shapes are laid out on a 16 x 16 grid and scaled to the size asked for.
constexpr qreal kGrid = 16.0;

QColor accent(QIcon::Mode mode)
{
    if (mode == QIcon::Disabled)
        return QGuiApplication::palette().color(QPalette::Disabled, QPalette::WindowText);
    return QColor(0x2F, 0x6D, 0xB5);
}

QColor ink(QIcon::Mode mode)
{
    return QGuiApplication::palette().color(
        mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active, QPalette::WindowText);
}

void drawArrow(QPainter &p, QIcon::Mode mode, qreal angle)
{
    p.translate(kGrid / 2, kGrid / 2);
    p.rotate(angle);
    p.translate(-kGrid / 2, -kGrid / 2);
    QPen pen(accent(mode), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    // Pointing left before the rotation.
    p.drawLine(QPointF(13, 8), QPointF(3.5, 8));
    p.drawPolyline(std::array { QPointF(8, 3.5), QPointF(3.5, 8), QPointF(8, 12.5) }.data(), 3);
}

void drawRefresh(QPainter &p, QIcon::Mode mode)
{
    p.setPen(QPen(accent(mode), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawArc(QRectF(3, 3, 10, 10), 60 * 16, 290 * 16);
    // The head at the arc's start, pointing along it.
    p.setBrush(accent(mode));
    p.setPen(Qt::NoPen);
    p.drawPolygon(std::array { QPointF(9.2, 0.8), QPointF(13.8, 3.6), QPointF(9.4, 7.0) }.data(), 3);
}

void drawRows(QPainter &p, QIcon::Mode mode, bool twoColumns)
{
    p.setPen(Qt::NoPen);
    p.setBrush(ink(mode));
    const int columns = twoColumns ? 2 : 1;
    const qreal width = twoColumns ? 7.0 : 14.0;
    for (int column = 0; column < columns; ++column) {
        const qreal left = 1.0 + column * 7.5;
        for (int row = 0; row < 3; ++row) {
            const qreal top = 3.0 + row * 4.0;
            p.drawRect(QRectF(left, top, 2, 2));
            p.drawRect(QRectF(left + 3, top + 0.5, width - 4.5, 1));
        }
    }
}

void drawTiles(QPainter &p, QIcon::Mode mode)
{
    p.setPen(Qt::NoPen);
    p.setBrush(ink(mode));
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 2; ++column)
            p.drawRect(QRectF(2 + column * 6.5, 2 + row * 6.5, 5.5, 5.5));
    }
}

void drawDrive(QPainter &p, QIcon::Mode mode)
{
    const bool disabled = mode == QIcon::Disabled;
    p.setPen(QPen(disabled ? ink(mode) : QColor(0x6B, 0x6F, 0x75), 1.0));
    p.setBrush(disabled ? QColor(0xDD, 0xDD, 0xDD) : QColor(0xC9, 0xCD, 0xD2));
    p.drawRoundedRect(QRectF(1.5, 5.5, 13, 6), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(disabled ? ink(mode) : QColor(0x3C, 0xB3, 0x4A));
    p.drawEllipse(QRectF(11, 8, 2, 2));
}

void drawFolder(QPainter &p, QIcon::Mode mode)
{
    const bool disabled = mode == QIcon::Disabled;
    QPainterPath path;
    path.moveTo(1.5, 3.5);
    path.lineTo(6, 3.5);
    path.lineTo(7.5, 5);
    path.lineTo(14.5, 5);
    path.lineTo(14.5, 13.5);
    path.lineTo(1.5, 13.5);
    path.closeSubpath();
    p.setPen(QPen(disabled ? ink(mode) : QColor(0xB0, 0x82, 0x1C), 1.0));
    p.setBrush(disabled ? QColor(0xE4, 0xE4, 0xE4) : QColor(0xF2, 0xC1, 0x4E));
    p.drawPath(path);
}

// A folder with a house on it.
void drawHome(QPainter &p, QIcon::Mode mode)
{
    drawFolder(p, mode);
    p.setPen(Qt::NoPen);
    p.setBrush(mode == QIcon::Disabled ? ink(mode) : QColor(0x7A, 0x55, 0x10));
    p.drawPolygon(std::array { QPointF(8, 6.5), QPointF(11.5, 9.5), QPointF(4.5, 9.5) }.data(), 3);
    p.drawRect(QRectF(5.5, 9.5, 5, 3));
}

void drawFile(QPainter &p, QIcon::Mode mode)
{
    const bool disabled = mode == QIcon::Disabled;
    QPainterPath page;
    page.moveTo(3.5, 1.5);
    page.lineTo(9.5, 1.5);
    page.lineTo(12.5, 4.5);
    page.lineTo(12.5, 14.5);
    page.lineTo(3.5, 14.5);
    page.closeSubpath();
    p.setPen(QPen(disabled ? ink(mode) : QColor(0x80, 0x84, 0x8A), 1.0));
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.drawPolyline(std::array { QPointF(9.5, 1.5), QPointF(9.5, 4.5), QPointF(12.5, 4.5) }.data(), 3);
    // A note: these are audio files.
    p.setPen(QPen(accent(mode), 1.0));
    p.drawLine(QPointF(9, 7), QPointF(9, 11.5));
    p.setPen(Qt::NoPen);
    p.setBrush(accent(mode));
    p.drawEllipse(QRectF(6, 10.5, 3.2, 2.6));
}

void drawClose(QPainter &p, QIcon::Mode mode)
{
    p.setPen(QPen(ink(mode), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4.5, 4.5), QPointF(11.5, 11.5));
    p.drawLine(QPointF(11.5, 4.5), QPointF(4.5, 11.5));
}

// The icon theme's names for each kind, in the enumeration's order.
const char *const kThemeNames[] = {
    "go-previous",
    "go-next",
    "go-up",
    "view-refresh",
    "view-list-details",
    "view-list-compact",
    "view-list-icons",
    "drive-harddisk",
    "folder",
    "user-home",
    "audio-x-generic",
    "window-close",
};
static_assert(std::size(kThemeNames) == std::size_t(DrawnIcon::Close) + 1);

// Off until a browser has been painted once.
bool themeLookupsAllowed = false;

class DrawnIconEngine : public QIconEngine
{
public:
    explicit DrawnIconEngine(DrawnIcon kind)
        : m_kind(kind)
    { }

    QIconEngine *clone() const override { return new DrawnIconEngine(m_kind); }

    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        if (const QIcon *face = themed())
            return face->actualSize(size, mode, state);
        return size;
    }

    QString iconName() override
    {
        const QIcon *face = themed();
        return face ? face->name() : QString();
    }

    // Views paint the same few sizes over and over: each is drawn once.
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        if (const QIcon *face = themed())
            return face->pixmap(size, mode, state);
        const quint64 key
            = (quint64(quint32(size.width())) << 34) | (quint64(quint32(size.height())) << 4) | quint64(mode);
        auto it = m_cache.constFind(key);
        if (it != m_cache.constEnd())
            return *it;
        QPixmap drawn(size);
        drawn.fill(Qt::transparent);
        if (!size.isEmpty()) {
            QPainter painter(&drawn);
            draw(painter, QRect(QPoint(0, 0), size), mode, state);
        }
        m_cache.insert(key, drawn);
        return drawn;
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        if (const QIcon *face = themed()) {
            face->paint(painter, rect, Qt::AlignCenter, mode, state);
            return;
        }
        painter->drawPixmap(rect.topLeft(), pixmap(rect.size(), mode, state));
    }

private:
    // The theme's own icon of this kind once lookups are allowed and the
    // theme has one; null for the drawn face. Looked up again when the
    // theme changes.
    const QIcon *themed()
    {
        if (!themeLookupsAllowed)
            return nullptr;
        const QString theme = QIcon::themeName();
        if (!m_lookedUp || theme != m_theme) {
            m_lookedUp = true;
            m_theme = theme;
            m_themed = QIcon();
            // Without a theme (a bare X server, a minimal session) the lookup
            // would only end at nothing.
            if (!theme.isEmpty()) {
                const QIcon icon = QIcon::fromTheme(QString::fromLatin1(kThemeNames[int(m_kind)]));
                if (!icon.isNull() && !icon.availableSizes().isEmpty())
                    m_themed = icon;
            }
        }
        return m_themed.isNull() ? nullptr : &m_themed;
    }

    void draw(QPainter &p, const QRect &rect, QIcon::Mode mode, QIcon::State) const
    {
        p.setRenderHint(QPainter::Antialiasing);
        const qreal side = qMin(rect.width(), rect.height());
        p.translate(rect.x() + (rect.width() - side) / 2.0, rect.y() + (rect.height() - side) / 2.0);
        p.scale(side / kGrid, side / kGrid);
        switch (m_kind) {
        case DrawnIcon::Back:
            drawArrow(p, mode, 0);
            break;
        case DrawnIcon::Forward:
            drawArrow(p, mode, 180);
            break;
        case DrawnIcon::Up:
            drawArrow(p, mode, 90);
            break;
        case DrawnIcon::Refresh:
            drawRefresh(p, mode);
            break;
        case DrawnIcon::DetailsView:
            drawRows(p, mode, false);
            break;
        case DrawnIcon::ListView:
            drawRows(p, mode, true);
            break;
        case DrawnIcon::ThumbnailsView:
            drawTiles(p, mode);
            break;
        case DrawnIcon::Drive:
            drawDrive(p, mode);
            break;
        case DrawnIcon::Folder:
            drawFolder(p, mode);
            break;
        case DrawnIcon::Home:
            drawHome(p, mode);
            break;
        case DrawnIcon::File:
            drawFile(p, mode);
            break;
        case DrawnIcon::Close:
            drawClose(p, mode);
            break;
        }
    }

    DrawnIcon m_kind;
    QHash<quint64, QPixmap> m_cache;
    bool m_lookedUp = false;
    QString m_theme;
    QIcon m_themed;
};

// Lets the icons look into the theme once the watched browser has painted,
// then has it paint again with what they found.
class FirstPaintWatcher : public QObject
{
public:
    explicit FirstPaintWatcher(QWidget *widget)
        : QObject(widget)
        , m_widget(widget)
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_widget && event->type() == QEvent::Paint) {
            m_widget->removeEventFilter(this);
            // Queued, so this paint reaches the screen first.
            QTimer::singleShot(0, this, [this] {
                themeLookupsAllowed = true;
                // Every kind is looked up now, in one go, rather than at
                // whatever paint first shows it.
                for (int kind = 0; kind <= int(DrawnIcon::Close); ++kind)
                    drawnIcon(DrawnIcon(kind)).name();
                m_widget->update();
                deleteLater();
            });
        }
        return false;
    }

private:
    QWidget *m_widget;
};

} // namespace

QIcon drawnIcon(DrawnIcon kind)
{
    static QHash<int, QIcon> icons;
    auto it = icons.find(int(kind));
    if (it == icons.end())
        it = icons.insert(int(kind), QIcon(new DrawnIconEngine(kind)));
    return *it;
}

void useThemeIconsAfterFirstPaint(QWidget *widget)
{
    if (!themeLookupsAllowed)
        new FirstPaintWatcher(widget);
}
