#include "scaling/DragLimitSplitter.h"

#include <QMouseEvent>
#include <QSplitterHandle>

#include <algorithm>

namespace {

class LimitedHandle : public QSplitterHandle
{
public:
    LimitedHandle(Qt::Orientation orientation, DragLimitSplitter *parent)
        : QSplitterHandle(orientation, parent)
        , m_splitter(parent)
    { }

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        QSplitterHandle::mousePressEvent(event);
        if (event->button() == Qt::LeftButton)
            m_grabOffset = along(event->position().toPoint());
    }

    void mouseMoveEvent(QMouseEvent *event) override
    {
        // A rubber band is placed by the splitter itself; only panes that
        // follow the pointer are limited here.
        if (!(event->buttons() & Qt::LeftButton) || !opaqueResize()) {
            QSplitterHandle::mouseMoveEvent(event);
            return;
        }
        const int index = m_splitter->indexOf(this);
        const int wanted = along(m_splitter->mapFromGlobal(event->globalPosition().toPoint())) - m_grabOffset;
        moveSplitter(m_splitter->limitedPosition(index, wanted));
    }

private:
    int along(QPoint point) const { return orientation() == Qt::Horizontal ? point.x() : point.y(); }

    DragLimitSplitter *m_splitter;
    int m_grabOffset = 0;
};

} // namespace

QSplitterHandle *DragLimitSplitter::createHandle()
{
    return new LimitedHandle(orientation(), this);
}

int DragLimitSplitter::limitedPosition(int index, int pos) const
{
    QWidget *before = widget(index - 1);
    QWidget *after = widget(index);
    QSplitterHandle *own = handle(index);
    if (!before || !after || !own)
        return pos;
    const bool horizontal = orientation() == Qt::Horizontal;
    const QRect first = before->geometry();
    const QRect second = after->geometry();
    const int start = horizontal ? first.left() : first.top();
    const int end = horizontal ? second.right() + 1 : second.bottom() + 1;
    const int handleLength = horizontal ? own->width() : own->height();
    const int current = horizontal ? own->x() : own->y();
    // A pane already below the limit may grow, never shrink.
    const int lowest = std::min(start + m_minSize, current);
    const int highest = std::max(end - handleLength - m_minSize, current);
    if (lowest > highest)
        return current;
    return std::clamp(pos, lowest, highest);
}
