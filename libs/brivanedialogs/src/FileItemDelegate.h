#pragma once

#include <QStyledItemDelegate>

namespace bd {

// Draws the rows of the details and list views: the style's item panel
// (selection, hover), the icon and one line of text. Qt's own delegate lays
// every cell out as rich text, which made the first screen of a large folder
// cost several milliseconds; this one draws plain text, elided only when it
// does not fit, and measures a name with the font's cached advances.
class FileItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

} // namespace bd
