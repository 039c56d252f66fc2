#pragma once

#include <QStyledItemDelegate>

namespace bd {

class WaveformThumbnails;

// Paints a file of the thumbnails view as its waveform with the name below;
// a folder as its icon. Asking for a waveform queues it, so only what is
// painted gets decoded.
class WaveformDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    WaveformDelegate(WaveformThumbnails *thumbnails, QSize thumbnailSize, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    void paintWaveform(QPainter *painter, const QRect &area, const QVector<float> &peaks, const QColor &color) const;

    WaveformThumbnails *m_thumbnails;
    QSize m_size;
};

} // namespace bd
