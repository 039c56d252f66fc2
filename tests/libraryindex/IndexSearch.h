#pragma once

#include "libraryindex/LibraryIndex.h"
#include "support/TempDir.h"

#include <QSignalSpy>
#include <QStringList>

#include <map>
#include <memory>

// What one search delivered, with its removals applied, keyed by the path
// below the root.
struct SearchOutcome
{
    bool finished = false;
    bool answeredFromIndex = false; // some rows came from the index
    int unknownProperties = 0;
    QString note;
    std::map<QString, libraryindex::FoundFile> files;

    QStringList paths() const;
};

// A tree of files and an index of its own in a private cache folder.
class IndexFixture
{
public:
    // The audio filter of the tests: what the browser passes for these types.
    static QStringList audioPatterns() { return { QStringLiteral("*.wav;*.flac;*.mp3") }; }

    explicit IndexFixture(const QString &databasePath = {});

    QString root() const { return tree.path(); }
    QString databasePath() const { return m_databasePath; }
    libraryindex::LibraryIndex &index() { return *m_index; }

    // Runs one search to its final batch (bounded wait).
    SearchOutcome search(const QString &query, const QString &below = {});
    // Runs it, waits until what it found is written, and runs it again:
    // the second answer starts from the index.
    SearchOutcome searchWarm(const QString &query);
    // Waits until the search generation's findings are in the index.
    bool waitSaved(quint64 generation);
    void restart();

    TempDir tree;
    TempDir cache;
    // Cases that make the index unwritable on purpose.
    bool expectWriteFailures = false;

private:
    QString m_databasePath;
    std::unique_ptr<libraryindex::LibraryIndex> m_index;
    std::unique_ptr<QSignalSpy> m_saved;
    quint64 m_lastGeneration = 0;
};
