#include "FolderSearch.h"

#include "libraryindex/LibraryIndex.h"

#include <utility>

namespace bd {

namespace {

// Typing comes in bursts. The first key after a pause runs its query at
// once; keys that follow within this long are a burst, whose last query runs
// once the keys pause. Long enough to skip the queries nobody would read,
// short enough not to be noticed as a wait for the list.
constexpr int kTypingPauseMs = 150;

QString rootPrefix(const QString &root)
{
    return root.endsWith(u'/') ? root : root + u'/';
}

FolderEntry foundRow(const libraryindex::FoundFile &file, const QCollator &collator)
{
    FolderEntry row;
    const QString fileName = file.path.mid(file.path.lastIndexOf(u'/') + 1);
    row.name = file.folder.isEmpty() ? fileName : file.folder + u'/' + fileName;
    row.sortKey = std::make_shared<const QCollatorSortKey>(collator.sortKey(fileName));
    row.size = file.size;
    row.modified = file.modified;
    if (file.propertiesKnown) {
        // Shown at once; the columns still read the header for the bit
        // rate, which the index does not keep.
        row.audio.durationMs = file.properties.durationMs;
        row.audio.sampleRate = file.properties.sampleRate;
        row.audio.bitDepth = file.properties.bitDepth;
        row.audio.channels = file.properties.channels;
    }
    return row;
}

} // namespace

FolderSearch::FolderSearch(Deliver deliver, QObject *parent)
    : QObject(parent)
    , m_deliver(std::move(deliver))
{
    m_waiting.setSingleShot(true);
    m_waiting.setInterval(kTypingPauseMs);
    connect(&m_waiting, &QTimer::timeout, this, [this] {
        if (std::exchange(m_pending, false))
            startNow();
    });
    m_keys.setMaxThreadCount(1);
}

FolderSearch::~FolderSearch()
{
    m_keys.clear();
    m_keys.waitForDone();
}

void FolderSearch::search(const QString &root, const QString &text, const QStringList &patterns)
{
    if (text.trimmed().isEmpty()) {
        stop();
        return;
    }
    m_root = root;
    m_text = text;
    useIndexFor(patterns);
    if (m_waiting.isActive()) {
        m_pending = true;
        m_waiting.start();
        return;
    }
    startNow();
    m_waiting.start();
}

void FolderSearch::useIndexFor(const QStringList &patterns)
{
    if (m_index && patterns == m_patterns)
        return;
    // The index lists only the filter's files, and is told which once.
    m_patterns = patterns;
    m_index.reset();
    libraryindex::LibraryIndex::Options options;
    options.audioPatterns = patterns;
    m_index = std::make_unique<libraryindex::LibraryIndex>(std::move(options));
    connect(m_index.get(), &libraryindex::LibraryIndex::found, this,
        [this](const libraryindex::SearchBatch &batch) { convert(batch); });
    connect(m_index.get(), &libraryindex::LibraryIndex::writeFailed, this, &FolderSearch::noted);
}

void FolderSearch::searchAgain()
{
    if (m_index && !m_text.isEmpty())
        startNow();
}

void FolderSearch::stop()
{
    m_waiting.stop();
    m_pending = false;
    m_text.clear();
    m_running = false;
    m_generation = 0;
    if (m_index)
        m_index->cancel();
}

void FolderSearch::startNow()
{
    m_pending = false;
    auto run = m_index->search(m_root, m_text);
    if (!run) {
        m_index->cancel();
        m_generation = 0;
        m_running = false;
        Q_EMIT rejected(run.error());
        return;
    }
    m_generation = run.value();
    m_running = true;
    Q_EMIT started();
}

void FolderSearch::convert(libraryindex::SearchBatch batch)
{
    if (batch.generation != m_generation)
        return;
    m_keys.start([this, batch = std::move(batch), prefix = rootPrefix(m_root)] {
        FoundRows found;
        found.generation = batch.generation;
        found.final = batch.final;
        found.unknownProperties = batch.unknownProperties;
        found.note = batch.note;
        const QCollator collator = nameCollator();
        found.rows.reserve(batch.files.size());
        for (const libraryindex::FoundFile &file : batch.files)
            found.rows.push_back(foundRow(file, collator));
        for (const QString &path : batch.removed) {
            if (path.startsWith(prefix))
                found.removed.append(path.mid(prefix.size()));
        }
        QMetaObject::invokeMethod(
            this,
            [this, found = std::move(found)]() mutable {
                if (found.generation != m_generation)
                    return;
                if (found.final)
                    m_running = false;
                m_deliver(std::move(found));
            },
            Qt::QueuedConnection);
    });
}

void FolderSearch::record(const QVector<AudioReading> &readings, const QStringList &patterns)
{
    // Files searched in an earlier run are in the index already; the writer
    // passes over the others.
    if (!m_index)
        useIndexFor(patterns);
    for (const AudioReading &reading : readings) {
        if (!reading.readable)
            continue;
        libraryindex::FileProperties properties;
        properties.durationMs = reading.details.durationMs;
        properties.sampleRate = reading.details.sampleRate;
        properties.bitDepth = reading.details.bitDepth;
        properties.channels = reading.details.channels;
        m_index->recordProperties(reading.file.path, reading.file.size, reading.file.modified, properties);
    }
}

} // namespace bd
