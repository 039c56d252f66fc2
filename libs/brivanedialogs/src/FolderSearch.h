#pragma once

#include "AudioProperties.h"
#include "FolderEntry.h"

#include <QObject>
#include <QStringList>
#include <QThreadPool>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

namespace libraryindex {
class LibraryIndex;
struct SearchBatch;
} // namespace libraryindex

namespace bd {

// Rows of one search, ready for the file list: each named by its path below
// the search root, with its collator key.
struct FoundRows
{
    quint64 generation = 0;
    std::vector<FolderEntry> rows;
    QStringList removed;
    bool final = false;
    int unknownProperties = 0;
    QString note;
};

// "This folder and below": the typed query runs through the library index
// once typing pauses, the newest query replacing any still running. The
// index searches and writes on threads of its own; the rows it finds get
// their collator keys on a thread of this object's, so the GUI thread only
// merges them. Rows of a search replaced meanwhile never arrive.
class FolderSearch : public QObject
{
    Q_OBJECT

public:
    using Deliver = std::function<void(FoundRows &&rows)>;
    FolderSearch(Deliver deliver, QObject *parent = nullptr);
    ~FolderSearch() override;

    // Searches below root: at once after a pause in typing, else once typing
    // pauses; patterns are the browser's filter. Empty text stops.
    void search(const QString &root, const QString &text, const QStringList &patterns);
    // The same query again at once (the folders changed).
    void searchAgain();
    void stop();
    // Whether a search is typed, waiting or running and its last rows have
    // not arrived yet.
    bool isBusy() const { return m_pending || m_running; }
    quint64 generation() const { return m_generation; }

    // Header probes of the audio columns: the index keeps what they found,
    // so a property filter finds those files without reading them again.
    void record(const QVector<AudioReading> &readings, const QStringList &patterns);

Q_SIGNALS:
    // A new search began; its first rows replace the ones shown.
    void started();
    // The query cannot be run: the sentence says why.
    void rejected(const QString &sentence);
    // The index could not be written; searching still works.
    void noted(const QString &note);

private:
    void useIndexFor(const QStringList &patterns);
    void startNow();
    void convert(libraryindex::SearchBatch batch);

    Deliver m_deliver;
    std::unique_ptr<libraryindex::LibraryIndex> m_index; // made at the first search
    QStringList m_patterns;
    QString m_root;
    QString m_text;
    // Runs while keys come in a burst; a query typed meanwhile is pending.
    QTimer m_waiting;
    bool m_pending = false;
    quint64 m_generation = 0;
    bool m_running = false;
    // One thread: batches keep their order.
    QThreadPool m_keys;
};

} // namespace bd
