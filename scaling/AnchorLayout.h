#pragma once

#include <QLayout>
#include <QList>
#include <QRect>

// Places children at designed rectangles inside a designed parent size and
// keeps them at the same distance from the edges they are anchored to, as
// form designers do. Scaling multiplies the designed geometry.
class AnchorLayout : public QLayout
{
    Q_OBJECT

public:
    enum Anchor { Left = 1, Top = 2, Right = 4, Bottom = 8, LeftTop = Left | Top };

    // designSize: the parent's client size the rectangles were designed for.
    explicit AnchorLayout(QWidget *parent, QSize designSize);
    ~AnchorLayout() override;

    void addWidget(QWidget *widget, QRect designRect, int anchors = LeftTop);
    QRect designRect(const QWidget *widget) const;
    void setDesignRect(const QWidget *widget, QRect rect);
    QSize designSize() const { return m_designSize; }
    void scaleBy(int s);

    void addItem(QLayoutItem *item) override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    int count() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect &rect) override;

private:
    struct Entry
    {
        QLayoutItem *item;
        QRect rect;
        int anchors;
    };
    QList<Entry> m_entries;
    QSize m_designSize;
};
