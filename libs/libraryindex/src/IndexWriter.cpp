#include "IndexWriter.h"

#include "IndexDatabase.h"
#include "LowPriority.h"

namespace libraryindex {
namespace {

std::size_t filesOf(const WriteOperation &operation)
{
    if (const auto *update = std::get_if<FolderUpdate>(&operation))
        return update->files.size() + 1;
    return 1;
}

} // namespace

IndexWriter::IndexWriter(QString path, Noted noted, Saved saved)
    : m_path(std::move(path))
    , m_noted(std::move(noted))
    , m_saved(std::move(saved))
    , m_thread([this] { run(); })
{ }

IndexWriter::~IndexWriter()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void IndexWriter::post(WriteOperation operation)
{
    {
        std::lock_guard lock(m_mutex);
        const std::size_t files = filesOf(operation);
        if (m_queuedFiles + files > kMaxQueuedFiles)
            return;
        m_queuedFiles += files;
        m_queue.push_back(std::move(operation));
    }
    m_wake.notify_one();
}

void IndexWriter::reopen()
{
    ++m_epoch;
}

bool IndexWriter::apply(IndexDatabase &db, const WriteOperation &operation)
{
    if (const auto *update = std::get_if<FolderUpdate>(&operation))
        return db.applyFolder(*update);
    if (const auto *removed = std::get_if<RemovedTree>(&operation))
        return db.removeTree(removed->path);
    if (const auto *changed = std::get_if<ChangedFile>(&operation))
        return db.recordChange(changed->folder, changed->file);
    if (const auto *read = std::get_if<PropertiesRead>(&operation))
        return db.recordProperties(read->folder, read->file, read->properties);
    return true;
}

void IndexWriter::run()
{
    lowerThisThreadPriority(ThreadWork::Background);
    std::unique_ptr<IndexDatabase> db;
    int openedEpoch = -1;
    QString lastNote;
    const auto note = [&](const QString &text) {
        if (text != lastNote)
            m_noted(text);
        lastNote = text;
    };
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_stopping)
            return;
        std::vector<WriteOperation> batch;
        while (!m_queue.empty() && int(batch.size()) < kOperationsPerTransaction) {
            m_queuedFiles -= filesOf(m_queue.front());
            batch.push_back(std::move(m_queue.front()));
            m_queue.pop_front();
        }
        lock.unlock();

        if (!db || openedEpoch != m_epoch.load()) {
            openedEpoch = m_epoch.load();
            auto opened = IndexDatabase::open(m_path, IndexDatabase::Mode::Join);
            db = opened ? opened.take() : nullptr;
            if (!opened)
                note(opened.error());
        }
        bool written = db && db->begin();
        for (const WriteOperation &operation : batch) {
            if (!written)
                break;
            written = apply(*db, operation);
        }
        if (written)
            written = db->commit();
        else if (db)
            db->rollback();
        if (db && !written) {
            note(db->failure());
            // A damaged file is replaced by the next search; until then
            // there is nothing to write into.
            if (db->damaged())
                db.reset();
        } else if (written) {
            lastNote.clear();
        }
        if (written) {
            for (const WriteOperation &operation : batch) {
                if (const auto *saved = std::get_if<SearchSaved>(&operation))
                    m_saved(saved->generation);
            }
        }
        batch.clear();
        lock.lock();
    }
}

} // namespace libraryindex
