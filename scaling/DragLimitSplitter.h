#pragma once

#include <QSplitter>

#include <algorithm>

// A splitter whose handle, while dragged, stops where either pane beside it
// would become narrower than minSize(). Only drags are limited: the panes'
// own minimum sizes are what hold when the window is resized or the program
// sets the sizes, so a pane may rest below minSize() and a drag never makes
// it smaller still.
class DragLimitSplitter : public QSplitter
{
    Q_OBJECT

public:
    using QSplitter::QSplitter;

    int minSize() const { return m_minSize; }
    void setMinSize(int length) { m_minSize = std::max(0, length); }

    // Where a drag of handle index (1 for the first) towards pos stops.
    int limitedPosition(int index, int pos) const;

protected:
    QSplitterHandle *createHandle() override;

private:
    int m_minSize = 0;
};
