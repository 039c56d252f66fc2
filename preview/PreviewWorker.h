#pragma once

#include "preview/PreviewPlayer.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

// Runs the preview's calls into the audio library on one thread of its own,
// in the order they were asked for, so the GUI thread never waits for a file
// to be opened, probed or decoded. A new file to play replaces any play,
// pause or stop still waiting: after rapid focus changes only the last file
// is opened, and it is the one that plays. Pause and volume follow the play
// asked for before them, so they reach the stream of the file last asked for.
class PreviewWorker : public QObject
{
    Q_OBJECT

public:
    explicit PreviewWorker(QObject *parent = nullptr);
    // Drops what is still waiting and ends the thread (after the call in
    // progress, which the library bounds).
    ~PreviewWorker() override;

    // Frees the current stream, then plays FileName from its start at the
    // volume set last.
    void play(const QString &FileName);
    // 0..100; applies to the current stream and to every later one.
    void setVolume(int volumePercent);
    // Resumes a paused stream where it stopped; pauses it in any other state.
    void togglePause();
    // As togglePause() while a stream plays or is paused; with nothing
    // playing (none started, or played to its end), plays FileName.
    void playOrTogglePause(const QString &FileName);
    // Stops and frees the current stream.
    void stop();
    // Moves the current preview to `seconds`; one that ended plays its file
    // again from there. Only the newest of several waiting seeks runs.
    void seek(double seconds);
    // Whether previews start again at their end; applies to the current one
    // and every later one.
    void setLoop(bool loop);
    // Asks for a fresh reading of the current preview's progress, which
    // progress() then returns.
    void refreshProgress();
    // The current preview's progress as last read on the worker; never waits
    // for the library.
    PreviewPlayer::Progress progress() const;

    // Blocks until every request so far has run. For tests and shutdown.
    void waitIdle();

Q_SIGNALS:
    // On the thread this object lives on, after each play: the new stream's
    // handle, 0 when the file could not be played.
    void played(std::uint32_t stream, const QString &FileName);
    // Once per stream, when it played to its end by itself: not stopped,
    // replaced or looping. Noticed at the next request, so within a
    // progress reading of the end.
    void ended(std::uint32_t stream, const QString &FileName);

private:
    enum class Kind { Play, Volume, TogglePause, PlayOrTogglePause, Stop, Seek, Loop, Progress };
    struct Request
    {
        Kind kind;
        QString fileName;
        double seconds = 0;
    };

    void run();
    void enqueue(Request request);
    void execute(const Request &request);
    void announcePlay();
    void announceEnd();

    std::atomic<int> m_volumePercent { 100 };
    std::atomic<bool> m_loop { false };
    std::uint32_t m_stream = 0; // worker thread only
    QString m_fileName; // worker thread only: the file of m_stream
    std::uint32_t m_endAnnounced = 0; // worker thread only

    mutable std::mutex m_mutex; // guards everything below
    PreviewPlayer::Progress m_progress;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Request> m_queue;
    bool m_busy = false;
    bool m_quit = false;
    std::thread m_thread;
};
