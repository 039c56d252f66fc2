#pragma once

#include <QCache>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QThreadPool>
#include <QVector>

#include <atomic>
#include <memory>

namespace bd {

// Waveform peaks of audio files, decoded on a pool of worker threads and
// cached. Requests come from painting (so visible items go first); pending
// work for items scrolled away is cancelled with retainOnly().
class WaveformThumbnails : public QObject
{
    Q_OBJECT

public:
    using Peaks = QVector<float>; // (minimum, maximum) pairs

    explicit WaveformThumbnails(QObject *parent = nullptr);
    ~WaveformThumbnails() override;

    // The cached peaks, or null after queueing the file (once).
    const Peaks *peaks(const QString &path, qint64 modified);
    bool failed(const QString &path, qint64 modified) const;
    // Cancels pending files not in keep.
    void retainOnly(const QSet<QString> &keep);
    void cancelAll();

    int readyCount() const { return m_ready; }
    void resetReadyCount() { m_ready = 0; }

    // Peaks per thumbnail: enough for a smooth outline at any thumbnail
    // width, few enough that sampling stays cheap.
    static constexpr int kColumns = 160;

Q_SIGNALS:
    void thumbnailReady(const QString &path);

private:
    struct Job;
    static QString keyOf(const QString &path, qint64 modified);
    void finished(const QString &key, const QString &path, bool ok, const Peaks &peaks);

    QThreadPool m_pool;
    QCache<QString, Peaks> m_cache;
    QSet<QString> m_failed;
    QHash<QString, std::shared_ptr<std::atomic<int>>> m_pending; // by path
    int m_ready = 0;
};

} // namespace bd
