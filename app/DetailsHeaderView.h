#pragma once

#include <QHeaderView>

// The details list's column header. It answers its size hint from a copy
// kept until its font, style, captions or columns change: the list stretches
// its last column, and every layout of the rows re-fits that column, which
// makes a plain header forget its size hint and lay both captions' text out
// again on the next layout, as long as the rest of that layout took. Columns
// are never hidden here, so hiding them needs no handling.
class DetailsHeaderView : public QHeaderView
{
    Q_OBJECT

public:
    explicit DetailsHeaderView(QWidget *parent = nullptr);

    QSize sizeHint() const override;
    void setModel(QAbstractItemModel *model) override;

protected:
    bool event(QEvent *event) override;

private:
    void forgetSizeHint() { m_sizeHint = QSize(); }

    mutable QSize m_sizeHint;
    QMetaObject::Connection m_headerDataConnection;
};
