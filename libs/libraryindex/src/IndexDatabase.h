#pragma once

#include "FolderScan.h"
#include "Sqlite.h"
#include "libraryindex/FileProperties.h"
#include "platform/Result.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace libraryindex {

// One connection to the index: the files below every folder searched so
// far, their properties when known, and a full-text index of their words.
// It is only a cache of the file system, so whatever goes wrong with it
// (damaged, from another version, locked, on a read-only or full disk) costs
// speed, never results. A connection is used by one thread.
class IndexDatabase
{
public:
    // Creating: a missing, damaged or other-version file is replaced by an
    // empty index. Joining: the file another connection made is used as it is.
    enum class Mode { Create, Join };
    // The connection, or a sentence for the status line.
    static platform::Result<std::unique_ptr<IndexDatabase>> open(const QString &path, Mode mode);

    // Deletes the index file and its WAL files; false when one stays.
    static bool discard(const QString &path);

    // Changes when the schema changes; an index of another version is rebuilt.
    static constexpr int kSchemaVersion = 1;
    // How long a statement waits for another connection's lock: the writer
    // commits often, so waits are short, and a longer wait would only hold up
    // a search that can answer from the folders instead.
    static constexpr int kBusyTimeoutMs = 250;

    struct FolderRow
    {
        qint64 id = 0;
        FolderStamp stamp;
    };
    struct FileRow
    {
        QString folder; // absolute
        QString name;
        qint64 size = 0;
        qint64 modified = 0;
        bool known = false;
        FileProperties properties;
    };

    // Reading. False (or nullopt) after an error; see failure().
    std::optional<FolderRow> folder(const QString &path, bool &ok);
    bool childFolders(qint64 folderId, QStringList &paths);
    bool filesIn(qint64 folderId, std::vector<FileRow> &rows);
    // Every file below root (root included) whose words match the full-text
    // expression (everything when it is empty), until visit returns false.
    bool filesUnder(const QString &root, const QString &match, const std::function<bool(FileRow &&)> &visit);

    // One view of the index for everything read in between: what another
    // connection commits meanwhile is not seen.
    bool beginRead();
    void endRead();

    // Writing, inside begin() and commit().
    bool begin();
    bool commit();
    void rollback();
    bool applyFolder(const FolderUpdate &update);
    bool removeTree(const QString &path);
    bool recordChange(const QString &folder, const ScannedFile &file);
    bool recordProperties(const QString &folder, const ScannedFile &file, const FileProperties &properties);

    // What the last failing call said, as a sentence, and whether the file
    // is damaged (so that only a rebuild helps).
    QString failure() const;
    bool damaged() const;

    // The full-text expression for terms of folded words.
    static QString matchExpression(const std::vector<QStringList> &terms);

private:
    explicit IndexDatabase(SqliteHandle db);
    bool fail(int code);
    ActiveStatement statement(const char *sql);
    // Runs a query with one id bound, handing each row to take.
    template<typename Take> bool rowsOf(const char *sql, qint64 id, Take take);
    std::optional<qint64> folderId(const QString &path);
    bool syncFiles(qint64 folderId, const FolderUpdate &update);
    bool linkSubfolders(qint64 folderId, const FolderUpdate &update);

    SqliteHandle m_db;
    StatementCache m_statements;
    int m_lastCode = SQLITE_OK;
};

} // namespace libraryindex
