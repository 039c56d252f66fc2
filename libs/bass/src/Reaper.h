#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace bass {

class Stream;

// Joins and frees aborted streams on a thread of its own, so freeing a
// stream never makes the caller wait for its decode thread or file.
class Reaper
{
public:
    ~Reaper() { stop(); }
    void start();
    // Frees everything handed over so far, then ends the thread.
    void stop();
    // Takes the last reference to an aborted stream.
    void dispose(std::shared_ptr<Stream> stream);

private:
    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::shared_ptr<Stream>> m_queue;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace bass
