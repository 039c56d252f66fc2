#pragma once

#include <QMutex>
#include <QString>
#include <QVector>

namespace bd {

// Finished waveforms kept on disk between runs, so a folder seen before
// shows its waveforms at once. One small file per audio file, named by a
// hash of its path, size and modification time: a changed file is simply
// not found. Bounded in total size; the oldest entries go first. Used from
// the worker threads only; safe to share between them.
class WaveformDiskCache
{
public:
    // folder empty: no disk cache.
    explicit WaveformDiskCache(const QString &folder, qint64 limitBytes = kDefaultLimitBytes);

    // $XDG_CACHE_HOME (or ~/.cache) /brivanedialogs/waveforms
    static QString defaultFolder();
    static constexpr qint64 kDefaultLimitBytes = 64LL << 20;

    // The entry of an audio file as it is now (its size and time), taken
    // before decoding it so a file changed meanwhile is not stored under its
    // new name; empty when there is no disk cache or no such file.
    QString entryFor(const QString &path) const;
    // False when there is no entry, or when it is damaged (a later store()
    // replaces it).
    bool load(const QString &entry, int columns, QVector<float> &peaks) const;
    void store(const QString &entry, const QVector<float> &peaks);

    QString folder() const { return m_folder; }

private:
    void evictOldest();

    const QString m_folder;
    const qint64 m_limit;
    QMutex m_mutex; // guards m_total and eviction
    qint64 m_total = -1; // bytes in the folder; unknown until the first store
};

} // namespace bd
