#include "FileItemDelegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>

namespace bd {

namespace {

// Space around the icon and the text, at the view's own scale (the icon
// size carries the scale).
int marginOf(const QStyleOptionViewItem &option)
{
    return std::max(2, option.decorationSize.height() / 5);
}

QPalette::ColorGroup groupOf(const QStyleOptionViewItem &option)
{
    if (!(option.state & QStyle::State_Enabled))
        return QPalette::Disabled;
    return (option.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
}

} // namespace

void FileItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt(option);
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    // Only what the panel needs; the text and icon are drawn here.
    opt.features &= ~(QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration);
    opt.index = index;
    // A selected cell is highlighted whole; otherwise the style would lay
    // the text out to find the part to highlight.
    opt.showDecorationSelected = true;
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);

    const int margin = marginOf(opt);
    QRect textRect = opt.rect.adjusted(margin, 0, -margin, 0);
    const QVariant decoration = index.data(Qt::DecorationRole);
    if (decoration.isValid()) {
        const QSize iconSize = opt.decorationSize;
        const QRect iconRect(textRect.left(), opt.rect.top() + (opt.rect.height() - iconSize.height()) / 2,
            iconSize.width(), iconSize.height());
        const QIcon icon = decoration.value<QIcon>();
        const QIcon::Mode mode = !(opt.state & QStyle::State_Enabled) ? QIcon::Disabled
            : (opt.state & QStyle::State_Selected)                    ? QIcon::Selected
                                                                      : QIcon::Normal;
        icon.paint(painter, iconRect, Qt::AlignCenter, mode);
        textRect.setLeft(iconRect.right() + 1 + margin);
    }

    const QString text = index.data(Qt::DisplayRole).toString();
    if (!text.isEmpty() && textRect.width() > 0) {
        const bool selected = (opt.state & QStyle::State_Selected) != 0;
        // Text and background of the selection from one palette pair.
        painter->setPen(opt.palette.color(groupOf(opt), selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setFont(opt.font);
        const QFontMetrics &metrics = opt.fontMetrics;
        const bool fits = metrics.horizontalAdvance(text) <= textRect.width();
        const QVariant align = index.data(Qt::TextAlignmentRole);
        const int alignment = align.isValid() ? align.toInt() : int(Qt::AlignLeft | Qt::AlignVCenter);
        painter->drawText(textRect, alignment | Qt::TextSingleLine,
            fits ? text : metrics.elidedText(text, opt.textElideMode, textRect.width()));
    }

    if (opt.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(opt);
        focus.backgroundColor = opt.palette.color(
            groupOf(opt), (opt.state & QStyle::State_Selected) ? QPalette::Highlight : QPalette::Base);
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
}

QSize FileItemDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const int margin = marginOf(option);
    const QString text = index.data(Qt::DisplayRole).toString();
    int width = 2 * margin + option.fontMetrics.horizontalAdvance(text);
    if (index.data(Qt::DecorationRole).isValid())
        width += option.decorationSize.width() + margin;
    const int height = std::max(option.fontMetrics.height(), option.decorationSize.height()) + margin;
    return { width, height };
}

} // namespace bd
