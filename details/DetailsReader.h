#pragma once

#include "details/MediaInfoLibraryFunctions.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>

// Reads one file's details at a time on a thread of its own, so a file that
// takes MediaInfo long (gigabytes of zeros, a slow mount) never holds the
// window. Only the newest request matters: one not yet started is replaced
// by the next, and every answer carries the generation it was asked with.
class DetailsReader : public QObject
{
    Q_OBJECT

public:
    explicit DetailsReader(QObject *parent = nullptr);
    // Drops what is queued and waits for the read in hand: MediaInfo gives
    // up on a hostile file within its own budget.
    ~DetailsReader() override;
    DetailsReader(const DetailsReader &) = delete;
    DetailsReader &operator=(const DetailsReader &) = delete;

    // Queues a read of fileName and returns its generation, larger than
    // every one returned before.
    std::uint64_t request(const QString &fileName);
    // The lines of generation's read once it has finished within budget;
    // nothing when it takes longer (its linesRead still comes) or a newer
    // request replaced it.
    std::optional<TDetailsLines> waitFor(std::uint64_t generation, std::chrono::milliseconds budget);

Q_SIGNALS:
    // Emitted on the reader's thread: receivers connect queued.
    void linesRead(quint64 generation, const TDetailsLines &lines);

private:
    void run();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_stopping = false;
    std::uint64_t m_lastGeneration = 0;
    // The request waiting for the thread, if any.
    std::optional<std::uint64_t> m_queuedGeneration;
    QString m_queuedName;
    // The last read finished.
    std::uint64_t m_doneGeneration = 0;
    TDetailsLines m_doneLines;
    // Last: it starts once everything it reads is made.
    std::thread m_thread;
};
