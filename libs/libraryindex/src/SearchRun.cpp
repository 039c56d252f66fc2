#include "SearchRun.h"

#include "IndexDatabase.h"
#include "QueryMatcher.h"
#include "libraryindex/Words.h"
#include "platform/UniqueFd.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QSet>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

namespace libraryindex {
namespace {

// The first rows go out at once so the list fills; later ones are paced so
// the receiver merges a few large batches instead of many small ones.
constexpr std::size_t kFirstBatchFiles = 64;
constexpr int kBatchIntervalMs = 50;
// Rows of the index between two looks at whether the search is still wanted.
constexpr int kRowsPerCancelCheck = 256;
// A folder's time has the file system's clock tick as its resolution (and a
// network mount's comes from the server's clock): a folder changed this
// recently may change again without its time moving. Its stamp is stored as
// unsettled, so the next search reads it again.
constexpr qint64 kSettleNs = 2'000'000'000;
constexpr qint64 kUnsettled = -1;

qint64 nowNs()
{
    struct timespec now
    {
    };
    ::clock_gettime(CLOCK_REALTIME, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

QString relativeFolder(const QString &root, const QString &folder)
{
    if (folder == root)
        return {};
    return folder.mid(root.endsWith(QLatin1Char('/')) ? root.size() : root.size() + 1);
}

class BatchSender
{
public:
    BatchSender(quint64 generation, const std::function<void(SearchBatch &&)> &deliver)
        : m_deliver(deliver)
    {
        m_batch.generation = generation;
        m_clock.start();
    }

    void setFromIndex(bool fromIndex)
    {
        if (fromIndex != m_batch.fromIndex)
            flush();
        m_batch.fromIndex = fromIndex;
    }
    void add(FoundFile &&file)
    {
        m_batch.files.push_back(std::move(file));
        if ((!m_sentAny && m_batch.files.size() >= kFirstBatchFiles) || m_clock.elapsed() >= kBatchIntervalMs)
            flush();
    }
    void remove(const QString &path) { m_batch.removed.append(path); }
    void finish(int unknownProperties, const QString &note)
    {
        m_batch.final = true;
        m_batch.unknownProperties = unknownProperties;
        m_batch.note = note;
        send();
    }

private:
    void flush()
    {
        if (!m_batch.files.empty() || !m_batch.removed.isEmpty())
            send();
    }
    void send()
    {
        SearchBatch next;
        next.generation = m_batch.generation;
        next.fromIndex = m_batch.fromIndex;
        m_deliver(std::exchange(m_batch, std::move(next)));
        m_sentAny = true;
        m_clock.restart();
    }

    const std::function<void(SearchBatch &&)> &m_deliver;
    SearchBatch m_batch;
    QElapsedTimer m_clock;
    bool m_sentAny = false;
};

class Search
{
public:
    Search(const SearchJob &job, SearchServices &services)
        : m_job(job)
        , m_services(services)
        , m_db(services.db)
        , m_matcher(job.query)
        , m_sender(job.generation, services.deliver)
        , m_note(services.note)
        , m_settledBefore(nowNs() - kSettleNs)
    { }

    bool run()
    {
        // The walk skips a folder whose stamp the index holds, taking its
        // files as answered from the index. Both must read the same index:
        // a folder the writer saves between the answer and the walk (the
        // last search's findings, still being written) would otherwise be
        // skipped with none of its files sent.
        IndexDatabase *const db = m_db;
        if (db && !db->beginRead())
            indexFailed();
        answerFromIndex();
        if (!m_services.cancelled())
            walk();
        if (db)
            db->endRead();
        if (!m_services.cancelled())
            m_sender.finish(int(m_unknown.size()), m_note);
        return !m_dbFailed;
    }

private:
    struct Sent
    {
        qint64 size;
        qint64 modified;
    };
    struct Pending
    {
        std::shared_ptr<platform::UniqueFd> parent;
        QString path;
        QString name;
    };

    void indexFailed()
    {
        m_note = m_db->failure();
        m_db = nullptr;
        m_dbFailed = true;
    }

    // Sends, replaces or takes back the file's row by what it is now.
    void consider(const QString &folder, const QStringList &folderWords, const ScannedFile &file,
        const FileProperties *properties)
    {
        const auto verdict = m_matcher.match(file.name, folderWords, properties);
        const QString path = childPath(folder, file.name);
        if (verdict == QueryMatcher::Verdict::Match) {
            auto &sentHere = m_sent[folder];
            const auto before = sentHere.constFind(file.name);
            if (before != sentHere.constEnd() && before->size == file.size && before->modified == file.modified)
                return;
            sentHere.insert(file.name, Sent { file.size, file.modified });
            m_unknown.remove(path);
            FoundFile found { path, relativeFolder(m_job.root, folder), file.size, file.modified, properties != nullptr,
                properties ? *properties : FileProperties() };
            m_sender.add(std::move(found));
            return;
        }
        if (verdict == QueryMatcher::Verdict::Unknown)
            m_unknown.insert(path);
        else
            m_unknown.remove(path);
        const auto sentHere = m_sent.find(folder);
        if (sentHere != m_sent.end() && sentHere->remove(file.name))
            m_sender.remove(path);
    }

    void answerFromIndex()
    {
        if (!m_db)
            return;
        m_sender.setFromIndex(true);
        QString lastFolder;
        QStringList folderWords;
        int rows = 0;
        const QString match = IndexDatabase::matchExpression(m_job.query.terms);
        const bool ok = m_db->filesUnder(m_job.root, match, [&](IndexDatabase::FileRow &&row) {
            if (++rows % kRowsPerCancelCheck == 0 && m_services.cancelled())
                return false;
            if (row.folder != lastFolder || rows == 1) {
                lastFolder = row.folder;
                folderWords = searchWords(relativeFolder(m_job.root, row.folder));
            }
            const FileProperties *properties = row.known ? &row.properties : nullptr;
            if (m_matcher.match(row.name, folderWords, properties) == QueryMatcher::Verdict::NoMatch)
                return true;
            // The file as it is now: its folder's listing may be unchanged
            // while the file was rewritten in place.
            struct stat info
            {
            };
            const QByteArray path = QFile::encodeName(childPath(row.folder, row.name));
            if (::stat(path.constData(), &info) != 0 || !S_ISREG(info.st_mode))
                return true; // gone: its folder changed, and the walk reads it
            const ScannedFile now { row.name, qint64(info.st_size), millisecondsOf(info.st_mtim) };
            if (now.size != row.size || now.modified != row.modified) {
                properties = nullptr;
                m_services.write(ChangedFile { row.folder, now });
            }
            consider(row.folder, folderWords, now, properties);
            return true;
        });
        if (!ok)
            indexFailed();
    }

    void walk()
    {
        m_sender.setFromIndex(false);
        const int fd = ::open(QFile::encodeName(m_job.root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            const int error = errno;
            m_note = QStringLiteral("\u201c%1\u201d cannot be read: %2")
                         .arg(m_job.root, QString::fromLocal8Bit(std::strerror(error)));
            if (m_db && (error == ENOENT || error == ENOTDIR))
                m_services.write(RemovedTree { m_job.root });
            for (auto folder = m_sent.cbegin(); folder != m_sent.cend(); ++folder) {
                for (auto name = folder->cbegin(); name != folder->cend(); ++name)
                    m_sender.remove(childPath(folder.key(), name.key()));
            }
            m_sent.clear();
            return;
        }
        std::vector<Pending> pending;
        visit(m_job.root, std::make_shared<platform::UniqueFd>(fd), pending);
        while (!pending.empty()) {
            if (m_services.cancelled())
                return;
            const Pending next = std::move(pending.back());
            pending.pop_back();
            if (auto folder = openFolder(next.parent->get(), next.name))
                visit(next.path, std::move(folder), pending);
        }
    }

    void visit(const QString &path, std::shared_ptr<platform::UniqueFd> fd, std::vector<Pending> &pending)
    {
        const auto stamp = stampOf(fd->get());
        if (!stamp)
            return;
        std::optional<IndexDatabase::FolderRow> row;
        if (m_db) {
            bool ok = true;
            row = m_db->folder(path, ok);
            if (!ok)
                indexFailed();
        }
        // Unchanged since it was indexed: its files were answered from the
        // index already, and its subfolders are known without a listing.
        if (m_db && row && row->stamp == *stamp) {
            QStringList children;
            if (m_db->childFolders(row->id, children)) {
                for (const QString &child : std::as_const(children))
                    pending.push_back(Pending { fd, child, child.mid(child.lastIndexOf(QLatin1Char('/')) + 1) });
                return;
            }
            indexFailed();
        }
        FolderUpdate update { path, *stamp, {}, {} };
        if (!readFolder(fd->get(), m_job.patterns, update))
            return;
        if (stamp->modifiedNs > m_settledBefore)
            update.stamp.modifiedNs = kUnsettled;
        std::vector<IndexDatabase::FileRow> known;
        if (m_db && row && !m_db->filesIn(row->id, known))
            indexFailed();
        QHash<QString, const IndexDatabase::FileRow *> knownByName;
        for (const IndexDatabase::FileRow &file : known)
            knownByName.insert(file.name, &file);
        const QStringList folderWords = searchWords(relativeFolder(m_job.root, path));
        QSet<QString> present;
        for (const ScannedFile &file : update.files) {
            const IndexDatabase::FileRow *before = knownByName.value(file.name);
            const bool same = before && before->known && before->size == file.size && before->modified == file.modified;
            consider(path, folderWords, file, same ? &before->properties : nullptr);
            present.insert(file.name);
        }
        const auto sentHere = m_sent.find(path);
        if (sentHere != m_sent.end()) {
            for (auto it = sentHere->begin(); it != sentHere->end();) {
                if (present.contains(it.key())) {
                    ++it;
                    continue;
                }
                m_sender.remove(childPath(path, it.key()));
                it = sentHere->erase(it);
            }
        }
        for (const QString &name : std::as_const(update.subfolders))
            pending.push_back(Pending { fd, childPath(path, name), name });
        if (m_db)
            m_services.write(std::move(update));
    }

    const SearchJob &m_job;
    SearchServices &m_services;
    IndexDatabase *m_db;
    QueryMatcher m_matcher;
    BatchSender m_sender;
    QString m_note;
    const qint64 m_settledBefore;
    bool m_dbFailed = false;
    // What was sent, by folder and name, so the walk can take it back.
    QHash<QString, QHash<QString, Sent>> m_sent;
    QSet<QString> m_unknown;
};

} // namespace

bool runSearch(const SearchJob &job, SearchServices &services)
{
    return Search(job, services).run();
}

} // namespace libraryindex
