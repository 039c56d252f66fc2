#include "libraryindex/LibraryIndex.h"

#include "IndexDatabase.h"
#include "IndexWriter.h"
#include "LowPriority.h"
#include "SearchRun.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace libraryindex {

// The search thread and the writer. The search thread keeps its own
// connection to the index between searches; it opens (and, when damaged,
// replaces) the file, the writer only joins it.
struct LibraryIndex::Engine
{
    Engine(LibraryIndex *owner, Options options)
        : databasePath(std::move(options.databasePath))
        , patterns(options.audioPatterns)
        , writer(
              databasePath,
              [owner](const QString &note) {
                  QMetaObject::invokeMethod(
                      owner, [owner, note] { Q_EMIT owner->writeFailed(note); }, Qt::QueuedConnection);
              },
              [owner](quint64 generation) {
                  QMetaObject::invokeMethod(
                      owner, [owner, generation] { Q_EMIT owner->indexSaved(generation); }, Qt::QueuedConnection);
              })
        , owner(owner)
        , thread([this] { run(); })
    { }

    ~Engine()
    {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        wanted = 0;
        wake.notify_one();
        thread.join();
    }

    void start(SearchJob job)
    {
        {
            std::lock_guard lock(mutex);
            wanted = job.generation;
            next = std::move(job);
        }
        wake.notify_one();
    }

    void run()
    {
        lowerThisThreadPriority(ThreadWork::Search);
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [this] { return stopping || next.has_value(); });
            if (stopping)
                return;
            const SearchJob job = std::move(*next);
            next.reset();
            lock.unlock();
            searchOnce(job);
            lock.lock();
        }
    }

    void searchOnce(const SearchJob &job)
    {
        SearchServices services;
        if (!db) {
            auto opened = IndexDatabase::open(databasePath, IndexDatabase::Mode::Create);
            if (opened) {
                db = opened.take();
                writer.reopen();
            } else {
                services.note = opened.error();
            }
        }
        services.db = db.get();
        services.cancelled = [this, generation = job.generation] { return wanted.load() != generation; };
        services.deliver = [this, generation = job.generation](SearchBatch &&batch) {
            QMetaObject::invokeMethod(
                owner,
                [this, generation, batch = std::move(batch)] {
                    // Checked on the owner's thread too: a batch posted just
                    // before a newer search started must not reach it.
                    if (wanted.load() == generation)
                        Q_EMIT owner->found(batch);
                },
                Qt::QueuedConnection);
        };
        services.write = [this](WriteOperation &&operation) { writer.post(std::move(operation)); };
        const bool indexed = runSearch(job, services);
        if (services.db && indexed && wanted.load() == job.generation)
            writer.post(SearchSaved { job.generation });
        if (!indexed && db && db->damaged()) {
            // Only a cache: the next search starts a new one.
            db.reset();
            // A file that cannot be deleted is tried again, and replaced, at
            // the next opening.
            (void)IndexDatabase::discard(databasePath);
        }
    }

    const QString databasePath;
    AudioPatterns patterns;
    IndexWriter writer;
    LibraryIndex *owner;
    std::unique_ptr<IndexDatabase> db; // the search thread's
    std::atomic<quint64> wanted { 0 };
    std::mutex mutex;
    std::condition_variable wake;
    std::optional<SearchJob> next;
    bool stopping = false;
    std::thread thread; // last: started once everything above exists
};

LibraryIndex::LibraryIndex(Options options, QObject *parent)
    : QObject(parent)
    , m_engine(std::make_unique<Engine>(this, std::move(options)))
{
    qRegisterMetaType<SearchBatch>();
}

LibraryIndex::~LibraryIndex() = default;

QString LibraryIndex::defaultDatabasePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
        + QStringLiteral("/vantrel/library.sqlite");
}

platform::Result<quint64> LibraryIndex::search(const QString &root, const QString &queryText)
{
    auto query = parseSearchQuery(queryText);
    if (!query)
        return platform::Result<quint64>::failure(query.error());
    SearchJob job;
    job.generation = ++m_generation;
    job.root = QDir::cleanPath(QFileInfo(root).absoluteFilePath());
    job.query = query.take();
    job.patterns = m_engine->patterns;
    m_engine->start(std::move(job));
    return m_generation;
}

void LibraryIndex::cancel()
{
    m_engine->wanted = 0;
}

void LibraryIndex::recordProperties(const QString &path, qint64 size, qint64 modified, const FileProperties &properties)
{
    const QFileInfo file(path);
    m_engine->writer.post(
        PropertiesRead { file.absolutePath(), ScannedFile { file.fileName(), size, modified }, properties });
}

} // namespace libraryindex
