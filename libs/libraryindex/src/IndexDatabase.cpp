#include "IndexDatabase.h"

#include "libraryindex/Words.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace libraryindex {
namespace {

using Opened = platform::Result<std::unique_ptr<IndexDatabase>>;

// Files are keyed by path: their folder's row and their name. The full-text
// table holds no copy of the text (content=''), only its index; the triggers
// give it the words of a row going in and the same words of a row going out,
// made by vantrel_words() from the row itself, so the two always agree. One
// prefix index (two letters) serves the first keystrokes; a second one for
// three letters cost 50 bytes a file for no measurable speed.
constexpr char kSchema[] = R"sql(
CREATE TABLE folders(
    id INTEGER PRIMARY KEY,
    path TEXT NOT NULL UNIQUE,
    parent_id INTEGER,
    device INTEGER NOT NULL,
    inode INTEGER NOT NULL,
    mtime_ns INTEGER NOT NULL);
CREATE INDEX folders_by_parent ON folders(parent_id);
CREATE TABLE files(
    id INTEGER PRIMARY KEY,
    folder_id INTEGER NOT NULL,
    name TEXT NOT NULL,
    size INTEGER NOT NULL,
    mtime INTEGER NOT NULL,
    format TEXT,
    known INTEGER NOT NULL DEFAULT 0,
    duration_ms INTEGER,
    sample_rate INTEGER,
    bit_depth INTEGER,
    channels INTEGER,
    title TEXT,
    artist TEXT,
    album TEXT,
    genre TEXT,
    comment TEXT,
    UNIQUE(folder_id, name));
CREATE VIRTUAL TABLE words USING fts5(name, folder, tags, content='',
    tokenize='unicode61 remove_diacritics 2', prefix='2');
CREATE TRIGGER files_words_in AFTER INSERT ON files BEGIN
    INSERT INTO words(rowid, name, folder, tags) VALUES(new.id, vantrel_words(new.name),
        vantrel_words((SELECT path FROM folders WHERE id = new.folder_id)),
        vantrel_words(new.title, new.artist, new.album, new.genre, new.comment));
END;
CREATE TRIGGER files_words_out AFTER DELETE ON files BEGIN
    INSERT INTO words(words, rowid, name, folder, tags) VALUES('delete', old.id, vantrel_words(old.name),
        vantrel_words((SELECT path FROM folders WHERE id = old.folder_id)),
        vantrel_words(old.title, old.artist, old.album, old.genre, old.comment));
END;
CREATE TRIGGER files_words_change AFTER UPDATE OF name, folder_id, title, artist, album, genre, comment ON files BEGIN
    INSERT INTO words(words, rowid, name, folder, tags) VALUES('delete', old.id, vantrel_words(old.name),
        vantrel_words((SELECT path FROM folders WHERE id = old.folder_id)),
        vantrel_words(old.title, old.artist, old.album, old.genre, old.comment));
    INSERT INTO words(rowid, name, folder, tags) VALUES(new.id, vantrel_words(new.name),
        vantrel_words((SELECT path FROM folders WHERE id = new.folder_id)),
        vantrel_words(new.title, new.artist, new.album, new.genre, new.comment));
END;
)sql";

constexpr char kFileColumns[] = "d.path, f.name, f.size, f.mtime, f.known, f.duration_ms, f.sample_rate, f.bit_depth, "
                                "f.channels, f.title, f.artist, f.album, f.genre, f.comment";

// What a file's change makes unknown again: the properties read of it.
#define VANTREL_FORGET_PROPERTIES                                                                                      \
    "known = 0, duration_ms = NULL, sample_rate = NULL, bit_depth = NULL, channels = NULL, title = NULL, "             \
    "artist = NULL, album = NULL, genre = NULL, comment = NULL"

void wordsFunction(sqlite3_context *context, int count, sqlite3_value **values)
{
    QString text;
    for (int i = 0; i < count; ++i) {
        const auto *bytes = reinterpret_cast<const char *>(sqlite3_value_text(values[i]));
        if (bytes)
            text += QString::fromUtf8(bytes, sqlite3_value_bytes(values[i])) + QLatin1Char(' ');
    }
    const QByteArray words = searchWordText(text).toUtf8();
    sqlite3_result_text(context, words.constData(), int(words.size()), SQLITE_TRANSIENT);
}

bool isDamage(int code)
{
    const int primary = code & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

QString sentenceFor(int code, const QString &detail = {})
{
    const int primary = code & 0xff;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        return QStringLiteral("The search index is in use by another program; searching the folders directly.");
    if (primary == SQLITE_FULL)
        return QStringLiteral("The disk of the search index is full; searching the folders directly.");
    const QString reason = detail.isEmpty() ? QString::fromUtf8(sqlite3_errstr(code)) : detail;
    return QStringLiteral("The search index cannot be used (%1); searching the folders directly.").arg(reason);
}

// Our own folder in the cache folder, readable by its owner only (the
// index names every file searched); the file likewise.
QString prepareFile(const QString &path)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    if (!QFileInfo::exists(folder)) {
        QDir().mkpath(QFileInfo(folder).absolutePath());
        if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST)
            return QString::fromLocal8Bit(std::strerror(errno));
    }
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
    else if (errno != EEXIST)
        return QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

bool removeIndexFiles(const QString &path)
{
    bool removed = true;
    for (const char *suffix : { "", "-wal", "-shm" }) {
        const QByteArray name = QFile::encodeName(path) + suffix;
        if (::unlink(name.constData()) != 0 && errno != ENOENT)
            removed = false;
    }
    return removed;
}

int exec(sqlite3 *db, const char *sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

// Opens and checks one connection; the code of what went wrong, or OK.
// SQLITE_SCHEMA stands for an index of another version.
int connect(const QString &path, SqliteHandle &handle)
{
    sqlite3 *raw = nullptr;
    int code = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw,
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_EXRESCODE, nullptr);
    handle.reset(raw);
    if (code != SQLITE_OK)
        return code;
    sqlite3 *db = handle.get();
    sqlite3_busy_timeout(db, IndexDatabase::kBusyTimeoutMs);
    sqlite3_create_function_v2(db, "vantrel_words", -1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
        wordsFunction, nullptr, nullptr, nullptr);
    if ((code = exec(db, "PRAGMA journal_mode=WAL")) != SQLITE_OK)
        return code;
    // A cache: losing the last commits to a power cut costs a rescan only.
    if ((code = exec(db, "PRAGMA synchronous=NORMAL")) != SQLITE_OK)
        return code;
    Statement version(db, "PRAGMA user_version");
    if (version.code() != SQLITE_OK)
        return version.code();
    if (version.step() != SQLITE_ROW)
        return version.code();
    const qint64 found = version.integer(0);
    if (found == IndexDatabase::kSchemaVersion)
        return SQLITE_OK;
    Statement tables(db, "SELECT count(*) FROM sqlite_master");
    if (tables.code() != SQLITE_OK || tables.step() != SQLITE_ROW)
        return tables.code();
    if (found != 0 || tables.integer(0) != 0)
        return SQLITE_SCHEMA;
    if ((code = exec(db, "BEGIN IMMEDIATE")) != SQLITE_OK)
        return code;
    code = exec(db, kSchema);
    if (code == SQLITE_OK)
        code = exec(db,
            QByteArrayLiteral("PRAGMA user_version=")
                .append(QByteArray::number(IndexDatabase::kSchemaVersion))
                .constData());
    exec(db, code == SQLITE_OK ? "COMMIT" : "ROLLBACK");
    return code;
}

} // namespace

IndexDatabase::IndexDatabase(SqliteHandle db)
    : m_db(std::move(db))
{ }

platform::Result<std::unique_ptr<IndexDatabase>> IndexDatabase::open(const QString &path, Mode mode)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (mode == Mode::Create) {
            const QString problem = prepareFile(path);
            if (!problem.isEmpty())
                return Opened::failure(sentenceFor(SQLITE_CANTOPEN, problem));
        }
        SqliteHandle handle;
        const int code = connect(path, handle);
        if (code == SQLITE_OK)
            return Opened(std::unique_ptr<IndexDatabase>(new IndexDatabase(std::move(handle))));
        handle.reset();
        // Only a cache: a damaged file or one of another version is
        // replaced, never repaired. A busy or unreachable one is left alone.
        const bool replaceable = isDamage(code) || code == SQLITE_SCHEMA;
        if (mode == Mode::Join || !replaceable || attempt > 0)
            return Opened::failure(sentenceFor(code));
        if (!discard(path))
            return Opened::failure(sentenceFor(code, QString::fromLocal8Bit(std::strerror(errno))));
    }
    return Opened::failure(sentenceFor(SQLITE_CANTOPEN));
}

bool IndexDatabase::discard(const QString &path)
{
    return removeIndexFiles(path);
}

bool IndexDatabase::fail(int code)
{
    m_lastCode = code;
    return false;
}

ActiveStatement IndexDatabase::statement(const char *sql)
{
    Statement *prepared = m_statements.get(m_db.get(), sql);
    if (!prepared)
        m_lastCode = sqlite3_extended_errcode(m_db.get());
    return ActiveStatement(prepared);
}

QString IndexDatabase::failure() const
{
    return sentenceFor(m_lastCode);
}

bool IndexDatabase::damaged() const
{
    return isDamage(m_lastCode);
}

QString IndexDatabase::matchExpression(const std::vector<QStringList> &terms)
{
    QStringList phrases;
    for (const QStringList &term : terms)
        phrases.append(QLatin1Char('"') + term.join(QLatin1Char(' ')) + QStringLiteral("\"*"));
    return phrases.join(QStringLiteral(" AND "));
}

std::optional<IndexDatabase::FolderRow> IndexDatabase::folder(const QString &path, bool &ok)
{
    static constexpr char sql[] = "SELECT id, device, inode, mtime_ns FROM folders WHERE path = ?1";
    auto query = statement(sql);
    ok = bool(query);
    if (!ok)
        return std::nullopt;
    const int code = query->bind(1, path).step();
    if (code == SQLITE_ROW)
        return FolderRow { query->integer(0), { query->integer(1), query->integer(2), query->integer(3) } };
    ok = code == SQLITE_DONE || fail(code);
    return std::nullopt;
}

template<typename Take> bool IndexDatabase::rowsOf(const char *sql, qint64 id, Take take)
{
    auto query = statement(sql);
    if (!query)
        return false;
    query->bind(1, id);
    int code;
    while ((code = query->step()) == SQLITE_ROW)
        take(*query);
    return code == SQLITE_DONE || fail(code);
}

bool IndexDatabase::childFolders(qint64 folderId, QStringList &paths)
{
    static constexpr char sql[] = "SELECT path FROM folders WHERE parent_id = ?1";
    return rowsOf(sql, folderId, [&](const Statement &row) { paths.append(row.text(0)); });
}

namespace {

IndexDatabase::FileRow fileRow(const Statement &row)
{
    IndexDatabase::FileRow file;
    file.folder = row.text(0);
    file.name = row.text(1);
    file.size = row.integer(2);
    file.modified = row.integer(3);
    file.known = row.integer(4) != 0;
    FileProperties &p = file.properties;
    p.durationMs = std::int32_t(row.integerOr(5, -1));
    p.sampleRate = std::int32_t(row.integerOr(6, -1));
    p.bitDepth = std::int16_t(row.integerOr(7, -1));
    p.channels = std::int16_t(row.integerOr(8, -1));
    p.title = row.text(9);
    p.artist = row.text(10);
    p.album = row.text(11);
    p.genre = row.text(12);
    p.comment = row.text(13);
    return file;
}

// The bounds of the paths below root: "root/" up to "root0" ('0' follows
// '/'), so an index on path answers "below root" as a range.
std::pair<QString, QString> pathsBelow(const QString &root)
{
    const QString base = root.endsWith(QLatin1Char('/')) ? root.chopped(1) : root;
    return { base + QLatin1Char('/'), base + QLatin1Char('0') };
}

} // namespace

bool IndexDatabase::filesIn(qint64 folderId, std::vector<FileRow> &rows)
{
    static const QByteArray sql = QByteArrayLiteral("SELECT ") + kFileColumns
        + " FROM files f JOIN folders d ON d.id = f.folder_id WHERE f.folder_id = ?1";
    return rowsOf(sql.constData(), folderId, [&](const Statement &row) { rows.push_back(fileRow(row)); });
}

bool IndexDatabase::filesUnder(const QString &root, const QString &match, const std::function<bool(FileRow &&)> &visit)
{
    static const QByteArray all = QByteArrayLiteral("SELECT ") + kFileColumns
        + " FROM files f JOIN folders d ON d.id = f.folder_id"
          " WHERE (d.path = ?1 OR (d.path >= ?2 AND d.path < ?3))";
    static const QByteArray matching = all + " AND f.id IN (SELECT rowid FROM words WHERE words MATCH ?4)";
    auto query = statement(match.isEmpty() ? all.constData() : matching.constData());
    if (!query)
        return false;
    const auto [low, high] = pathsBelow(root);
    query->bind(1, root).bind(2, low).bind(3, high);
    if (!match.isEmpty())
        query->bind(4, match);
    int code;
    while ((code = query->step()) == SQLITE_ROW) {
        if (!visit(fileRow(*query)))
            return true;
    }
    return code == SQLITE_DONE || fail(code);
}

bool IndexDatabase::begin()
{
    const int code = exec(m_db.get(), "BEGIN IMMEDIATE");
    return code == SQLITE_OK || fail(code);
}

bool IndexDatabase::commit()
{
    const int code = exec(m_db.get(), "COMMIT");
    if (code == SQLITE_OK)
        return true;
    rollback();
    return fail(code);
}

bool IndexDatabase::beginRead()
{
    // Deferred: the view is taken at the first read.
    const int code = exec(m_db.get(), "BEGIN DEFERRED");
    return code == SQLITE_OK || fail(code);
}

void IndexDatabase::endRead()
{
    // Only reads happened: nothing to keep or undo.
    exec(m_db.get(), "ROLLBACK");
}

void IndexDatabase::rollback()
{
    exec(m_db.get(), "ROLLBACK");
}

std::optional<qint64> IndexDatabase::folderId(const QString &path)
{
    bool ok = true;
    const auto row = folder(path, ok);
    return row ? std::optional<qint64>(row->id) : std::nullopt;
}

bool IndexDatabase::applyFolder(const FolderUpdate &update)
{
    bool ok = true;
    const auto existing = folder(update.path, ok);
    if (!ok)
        return false;
    qint64 id = 0;
    if (existing) {
        id = existing->id;
        static constexpr char sql[] = "UPDATE folders SET device = ?2, inode = ?3, mtime_ns = ?4 WHERE id = ?1";
        auto change = statement(sql);
        if (!change)
            return false;
        const int code = change->bind(1, id)
                             .bind(2, update.stamp.device)
                             .bind(3, update.stamp.inode)
                             .bind(4, update.stamp.modifiedNs)
                             .step();
        if (code != SQLITE_DONE)
            return fail(code);
    } else {
        static constexpr char sql[]
            = "INSERT INTO folders(path, parent_id, device, inode, mtime_ns) VALUES(?1, ?2, ?3, ?4, ?5)";
        auto insert = statement(sql);
        if (!insert)
            return false;
        insert->bind(1, update.path)
            .bindKnown(2, folderId(QFileInfo(update.path).path()).value_or(-1))
            .bind(3, update.stamp.device)
            .bind(4, update.stamp.inode)
            .bind(5, update.stamp.modifiedNs);
        const int code = insert->step();
        if (code != SQLITE_DONE)
            return fail(code);
        id = sqlite3_last_insert_rowid(m_db.get());
    }
    return syncFiles(id, update) && linkSubfolders(id, update);
}

bool IndexDatabase::syncFiles(qint64 folderId, const FolderUpdate &update)
{
    struct Known
    {
        qint64 id;
        qint64 size;
        qint64 modified;
    };
    QHash<QString, Known> known;
    static constexpr char sql[] = "SELECT id, name, size, mtime FROM files WHERE folder_id = ?1";
    const bool read = rowsOf(sql, folderId, [&](const Statement &row) {
        known.insert(row.text(1), Known { row.integer(0), row.integer(2), row.integer(3) });
    });
    if (!read)
        return false;
    for (const ScannedFile &file : update.files) {
        const auto found = known.constFind(file.name);
        int code = SQLITE_DONE;
        if (found == known.constEnd()) {
            static constexpr char sql[]
                = "INSERT INTO files(folder_id, name, size, mtime, format) VALUES(?1, ?2, ?3, ?4, ?5)";
            auto insert = statement(sql);
            if (!insert)
                return false;
            code = insert->bind(1, folderId)
                       .bind(2, file.name)
                       .bind(3, file.size)
                       .bind(4, file.modified)
                       .bind(5, QFileInfo(file.name).suffix().toLower())
                       .step();
        } else {
            if (found->size != file.size || found->modified != file.modified) {
                static constexpr char sql[]
                    = "UPDATE files SET size = ?2, mtime = ?3, " VANTREL_FORGET_PROPERTIES " WHERE id = ?1";
                auto change = statement(sql);
                if (!change)
                    return false;
                code = change->bind(1, found->id).bind(2, file.size).bind(3, file.modified).step();
            }
            known.erase(found);
        }
        if (code != SQLITE_DONE)
            return fail(code);
    }
    for (const Known &gone : std::as_const(known)) {
        static constexpr char sql[] = "DELETE FROM files WHERE id = ?1";
        auto remove = statement(sql);
        if (!remove)
            return false;
        const int code = remove->bind(1, gone.id).step();
        if (code != SQLITE_DONE)
            return fail(code);
    }
    return true;
}

bool IndexDatabase::linkSubfolders(qint64 folderId, const FolderUpdate &update)
{
    QSet<QString> present;
    for (const QString &name : update.subfolders)
        present.insert(childPath(update.path, name));
    QStringList children;
    if (!childFolders(folderId, children))
        return false;
    for (const QString &child : std::as_const(children)) {
        if (!present.remove(child) && !removeTree(child))
            return false;
    }
    // Folders indexed before this one (searched from below it) join it here,
    // so that an unchanged folder's subfolders are found without a listing.
    // The others get a row with no stamp, which no folder on disk matches:
    // a search that finds this folder unchanged before they are written
    // still reads them, where it would otherwise never reach them.
    for (const QString &path : std::as_const(present)) {
        static constexpr char sql[] = "UPDATE folders SET parent_id = ?1 WHERE path = ?2";
        auto link = statement(sql);
        if (!link)
            return false;
        int code = link->bind(1, folderId).bind(2, path).step();
        if (code == SQLITE_DONE && sqlite3_changes(m_db.get()) == 0) {
            static constexpr char placeholder[]
                = "INSERT INTO folders(path, parent_id, device, inode, mtime_ns) VALUES(?2, ?1, 0, 0, -1)";
            auto insert = statement(placeholder);
            if (!insert)
                return false;
            code = insert->bind(1, folderId).bind(2, path).step();
        }
        if (code != SQLITE_DONE)
            return fail(code);
    }
    return true;
}

bool IndexDatabase::removeTree(const QString &path)
{
    // Files first: their trigger reads their folder's path.
    static constexpr char files[] = "DELETE FROM files WHERE folder_id IN "
                                    "(SELECT id FROM folders WHERE path = ?1 OR (path >= ?2 AND path < ?3))";
    static constexpr char folders[] = "DELETE FROM folders WHERE path = ?1 OR (path >= ?2 AND path < ?3)";
    const auto [low, high] = pathsBelow(path);
    for (const char *sql : { files, folders }) {
        auto remove = statement(sql);
        if (!remove)
            return false;
        const int code = remove->bind(1, path).bind(2, low).bind(3, high).step();
        if (code != SQLITE_DONE)
            return fail(code);
    }
    return true;
}

bool IndexDatabase::recordChange(const QString &folder, const ScannedFile &file)
{
    static constexpr char sql[] = "UPDATE files SET size = ?3, mtime = ?4, " VANTREL_FORGET_PROPERTIES
                                  " WHERE folder_id = (SELECT id FROM folders WHERE path = ?1) AND name = ?2";
    auto change = statement(sql);
    if (!change)
        return false;
    const int code = change->bind(1, folder).bind(2, file.name).bind(3, file.size).bind(4, file.modified).step();
    return code == SQLITE_DONE || fail(code);
}

bool IndexDatabase::recordProperties(const QString &folder, const ScannedFile &file, const FileProperties &p)
{
    // Only for the file as it was read: a file changed since keeps its
    // properties unknown until it is read again.
    static constexpr char sql[] = "UPDATE files SET known = 1, duration_ms = ?5, sample_rate = ?6, bit_depth = ?7, "
                                  "channels = ?8, title = ?9, artist = ?10, album = ?11, genre = ?12, comment = ?13 "
                                  "WHERE folder_id = (SELECT id FROM folders WHERE path = ?1) AND name = ?2 "
                                  "AND size = ?3 AND mtime = ?4";
    auto record = statement(sql);
    if (!record)
        return false;
    const int code = record->bind(1, folder)
                         .bind(2, file.name)
                         .bind(3, file.size)
                         .bind(4, file.modified)
                         .bindKnown(5, p.durationMs)
                         .bindKnown(6, p.sampleRate)
                         .bindKnown(7, p.bitDepth)
                         .bindKnown(8, p.channels)
                         .bind(9, p.title)
                         .bind(10, p.artist)
                         .bind(11, p.album)
                         .bind(12, p.genre)
                         .bind(13, p.comment)
                         .step();
    return code == SQLITE_DONE || fail(code);
}

} // namespace libraryindex
