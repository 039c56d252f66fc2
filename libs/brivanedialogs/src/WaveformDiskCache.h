#pragma once

#include "platform/UniqueFd.h"

#include <QMutex>
#include <QString>
#include <QVector>

#include <mutex>

namespace bd {

// Finished waveforms kept on disk between runs, so a folder seen before
// shows its waveforms at once. One small file per audio file, named by a
// hash of its path, size and modification time: a changed file is simply
// not found. Bounded in total size; the oldest entries go first. Used from
// the worker threads only; safe to share between them, and between
// processes that use the same folder.
//
// The cache touches only files it names itself ("<40 hex digits>.waveform")
// inside a folder it has checked to be its own: every level below the cache
// home a real folder (no symbolic link) owned by the user. Anything else
// turns the disk cache off, so a folder of the user's own files or another
// user's folder is never written to or cleaned. Folders are made 0700 and
// files 0600: the entries tell which audio files the user looked at.
class WaveformDiskCache
{
public:
    // folder empty: no disk cache. Nothing is touched on disk until the
    // first use, which happens on a worker.
    explicit WaveformDiskCache(const QString &folder, qint64 limitBytes = kDefaultLimitBytes);
    ~WaveformDiskCache();
    WaveformDiskCache(const WaveformDiskCache &) = delete;
    WaveformDiskCache &operator=(const WaveformDiskCache &) = delete;

    // $XDG_CACHE_HOME (or ~/.cache): the levels below it are checked.
    static QString cacheHome();
    // cacheHome() /brivanedialogs/waveforms
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
    // Whether the folder passed the checks (made where missing); false
    // means memory only. The first call does the checking.
    bool usable() const;

private:
    void open() const;
    // Bytes of the cache's own entries, and the oldest removed until they
    // fit; called with the size record locked.
    qint64 scanAndEvict(qint64 limit);

    const QString m_folder;
    const qint64 m_limit;
    mutable std::once_flag m_opened;
    // The checked folder, held open so that nothing done later through its
    // path can land elsewhere; empty when there is no disk cache.
    mutable platform::UniqueFd m_folderFd;
    // The record of the bytes the entries hold, shared with every process
    // using the folder and locked while it is changed; empty when absent.
    mutable platform::UniqueFd m_sizeFd;
    QMutex m_mutex; // one thread at a time on the size record (its lock is per process)
};

} // namespace bd
