#include "app/DetailsRowDelegate.h"

#include <QApplication>
#include <QStyle>
#include <QWidget>

#include <iterator>

QSize DetailsRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const int column = index.column();
    if (column < 0 || column >= int(std::size(m_caption)) || !index.siblingAtColumn(0).data(DetailsGroupRole).toBool())
        return QStyledItemDelegate::sizeHint(option, index);
    Measured &measured = m_caption[column];
    const QStyle *style = option.widget ? option.widget->style() : QApplication::style();
    if (!measured.size.isValid() || style != measured.style || option.font != measured.font)
        measured = { QStyledItemDelegate::sizeHint(option, index), option.font, style };
    return measured.size;
}
