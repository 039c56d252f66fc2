#include "WaveformDelegate.h"

#include "FileListModel.h"
#include "WaveformThumbnails.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>

namespace bd {

namespace {

constexpr int kPadding = 4;

} // namespace

WaveformDelegate::WaveformDelegate(WaveformThumbnails *thumbnails, QSize thumbnailSize, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_thumbnails(thumbnails)
    , m_size(thumbnailSize)
{ }

QSize WaveformDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return { m_size.width() + 2 * kPadding, m_size.height() + option.fontMetrics.height() + 3 * kPadding };
}

void WaveformDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    opt.text.clear();
    opt.icon = QIcon();
    const bool selected = (opt.state & QStyle::State_Selected) != 0;
    // Selection colours come as a pair of one colour group: the text colour
    // on any other background (a style's pale tint) can be unreadable.
    const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
        : (opt.state & QStyle::State_Active)                                ? QPalette::Active
                                                                            : QPalette::Inactive;
    if (selected)
        painter->fillRect(opt.rect, opt.palette.brush(group, QPalette::Highlight));
    else
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);

    const QRect area(opt.rect.x() + (opt.rect.width() - m_size.width()) / 2, opt.rect.y() + kPadding, m_size.width(),
        m_size.height());
    const QPalette &palette = opt.palette;
    painter->save();
    painter->setClipRect(opt.rect);

    if (index.data(FileListModel::IsDirRole).toBool()) {
        const int side = std::min(area.height(), area.width());
        const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
        icon.paint(painter, QRect(area.center() - QPoint(side / 2, side / 2), QSize(side, side)));
    } else {
        painter->fillRect(area, palette.color(QPalette::AlternateBase));
        const QString path = index.data(FileListModel::FullPathRole).toString();
        const qint64 modified = index.data(FileListModel::ModifiedRole).toLongLong();
        const QColor wave = palette.color(QPalette::Highlight);
        if (const WaveformThumbnails::Peaks *peaks = m_thumbnails->peaks(path, modified)) {
            paintWaveform(painter, area, *peaks, wave);
        } else {
            // Not decoded yet, or not decodable: a flat line keeps the grid calm.
            QPen pen(palette.color(QPalette::Mid));
            pen.setStyle(m_thumbnails->failed(path, modified) ? Qt::SolidLine : Qt::DotLine);
            painter->setPen(pen);
            painter->drawLine(area.left(), area.center().y(), area.right(), area.center().y());
        }
    }

    const QRect textRect(
        opt.rect.x() + kPadding, area.bottom() + kPadding, opt.rect.width() - 2 * kPadding, opt.fontMetrics.height());
    painter->setPen(palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setFont(opt.font);
    const QString name = index.data(Qt::DisplayRole).toString();
    painter->drawText(textRect, Qt::AlignHCenter | Qt::AlignVCenter,
        opt.fontMetrics.elidedText(name, Qt::ElideMiddle, textRect.width()));
    painter->restore();

    if (opt.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(opt);
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
}

void WaveformDelegate::paintWaveform(
    QPainter *painter, const QRect &area, const QVector<float> &peaks, const QColor &color) const
{
    const int columns = int(peaks.size() / 2);
    if (columns == 0)
        return;
    const double middle = area.top() + area.height() / 2.0;
    const double half = area.height() / 2.0 - 1;
    const double step = double(area.width()) / columns;
    // Outline along the maxima left to right, back along the minima.
    QPainterPath path;
    for (int c = 0; c < columns; ++c) {
        const QPointF top(area.left() + (c + 0.5) * step, middle - peaks[2 * c + 1] * half);
        if (c == 0)
            path.moveTo(top);
        else
            path.lineTo(top);
    }
    for (int c = columns - 1; c >= 0; --c)
        path.lineTo(area.left() + (c + 0.5) * step, middle - peaks[2 * c] * half);
    path.closeSubpath();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setPen(QPen(color.darker(120), 1));
    painter->setBrush(color);
    painter->drawPath(path);
}

} // namespace bd
