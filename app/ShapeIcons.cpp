#include "app/ShapeIcons.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QPixmapCache>

#include <utility>

namespace {

// Shapes are laid out on a 16 x 16 grid and scaled to the size asked for.
constexpr qreal kGrid = 16.0;

class ShapeIconEngine final : public QIconEngine
{
public:
    ShapeIconEngine(QString name, std::function<void(QPainter &)> draw)
        : m_name(std::move(name))
        , m_draw(std::move(draw))
    { }

    QIconEngine *clone() const override { return new ShapeIconEngine(m_name, m_draw); }

    QString key() const override { return QStringLiteral("VantrelShapeIcon"); }

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
        m_draw(*painter);
        painter->restore();
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        // Controls ask for the same pixmap at every repaint.
        const QString cacheKey = QStringLiteral("vantrel-shape-%1-%2x%3-%4")
                                     .arg(m_name)
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
    QString m_name;
    std::function<void(QPainter &)> m_draw;
};

} // namespace

QIcon shapeIcon(const QString &name, std::function<void(QPainter &)> drawOnGrid)
{
    return QIcon(new ShapeIconEngine(name, std::move(drawOnGrid)));
}
