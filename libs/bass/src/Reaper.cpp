#include "Reaper.h"

#include "Stream.h"

namespace bass {

void Reaper::start()
{
    std::lock_guard lock(m_mutex);
    if (m_thread.joinable())
        return;
    m_stopping = false;
    m_thread = std::thread([this] { run(); });
}

void Reaper::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void Reaper::dispose(std::shared_ptr<Stream> stream)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_thread.joinable()) {
            m_queue.push_back(std::move(stream));
            m_wake.notify_all();
            return;
        }
    }
    // Not running (never started): free here rather than leak.
    stream.reset();
}

void Reaper::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_queue.empty())
            return; // stopping, and nothing left
        std::shared_ptr<Stream> stream = std::move(m_queue.front());
        m_queue.pop_front();
        lock.unlock();
        stream->join();
        stream.reset();
        lock.lock();
    }
}

} // namespace bass
