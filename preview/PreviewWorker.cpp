#include "preview/PreviewWorker.h"

#include "preview/PreviewPlayer.h"

#include <algorithm>

PreviewWorker::PreviewWorker(QObject *parent)
    : QObject(parent)
{
    m_thread = std::thread([this] { run(); });
}

PreviewWorker::~PreviewWorker()
{
    {
        std::lock_guard lock(m_mutex);
        m_queue.clear();
        m_quit = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void PreviewWorker::enqueue(Request request)
{
    {
        std::lock_guard lock(m_mutex);
        if (request.kind == Kind::Play || request.kind == Kind::Stop) {
            // The stream those would act on is freed by this request anyway.
            std::erase_if(m_queue, [](const Request &waiting) { return waiting.kind != Kind::Volume; });
        } else if (request.kind == Kind::Volume || request.kind == Kind::Loop || request.kind == Kind::Progress) {
            // Read when the request runs: one waiting is enough.
            const Kind kind = request.kind;
            if (std::any_of(m_queue.begin(), m_queue.end(), [kind](const Request &r) { return r.kind == kind; }))
                return;
        } else if (request.kind == Kind::Seek) {
            // Dragging asks for many places; only the last one matters.
            std::erase_if(m_queue, [](const Request &waiting) { return waiting.kind == Kind::Seek; });
        }
        m_queue.push_back(std::move(request));
    }
    m_wake.notify_all();
}

void PreviewWorker::play(const QString &FileName)
{
    enqueue({ Kind::Play, FileName });
}

void PreviewWorker::setVolume(int volumePercent)
{
    m_volumePercent.store(volumePercent, std::memory_order_relaxed);
    enqueue({ Kind::Volume, {} });
}

void PreviewWorker::togglePause()
{
    enqueue({ Kind::TogglePause, {} });
}

void PreviewWorker::playOrTogglePause(const QString &FileName)
{
    enqueue({ Kind::PlayOrTogglePause, FileName });
}

void PreviewWorker::stop()
{
    enqueue({ Kind::Stop, {} });
}

void PreviewWorker::seek(double seconds)
{
    enqueue({ Kind::Seek, {}, seconds });
}

void PreviewWorker::setLoop(bool loop)
{
    m_loop.store(loop, std::memory_order_relaxed);
    enqueue({ Kind::Loop, {} });
}

void PreviewWorker::refreshProgress()
{
    enqueue({ Kind::Progress, {} });
}

PreviewPlayer::Progress PreviewWorker::progress() const
{
    std::lock_guard lock(m_mutex);
    return m_progress;
}

void PreviewWorker::waitIdle()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_queue.empty() && !m_busy; });
}

void PreviewWorker::execute(const Request &request)
{
    const int volume = m_volumePercent.load(std::memory_order_relaxed);
    const bool loop = m_loop.load(std::memory_order_relaxed);
    switch (request.kind) {
    case Kind::Play:
        m_fileName = request.fileName;
        m_stream = PreviewPlayer::Play(m_stream, m_fileName, volume, loop);
        announcePlay();
        break;
    case Kind::Seek:
        if (!PreviewPlayer::Seek(m_stream, request.seconds) && !m_fileName.isEmpty()
            && PreviewPlayer::ProgressOf(m_stream).state == PreviewPlayer::Progress::State::Stopped) {
            // The preview played to its end and freed itself: the file plays
            // again from the asked place.
            m_stream = PreviewPlayer::Play(m_stream, m_fileName, volume, loop, request.seconds);
            announcePlay();
        }
        break;
    case Kind::Loop:
        PreviewPlayer::SetLoop(m_stream, loop);
        break;
    case Kind::Progress:
        break;
    case Kind::Volume:
        PreviewPlayer::SetVolume(m_stream, volume);
        break;
    case Kind::TogglePause:
        PreviewPlayer::TogglePause(m_stream);
        break;
    case Kind::PlayOrTogglePause:
        // Decided here, after every request before it: a play still queued
        // is then playing, and this pauses it.
        if (PreviewPlayer::ProgressOf(m_stream).state == PreviewPlayer::Progress::State::Stopped
            && !request.fileName.isEmpty()) {
            m_fileName = request.fileName;
            m_stream = PreviewPlayer::Play(m_stream, m_fileName, volume, loop);
            announcePlay();
        } else {
            PreviewPlayer::TogglePause(m_stream);
        }
        break;
    case Kind::Stop:
        PreviewPlayer::Stop(m_stream);
        m_fileName.clear();
        break;
    }
    // Every request may change where the preview is; the window reads this copy.
    PreviewPlayer::Progress progress = PreviewPlayer::ProgressOf(m_stream);
    // A stream that never started (a file that cannot be played) has no end
    // to announce: it is 0.
    const bool playedThrough = progress.length <= 0 && !m_fileName.isEmpty() && request.kind != Kind::Play;
    if (playedThrough && m_stream != 0 && m_stream != m_endAnnounced) {
        m_endAnnounced = m_stream;
        announceEnd();
    }
    std::lock_guard lock(m_mutex);
    if (playedThrough) {
        // Played to its end and freed: it stays shown as played through.
        progress.length = m_progress.length;
        progress.position = m_progress.length;
    }
    m_progress = progress;
}

void PreviewWorker::announcePlay()
{
    const std::uint32_t stream = m_stream;
    // Delivered on this object's thread; dropped if the object is gone.
    QMetaObject::invokeMethod(
        this, [this, stream, name = m_fileName] { Q_EMIT played(stream, name); }, Qt::QueuedConnection);
}

void PreviewWorker::announceEnd()
{
    QMetaObject::invokeMethod(
        this, [this, stream = m_stream, name = m_fileName] { Q_EMIT ended(stream, name); }, Qt::QueuedConnection);
}

void PreviewWorker::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_quit || !m_queue.empty(); });
        if (m_quit)
            return;
        const Request request = std::move(m_queue.front());
        m_queue.pop_front();
        m_busy = true;
        lock.unlock();
        execute(request);
        lock.lock();
        m_busy = false;
        if (m_queue.empty())
            m_idle.notify_all();
    }
}
