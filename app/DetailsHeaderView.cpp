#include "app/DetailsHeaderView.h"

#include <QAbstractItemModel>
#include <QEvent>

DetailsHeaderView::DetailsHeaderView(QWidget *parent)
    : QHeaderView(Qt::Horizontal, parent)
{
    // What a tree view's own header starts with.
    setSectionsMovable(true);
    setStretchLastSection(true);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(this, &QHeaderView::sectionCountChanged, this, &DetailsHeaderView::forgetSizeHint);
}

QSize DetailsHeaderView::sizeHint() const
{
    if (!m_sizeHint.isValid())
        m_sizeHint = QHeaderView::sizeHint();
    return m_sizeHint;
}

void DetailsHeaderView::setModel(QAbstractItemModel *model)
{
    disconnect(m_headerDataConnection);
    forgetSizeHint();
    QHeaderView::setModel(model);
    if (model)
        m_headerDataConnection
            = connect(model, &QAbstractItemModel::headerDataChanged, this, &DetailsHeaderView::forgetSizeHint);
}

bool DetailsHeaderView::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::StyleChange:
    case QEvent::Polish:
    case QEvent::LayoutDirectionChange:
        forgetSizeHint();
        break;
    default:
        break;
    }
    return QHeaderView::event(event);
}
