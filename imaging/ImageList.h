#pragma once

#include <QList>
#include <QPixmap>
#include <QSize>

// A list of equally sized images addressed by index, as toolbars use them.
class ImageList
{
public:
    explicit ImageList(QSize cellSize = QSize(32, 32))
        : m_cellSize(cellSize)
    { }

    QSize cellSize() const { return m_cellSize; }
    int width() const { return m_cellSize.width(); }
    int height() const { return m_cellSize.height(); }
    // Changing the cell size empties the list, as its images no longer fit.
    void setCellSize(QSize size)
    {
        m_cellSize = size;
        m_images.clear();
    }

    int count() const { return int(m_images.size()); }
    const QPixmap &at(int index) const { return m_images.at(index); }
    int add(const QPixmap &image)
    {
        m_images.append(image);
        return count() - 1;
    }
    // Puts image in place of the one at index; an index out of range changes nothing.
    void replace(int index, const QPixmap &image)
    {
        if (index >= 0 && index < count())
            m_images[index] = image;
    }
    void clear() { m_images.clear(); }

private:
    QSize m_cellSize;
    QList<QPixmap> m_images;
};
