#pragma once

#include "libraryindex/FileProperties.h"
#include "platform/Result.h"

#include <QMetaType>
#include <QObject>
#include <QStringList>

#include <memory>
#include <vector>

namespace libraryindex {

// A part of a search's results. Rows arrive as they are found; a path sent
// again replaces its earlier row, a path in removed takes it back (the index
// knew a file that the folders no longer hold). The last batch of a search
// has final set.
struct SearchBatch
{
    quint64 generation = 0;
    std::vector<FoundFile> files;
    QStringList removed;
    // The rows came from the index, before the folders were checked.
    bool fromIndex = false;
    bool final = false;
    // Final batch of a search with a property filter: files that match
    // otherwise but whose properties have not been read yet; they are left
    // out until recordProperties() knows them.
    int unknownProperties = 0;
    // For the status line: why the index was not used, or why the root could
    // not be read. Empty when all went well.
    QString note;
};

// Finds audio files below a folder by name, folder, tags and properties,
// from an SQLite index that is only a cache of the file system: every search
// answers from the index first, then walks the folders whose listing
// changed since (a folder whose modification time and inode are unchanged is
// not read again) and corrects what the index said. No caller thread ever
// waits: the walk and every query run on a search thread, every write on a
// writer thread, both owned here and joined when this object goes. Results
// arrive on this object's thread. A new search cancels the one before, and
// batches of an older search are never delivered.
//
// Without inotify, folders are checked again at every search.
class LibraryIndex : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        QString databasePath = defaultDatabasePath();
        // The browser's filter: glob patterns such as "*.wav" or "*.wav;*.flac".
        QStringList audioPatterns;
    };

    explicit LibraryIndex(Options options, QObject *parent = nullptr);
    ~LibraryIndex() override;

    // $XDG_CACHE_HOME/vantrel/library.sqlite
    static QString defaultDatabasePath();

    // Starts a search below root; the generation its batches carry, or the
    // sentence that says what is wrong with the query (nothing started then).
    platform::Result<quint64> search(const QString &root, const QString &queryText);
    // Stops the running search; none of its batches arrive after this.
    void cancel();
    // Properties read elsewhere (the browser's header probe) for the file as
    // it was when read; ignored once the file has changed.
    void recordProperties(const QString &path, qint64 size, qint64 modified, const FileProperties &properties);

Q_SIGNALS:
    void found(const libraryindex::SearchBatch &batch);
    // Everything the search `generation` found in the folders is in the
    // index now: the next search below them answers from it.
    void indexSaved(quint64 generation);
    // The writer could not write (full disk, read-only, locked).
    void writeFailed(const QString &note);

private:
    struct Engine;
    std::unique_ptr<Engine> m_engine;
    quint64 m_generation = 0;
};

} // namespace libraryindex

Q_DECLARE_METATYPE(libraryindex::SearchBatch)
