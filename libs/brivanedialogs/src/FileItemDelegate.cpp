#include "FileItemDelegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>
#include <QTextLayout>

#include <limits>

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

// One line of text in rect, elided when it does not fit. Shaping is most of
// what a cell costs: the text is shaped once, and that shaping both measures
// and draws it (measuring first and then drawing shaped it twice).
void drawLine(
    QPainter *painter, const QRect &rect, int alignment, const QString &text, const QStyleOptionViewItem &option)
{
    // Line breaks in a name show as spaces, as a single-line drawText shows them.
    QString shown = text;
    if (shown.contains(u'\n') || shown.contains(u'\r'))
        shown.replace(u'\n', u' ').replace(u'\r', u' ');
    QTextLayout layout(shown, option.font, painter->device());
    // Keeps the glyphs past endLayout(): without it drawing shapes again.
    layout.setCacheEnabled(true);
    QTextOption textOption;
    textOption.setWrapMode(QTextOption::NoWrap);
    textOption.setTextDirection(option.direction);
    layout.setTextOption(textOption);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(std::numeric_limits<int>::max() / 4);
    layout.endLayout();
    const qreal width = line.naturalTextWidth();
    if (width > rect.width()) {
        painter->drawText(rect, alignment | Qt::TextSingleLine,
            option.fontMetrics.elidedText(shown, option.textElideMode, rect.width()));
        return;
    }
    const Qt::Alignment horizontal
        = QStyle::visualAlignment(option.direction, Qt::Alignment(alignment) & Qt::AlignHorizontal_Mask);
    qreal x = rect.left();
    if (horizontal & Qt::AlignRight)
        x = rect.right() + 1 - width;
    else if (horizontal & Qt::AlignHCenter)
        x = rect.left() + (rect.width() - width) / 2;
    qreal y = rect.top();
    if (alignment & Qt::AlignBottom)
        y = rect.bottom() + 1 - line.height();
    else if (!(alignment & Qt::AlignTop))
        y = rect.top() + (rect.height() - line.height()) / 2;
    line.draw(painter, QPointF(x, y));
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
        const QVariant align = index.data(Qt::TextAlignmentRole);
        const int alignment = align.isValid() ? align.toInt() : int(Qt::AlignLeft | Qt::AlignVCenter);
        drawLine(painter, textRect, alignment, text, opt);
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
