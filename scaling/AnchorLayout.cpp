#include "scaling/AnchorLayout.h"

#include "scaling/ScaleFunctions.h"

#include <QWidget>

AnchorLayout::AnchorLayout(QWidget *parent, QSize designSize)
    : QLayout(parent)
    , m_designSize(designSize)
{
    setContentsMargins(0, 0, 0, 0);
}

AnchorLayout::~AnchorLayout()
{
    for (const Entry &entry : std::as_const(m_entries))
        delete entry.item;
}

void AnchorLayout::addWidget(QWidget *widget, QRect designRect, int anchors)
{
    addChildWidget(widget);
    m_entries.append({ new QWidgetItem(widget), designRect, anchors });
    invalidate();
}

QRect AnchorLayout::designRect(const QWidget *widget) const
{
    for (const Entry &entry : m_entries) {
        if (entry.item->widget() == widget)
            return entry.rect;
    }
    return {};
}

void AnchorLayout::setDesignRect(const QWidget *widget, QRect rect)
{
    for (Entry &entry : m_entries) {
        if (entry.item->widget() == widget)
            entry.rect = rect;
    }
    invalidate();
}

void AnchorLayout::scaleBy(int s)
{
    for (Entry &entry : m_entries) {
        entry.rect = QRect(MulDiv(entry.rect.x(), s, 96), MulDiv(entry.rect.y(), s, 96),
            MulDiv(entry.rect.width(), s, 96), MulDiv(entry.rect.height(), s, 96));
    }
    m_designSize = QSize(MulDiv(m_designSize.width(), s, 96), MulDiv(m_designSize.height(), s, 96));
    invalidate();
}

void AnchorLayout::addItem(QLayoutItem *item)
{
    m_entries.append({ item, QRect(), LeftTop });
}

QLayoutItem *AnchorLayout::itemAt(int index) const
{
    return index >= 0 && index < m_entries.size() ? m_entries[index].item : nullptr;
}

QLayoutItem *AnchorLayout::takeAt(int index)
{
    if (index < 0 || index >= m_entries.size())
        return nullptr;
    return m_entries.takeAt(index).item;
}

int AnchorLayout::count() const
{
    return int(m_entries.size());
}

QSize AnchorLayout::sizeHint() const
{
    return m_designSize;
}

QSize AnchorLayout::minimumSize() const
{
    return QSize(0, 0);
}

void AnchorLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    // Designed coordinates count from the parent's outer corner, caption and
    // frame included, so a group box's title margin must not shift them.
    const QRect area = parentWidget() ? parentWidget()->rect() : rect;
    const int dw = area.width() - m_designSize.width();
    const int dh = area.height() - m_designSize.height();
    for (const Entry &entry : std::as_const(m_entries)) {
        QRect r = entry.rect;
        // A designed width or height of 0 sizes the control to its content,
        // as auto-sized labels do: it grows to the right and down.
        if (r.width() == 0 || r.height() == 0) {
            const QSize hint = entry.item->sizeHint();
            if (r.width() == 0)
                r.setWidth(hint.width());
            if (r.height() == 0)
                r.setHeight(hint.height());
        }
        if ((entry.anchors & Right) && (entry.anchors & Left))
            r.setWidth(std::max(0, r.width() + dw));
        else if (entry.anchors & Right)
            r.moveLeft(r.left() + dw);
        if ((entry.anchors & Bottom) && (entry.anchors & Top))
            r.setHeight(std::max(0, r.height() + dh));
        else if (entry.anchors & Bottom)
            r.moveTop(r.top() + dh);
        entry.item->setGeometry(r.translated(area.topLeft()));
    }
}
