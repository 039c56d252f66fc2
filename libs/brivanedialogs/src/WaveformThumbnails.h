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

class WaveformDiskCache;

// Waveform peaks of audio files, decoded on a pool of worker threads and
// cached. Requests come from painting (so visible items go first); pending
// work for items scrolled away is cancelled with retainOnly().
//
// A long file first gets a quick sampled picture, which can miss a short
// peak between the sampled spots; once shown, it is refined in the
// background (behind every new thumbnail) to the exact peaks over every
// sample. Exact waveforms are kept on disk, so a folder seen before shows
// them at once.
class WaveformThumbnails : public QObject
{
    Q_OBJECT

public:
    using Peaks = QVector<float>; // (minimum, maximum) pairs

    // diskCacheFolder empty: nothing kept on disk.
    explicit WaveformThumbnails(QObject *parent = nullptr, const QString &diskCacheFolder = defaultDiskCacheFolder());
    ~WaveformThumbnails() override;

    static QString defaultDiskCacheFolder();

    // The cached peaks, or null after queueing the file (once).
    const Peaks *peaks(const QString &path, qint64 modified);
    bool failed(const QString &path, qint64 modified) const;
    // Cancels pending files not in keep.
    void retainOnly(const QSet<QString> &keep);
    void cancelAll();

    // Thumbnails shown (sampled or exact), and sampled ones made exact.
    int readyCount() const { return m_ready; }
    int refinedCount() const { return m_refined; }
    void resetReadyCount() { m_ready = m_refined = 0; }

    // Peaks per thumbnail: enough for a smooth outline at any thumbnail
    // width, few enough that sampling stays cheap.
    static constexpr int kColumns = 160;

Q_SIGNALS:
    void thumbnailReady(const QString &path);

private:
    struct Job;
    struct Entry
    {
        Peaks peaks;
        bool exact = false;
    };
    static QString keyOf(const QString &path, qint64 modified);
    void queue(const QString &key, const QString &path, bool refine);
    void finished(const QString &key, const QString &path, const std::shared_ptr<std::atomic<int>> &cancel, bool refine,
        int status, const Peaks &peaks);

    QThreadPool m_pool;
    std::shared_ptr<WaveformDiskCache> m_disk;
    QCache<QString, Entry> m_cache;
    QSet<QString> m_failed;
    QSet<QString> m_refineFailed;
    QHash<QString, std::shared_ptr<std::atomic<int>>> m_pending; // by path
    int m_ready = 0;
    int m_refined = 0;
};

} // namespace bd
