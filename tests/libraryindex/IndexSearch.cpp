#include "IndexSearch.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace libraryindex;

namespace {

// Long enough for a loaded machine under the sanitizers; a search of these
// small trees ends in milliseconds.
constexpr int kWaitMs = 20000;

} // namespace

QStringList SearchOutcome::paths() const
{
    QStringList list;
    for (const auto &entry : files)
        list.append(entry.first);
    return list;
}

IndexFixture::IndexFixture(const QString &databasePath)
    : m_databasePath(databasePath.isEmpty() ? cache.filePath(QStringLiteral("vantrel/library.sqlite")) : databasePath)
{
    restart();
}

void IndexFixture::restart()
{
    m_saved.reset();
    m_index.reset();
    m_index = std::make_unique<LibraryIndex>(LibraryIndex::Options { m_databasePath, audioPatterns() });
    m_saved = std::make_unique<QSignalSpy>(m_index.get(), &LibraryIndex::indexSaved);
    QObject::connect(m_index.get(), &LibraryIndex::writeFailed, [this](const QString &note) {
        if (!expectWriteFailures)
            ADD_FAILURE() << "the index was not written: " << note.toStdString();
    });
}

SearchOutcome IndexFixture::search(const QString &query, const QString &below)
{
    SearchOutcome outcome;
    QSignalSpy found(m_index.get(), &LibraryIndex::found);
    const QString searchRoot = below.isEmpty() ? root() : below;
    const auto started = m_index->search(searchRoot, query);
    if (!started.ok()) {
        ADD_FAILURE() << "query refused: " << started.error().toStdString();
        return outcome;
    }
    m_lastGeneration = started.value();
    const qsizetype prefix = searchRoot.size() + 1;
    for (;;) {
        while (!found.isEmpty()) {
            const auto batch = found.takeFirst().at(0).value<SearchBatch>();
            EXPECT_EQ(batch.generation, m_lastGeneration);
            for (const QString &path : batch.removed)
                outcome.files.erase(path.mid(prefix));
            for (const FoundFile &file : batch.files) {
                outcome.files[file.path.mid(prefix)] = file;
                outcome.answeredFromIndex = outcome.answeredFromIndex || batch.fromIndex;
            }
            if (batch.final) {
                outcome.finished = true;
                outcome.unknownProperties = batch.unknownProperties;
                outcome.note = batch.note;
                return outcome;
            }
        }
        if (!found.wait(kWaitMs)) {
            ADD_FAILURE() << "no final batch for " << query.toStdString();
            return outcome;
        }
    }
}

bool IndexFixture::waitSaved(quint64 generation)
{
    for (;;) {
        while (!m_saved->isEmpty()) {
            if (m_saved->takeFirst().at(0).toULongLong() == generation)
                return true;
        }
        if (!m_saved->wait(kWaitMs))
            return false;
    }
}

SearchOutcome IndexFixture::searchWarm(const QString &query)
{
    const SearchOutcome cold = search(query);
    EXPECT_TRUE(cold.finished);
    EXPECT_TRUE(waitSaved(m_lastGeneration)) << "the index was not written";
    return search(query);
}
