#include "app/ProgramStyle.h"

#include "app/ShapeIcons.h"

#include <QGroupBox>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QStyleFactory>
#include <QStyleOption>
#include <qdrawutil.h>

#include <array>

namespace {

// Two chevrons pointing right, the way an overflow button points along a
// horizontal bar.
void drawChevrons(QPainter &p)
{
    for (const qreal x : { 3.0, 8.0 })
        p.drawPolygon(std::array { QPointF(x, 4), QPointF(x + 2, 4), QPointF(x + 6, 8), QPointF(x + 2, 12),
                          QPointF(x, 12), QPointF(x + 4, 8) }
                          .data(),
            6);
}

QIcon extensionIcon(bool vertical)
{
    static const QIcon horizontal = shapeIcon(QStringLiteral("extension-h"), drawChevrons);
    static const QIcon downwards = shapeIcon(QStringLiteral("extension-v"), [](QPainter &p) {
        // The same chevrons turned to point down a vertical bar.
        p.translate(16, 0);
        p.rotate(90);
        drawChevrons(p);
    });
    return vertical ? downwards : horizontal;
}

// Fusion's own group-box frame, from Qt's resources.
const QPixmap &groupBoxFrame()
{
    static const QPixmap frame = [] {
        // Named as PNG and not guessed: guessing asks every plugin.
        QImageReader reader(QStringLiteral(":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png"), "png");
        reader.setAutoDetectImageFormat(false);
        return QPixmap::fromImage(reader.read());
    }();
    return frame;
}

} // namespace

ProgramStyle::ProgramStyle()
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")))
{ }

QIcon ProgramStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption *option, const QWidget *widget) const
{
    switch (standardIcon) {
    case SP_ToolBarHorizontalExtensionButton:
        return extensionIcon(false);
    case SP_ToolBarVerticalExtensionButton:
        return extensionIcon(true);
    default:
        return QProxyStyle::standardIcon(standardIcon, option, widget);
    }
}

void ProgramStyle::drawPrimitive(
    PrimitiveElement element, const QStyleOption *option, QPainter *painter, const QWidget *widget) const
{
    const QPixmap &frame = groupBoxFrame();
    if (element != PE_FrameGroupBox || frame.isNull()) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    // Fusion starts the frame a little below the title row (the taller of
    // the title's text and a check box), or near the top without a title.
    constexpr int kBelowTitle = 3;
    const auto *box = qobject_cast<const QGroupBox *>(widget);
    const bool titled = !box || box->isCheckable() || !box->title().isEmpty();
    const int top = kBelowTitle
        + (titled ? qMax(pixelMetric(PM_ExclusiveIndicatorHeight, option, widget), option->fontMetrics.height()) : 0);
    const QRect target = option->rect.adjusted(0, top, 0, 0);
    if (target.isEmpty())
        return;
    // Stretching the nine pieces on every repaint went through Qt's image
    // scaling each time; a frame is drawn once for its size and then copied.
    const QString key = QStringLiteral("vantrel-group-box-frame-%1x%2").arg(target.width()).arg(target.height());
    QPixmap drawn;
    if (!QPixmapCache::find(key, &drawn)) {
        drawn = QPixmap(target.size());
        drawn.fill(Qt::transparent);
        QPainter onto(&drawn);
        qDrawBorderPixmap(&onto, QRect(QPoint(), target.size()), QMargins(6, 6, 6, 6), frame);
        onto.end();
        QPixmapCache::insert(key, drawn);
    }
    painter->drawPixmap(target.topLeft(), drawn);
}
