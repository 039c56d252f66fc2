#pragma once

#include "WriteOperation.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace libraryindex {

class IndexDatabase;

// Writes what searches found into the index, on a thread of its own at
// background priority, in batched transactions, so that a search never waits
// for a write. Its queue is bounded: past the bound, work is dropped, and the
// folders it was about are read again by the next search.
class IndexWriter
{
public:
    using Noted = std::function<void(const QString &note)>;
    using Saved = std::function<void(quint64 generation)>;

    IndexWriter(QString path, Noted noted, Saved saved);
    ~IndexWriter();
    IndexWriter(const IndexWriter &) = delete;
    IndexWriter &operator=(const IndexWriter &) = delete;

    void post(WriteOperation operation);
    // The file was replaced by a new one: write into that from now on.
    void reopen();

    // Files waiting to be written, at most: a 100,000-file first search
    // fits, and the bound keeps a huge tree from filling memory.
    static constexpr std::size_t kMaxQueuedFiles = 250000;
    // One transaction holds at most this many operations, so a reader's
    // view and the WAL file stay small and a commit comes every so often.
    static constexpr int kOperationsPerTransaction = 500;

private:
    void run();
    bool apply(IndexDatabase &db, const WriteOperation &operation);

    const QString m_path;
    Noted m_noted;
    Saved m_saved;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<WriteOperation> m_queue;
    std::size_t m_queuedFiles = 0;
    bool m_stopping = false;
    std::atomic<int> m_epoch { 0 };
    std::thread m_thread;
};

} // namespace libraryindex
