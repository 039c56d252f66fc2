#pragma once

#include <QFont>
#include <QStyledItemDelegate>

class QStyle;

// Marks a top-level item of the details list that stands for a group (a
// caption spanning both columns) rather than a name/value row.
inline constexpr int DetailsGroupRole = Qt::UserRole + 1;

// Draws the details list's rows as the style does and measures a group's
// caption once per font and style. The list has uniform row heights, taken
// from its first row, which is a group's caption; measuring that caption lays
// its text out on every fill, at the cost of laying out all the other rows,
// and gives the same height every time. A caption spans the row, so the view
// never asks for its width.
class DetailsRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    // Per column of a caption row: the caption's text, and the empty cell
    // beside it.
    struct Measured
    {
        QSize size;
        QFont font;
        const QStyle *style = nullptr;
    };
    mutable Measured m_caption[2];
};
