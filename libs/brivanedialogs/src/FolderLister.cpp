#include "FolderLister.h"

#include "DirectoryWatch.h"
#include "platform/UniqueFd.h"

#include <QCollator>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <mutex>
#include <sys/stat.h>

namespace bd {

namespace {

// A name the GUI could not hand back to the file system unchanged is left out:
// reporting it would name a different, non-existent file.
bool decodeName(const char *raw, std::size_t length, QString &name)
{
    name = QString::fromUtf8(raw, qsizetype(length));
    if (!name.contains(QChar::ReplacementCharacter))
        return true;
    return name.toUtf8() == QByteArrayView(raw, qsizetype(length));
}

qint64 toMsecs(const struct timespec &time)
{
    return qint64(time.tv_sec) * 1000 + time.tv_nsec / 1000000;
}

} // namespace

FolderLister::FolderLister(QObject *receiver, Deliver deliver, Changed changed)
    : m_receiver(receiver)
    , m_deliver(std::move(deliver))
    , m_worker(new QObject)
    , m_watch(nullptr)
{
    m_thread.setObjectName(QStringLiteral("BrivaneDialogs folder lister"));
    m_worker->moveToThread(&m_thread);
    QPointer<QObject> target = receiver;
    m_watch = new DirectoryWatch([target, changed](const QString &folder) {
        if (target)
            QMetaObject::invokeMethod(
                target, [changed, folder] { changed(folder); }, Qt::QueuedConnection);
    });
    m_watch->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    QObject::connect(&m_thread, &QThread::finished, m_watch, &QObject::deleteLater);
    m_thread.start();
}

FolderLister::~FolderLister()
{
    cancel();
    m_thread.quit();
    m_thread.wait();
}

void FolderLister::watchOnly(const QString &folder)
{
    m_watch->watch(folder);
}

void FolderLister::start(const ListRequest &request)
{
    m_current = request.id;
    QMetaObject::invokeMethod(
        m_worker, [this, request] { run(request); }, Qt::QueuedConnection);
}

void FolderLister::dispose(std::vector<FolderEntry> &&entries)
{
    if (entries.empty())
        return;
    const std::size_t items = entries.size();
    throwAway(std::make_unique<Held<std::vector<FolderEntry>>>(std::move(entries)), items);
}

void FolderLister::dispose(std::vector<SortKey> &&keys)
{
    if (keys.empty())
        return;
    const std::size_t items = keys.size();
    throwAway(std::make_unique<Held<std::vector<SortKey>>>(std::move(keys)), items);
}

void FolderLister::throwAway(std::unique_ptr<Garbage> garbage, std::size_t items)
{
    // Handed over under a lock, never shared: the rows must not end up freed
    // here by whichever side lets go last.
    {
        std::lock_guard lock(m_trashMutex);
        m_trash.push_back(std::move(garbage));
        m_trashItems += items;
    }
    QMetaObject::invokeMethod(
        m_worker, [this] { emptyTrash(); }, Qt::QueuedConnection);
}

void FolderLister::emptyTrash()
{
    std::size_t items = 0;
    {
        std::vector<std::unique_ptr<Garbage>> doomed;
        std::lock_guard lock(m_trashMutex);
        doomed.swap(m_trash);
        std::swap(items, m_trashItems);
        // doomed is freed after the lock is released, on this thread.
    }
#ifdef __GLIBC__
    // The allocator keeps the pages of a large listing once it is freed
    // (the arena of this thread, where the listing was made); give them back.
    if (items >= kTrimItems)
        malloc_trim(0);
#endif
}

void FolderLister::cancel()
{
    m_current = 0;
}

void FolderLister::post(ListBatch &&batch)
{
    if (!m_receiver)
        return;
    auto shared = std::make_shared<ListBatch>(std::move(batch));
    Deliver deliver = m_deliver;
    QMetaObject::invokeMethod(
        m_receiver, [deliver, shared] { deliver(std::move(*shared)); }, Qt::QueuedConnection);
}

void FolderLister::run(const ListRequest &request)
{
    if (m_current != request.id)
        return;
    ListBatch batch;
    batch.id = request.id;
    // The watch goes on once the first rows are out: watching a folder costs
    // the kernel time in proportion to its entries (tens of milliseconds for
    // 100,000), which the first rows should not wait for. A cancelled or
    // failed listing leaves the watch as it was.
    struct Watch
    {
        FolderLister *lister;
        QString folder;
        bool done = false;
        void now()
        {
            if (!done)
                lister->watchOnly(folder);
            done = true;
        }
    } watch { this, request.folder };

    const QByteArray path = QFile::encodeName(request.folder);
    const platform::UniqueDir dir(opendir(path.constData()));
    if (!dir) {
        batch.error = errno != 0 ? errno : EIO;
        batch.final = true;
        post(std::move(batch));
        return;
    }
    const int fd = dirfd(dir.get());

    const QCollator collator = nameCollator();

    // Keys of the rows sent while reading are made as they come; the rest in
    // a pass of their own after the names: the list drops the keys once it
    // has ranked the rows, and keys that lie together free whole pages,
    // where keys between names would free none.
    auto addSortKeys = [&](std::vector<FolderEntry> &rows) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (i % 256 == 255 && m_current != request.id)
                return false;
            if (!rows[i].sortKey)
                rows[i].sortKey = std::make_shared<const QCollatorSortKey>(collator.sortKey(rows[i].name));
        }
        return true;
    };

    QElapsedTimer sinceBatch;
    sinceBatch.start();
    bool firstSent = false;
    int delivered = 0;
    std::vector<FolderEntry> sent;
    int sinceCheck = 0;
    QString name;
    errno = 0;
    while (const dirent *entry = readdir(dir.get())) {
        const char *raw = entry->d_name;
        if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
            continue;
        if (raw[0] == '.' && !request.showHidden)
            continue;
        if (++sinceCheck == 256) {
            sinceCheck = 0;
            if (m_current != request.id)
                return;
        }
        const std::size_t length = std::strlen(raw);
        if (!decodeName(raw, length, name)) {
            ++batch.skippedNames;
            continue;
        }
        // d_type saves a stat for the filter test; links and file systems
        // without d_type need the stat to tell folders from files.
        bool known = entry->d_type == DT_DIR || entry->d_type == DT_REG;
        bool isDir = entry->d_type == DT_DIR;
        struct stat info
        {
        };
        bool haveInfo = false;
        if (!known) {
            haveInfo
                = fstatat(fd, raw, &info, 0) == 0 || fstatat(fd, raw, &info, AT_SYMLINK_NOFOLLOW) == 0; // broken link
            isDir = haveInfo && S_ISDIR(info.st_mode);
        }
        if (!isDir && (request.foldersOnly || !request.filter.matches(name)))
            continue;
        if (!haveInfo)
            haveInfo = fstatat(fd, raw, &info, 0) == 0;

        FolderEntry row;
        row.name = name;
        row.isDir = isDir;
        if (haveInfo) {
            row.size = isDir ? 0 : qint64(info.st_size);
            row.modified = toMsecs(info.st_mtim);
        }
        const bool progressive = !request.snapshot && delivered < kProgressiveEntries;
        if (progressive)
            row.sortKey = std::make_shared<const QCollatorSortKey>(collator.sortKey(name));
        batch.entries.push_back(std::move(row));

        const bool due = progressive
            && (firstSent
                    ? sinceBatch.elapsed() >= kBatchIntervalMs
                    : int(batch.entries.size()) >= kFirstBatchEntries || sinceBatch.elapsed() >= kBatchIntervalMs);
        if (due) {
            delivered += int(batch.entries.size());
            if (m_current != request.id)
                return;
            // A fast disk fills more than a page between two deliveries; the
            // GUI thread merges what comes sorted and would otherwise sort it
            // (20,000 rows: 15 ms and more in one event).
            if (int(batch.entries.size()) > kFirstBatchEntries) {
                sortEntries(batch.entries, request.order);
                batch.sorted = true;
                batch.sortedBy = request.order;
            }
            // Kept to merge the rest with here, not on the GUI thread.
            sent.insert(sent.end(), batch.entries.begin(), batch.entries.end());
            firstSent = true;
            ListBatch next;
            next.id = request.id;
            std::swap(next, batch);
            batch.id = request.id;
            post(std::move(next));
            watch.now();
            sinceBatch.restart();
        }
    }
    if (m_current != request.id || !addSortKeys(batch.entries))
        return;
    if (request.snapshot || int(batch.entries.size()) > kFirstBatchEntries) {
        sortEntries(batch.entries, request.order);
        batch.sorted = true;
        batch.sortedBy = request.order;
        if (m_current != request.id)
            return;
    }
    if (!request.snapshot && int(batch.entries.size()) > kFirstBatchEntries && !sent.empty()) {
        // Merging a large rest into the rows shown would stall the GUI for
        // tens of milliseconds (100,000 rows): send the whole folder merged
        // here, which the list takes over at once.
        sortEntries(sent, request.order);
        std::vector<FolderEntry> whole;
        whole.reserve(sent.size() + batch.entries.size());
        std::merge(std::make_move_iterator(sent.begin()), std::make_move_iterator(sent.end()),
            std::make_move_iterator(batch.entries.begin()), std::make_move_iterator(batch.entries.end()),
            std::back_inserter(whole), request.order);
        batch.entries.swap(whole);
        batch.whole = true;
        if (m_current != request.id)
            return;
    }
    batch.final = true;
    watch.now(); // before the list is complete, so no later change goes unseen
    post(std::move(batch));
}

} // namespace bd
