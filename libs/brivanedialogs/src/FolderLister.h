#pragma once

#include "FilterList.h"
#include "FolderEntry.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>

namespace bd {
class DirectoryWatch;
}

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace bd {

struct ListRequest
{
    quint64 id = 0;
    QString folder;
    FileFilter filter;
    bool showHidden = false;
    bool foldersOnly = false;
    EntryOrder order; // the list's order, for the presorted final batch
    // A new listing of the folder shown: all of it in one sorted batch, to
    // be compared with the rows shown.
    bool snapshot = false;
};

// A part of a folder's listing. The first entries arrive unsorted in small
// batches so the list fills at once; the bulk of a large folder arrives as one
// final batch sorted on the listing thread (sorted set), so the GUI thread
// only merges it. The last batch of a request has final set. A folder that cannot be read ends with
// error set to the errno value and an empty final batch.
struct ListBatch
{
    quint64 id = 0;
    std::vector<FolderEntry> entries;
    bool final = false;
    int error = 0;
    int skippedNames = 0; // names that are not valid UTF-8, never shown
    bool sorted = false;
    EntryOrder sortedBy;
    // entries is the whole folder, the earlier batches included, sorted:
    // it replaces the rows instead of being merged with them.
    bool whole = false;
};

// Lists folders on a thread of its own and watches the folder listed for
// changes. A new request cancels the one before; results and change reports
// are delivered on the receiver's thread and dropped when the receiver is
// gone. The watch is in place before the folder is read, so no change falls
// between the two; and adding a watch can wait tens of milliseconds in the
// kernel, which only this thread feels.
class FolderLister
{
public:
    using Deliver = std::function<void(ListBatch &&)>;
    using Changed = std::function<void(const QString &folder)>;

    FolderLister(QObject *receiver, Deliver deliver, Changed changed);
    ~FolderLister();

    void start(const ListRequest &request);
    // Frees entries on the listing thread: freeing a large listing costs
    // the GUI thread milliseconds for nothing.
    void dispose(std::vector<FolderEntry> &&entries);
    void dispose(std::vector<SortKey> &&keys);
    void cancel();

    // The first batch goes out early so the list shows rows at once; later
    // batches are paced so the GUI thread merges a few large ones instead of
    // many small ones.
    static constexpr int kFirstBatchEntries = 64;
    static constexpr int kBatchIntervalMs = 50;
    // Beyond this many entries, merging every batch into the sorted list
    // would cost the GUI thread more than one sort on this thread.
    static constexpr int kProgressiveEntries = 5000;
    // Freeing this many rows or keys leaves megabytes of free pages that the
    // allocator would keep; fewer are not worth the walk over its heaps.
    static constexpr std::size_t kTrimItems = 10000;

private:
    struct Garbage
    {
        virtual ~Garbage() = default;
    };
    template<typename T> struct Held : Garbage
    {
        explicit Held(T &&held)
            : value(std::move(held))
        { }
        T value;
    };
    void throwAway(std::unique_ptr<Garbage> garbage, std::size_t items);
    void run(const ListRequest &request);
    void post(ListBatch &&batch);
    void watchOnly(const QString &folder);
    void emptyTrash();

    QPointer<QObject> m_receiver;
    Deliver m_deliver;
    QThread m_thread;
    QObject *m_worker; // lives on m_thread
    DirectoryWatch *m_watch; // lives on m_thread
    std::atomic<quint64> m_current { 0 };
    std::mutex m_trashMutex;
    std::vector<std::unique_ptr<Garbage>> m_trash;
    std::size_t m_trashItems = 0;
};

} // namespace bd
