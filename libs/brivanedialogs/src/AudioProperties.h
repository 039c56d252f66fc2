#pragma once

#include "FolderEntry.h"

#include <QObject>
#include <QThreadPool>
#include <QVector>

#include <memory>
#include <optional>

namespace bd {

// A file whose audio details are wanted; size and modification time make
// the cache key, so a file changed since is read again.
struct AudioFile
{
    QString path;
    qint64 size = 0;
    qint64 modified = 0;
    int rowHint = -1; // where the file's row was when asked; not part of the key
};

struct AudioReading
{
    AudioFile file;
    bool readable = false;
    AudioDetails details;
};

// Reads the audio columns' details from file headers on worker threads, in
// the order asked, and keeps every answer for the life of the process (shared
// by all browsers). A new request replaces whatever of the last one is still
// waiting: only the rows the user sees or is about to see are read.
class AudioProperties : public QObject
{
    Q_OBJECT

public:
    explicit AudioProperties(QObject *parent = nullptr);
    ~AudioProperties() override;

    // What an earlier reading found, without touching the file.
    static std::optional<AudioReading> cached(const AudioFile &file);
    // Queues files (most wanted first) in place of the ones still waiting.
    void request(QVector<AudioFile> files);

    // Wall time one file may take: a file on a slow mount or a hostile
    // header is given up, and its cell stays empty.
    static constexpr int kBudgetPerFileMs = 250;

Q_SIGNALS:
    // Readings of the newest request, a few at a time.
    void read(const QVector<AudioReading> &readings);

private:
    struct Queue;
    struct Drain;

    std::shared_ptr<Queue> m_queue;
    QThreadPool m_pool;
};

} // namespace bd
