#include "details/DetailsReader.h"

DetailsReader::DetailsReader(QObject *parent)
    : QObject(parent)
    , m_thread([this] { run(); })
{ }

DetailsReader::~DetailsReader()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_queuedGeneration.reset();
    }
    m_changed.notify_all();
    m_thread.join();
}

std::uint64_t DetailsReader::request(const QString &fileName)
{
    std::uint64_t generation = 0;
    {
        const std::lock_guard lock(m_mutex);
        generation = ++m_lastGeneration;
        m_queuedGeneration = generation;
        m_queuedName = fileName;
    }
    m_changed.notify_all();
    return generation;
}

std::optional<TDetailsLines> DetailsReader::waitFor(std::uint64_t generation, std::chrono::milliseconds budget)
{
    std::unique_lock lock(m_mutex);
    const bool finished = m_changed.wait_for(
        lock, budget, [&] { return m_doneGeneration >= generation || m_lastGeneration != generation; });
    if (!finished || m_doneGeneration != generation)
        return std::nullopt;
    return m_doneLines;
}

void DetailsReader::run()
{
    for (;;) {
        std::uint64_t generation = 0;
        QString fileName;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stopping || m_queuedGeneration; });
            if (m_stopping)
                return;
            generation = *m_queuedGeneration;
            m_queuedGeneration.reset();
            fileName = std::move(m_queuedName);
        }
        // Normally bound by the start-up worker already; a file focused
        // sooner binds it here, or waits for the worker to finish binding.
        InitializeMediaInfoLibraryFunctions();
        TDetailsLines lines;
        ReadFileDetails(fileName, lines);
        {
            const std::lock_guard lock(m_mutex);
            m_doneGeneration = generation;
            m_doneLines = lines;
        }
        m_changed.notify_all();
        Q_EMIT linesRead(generation, lines);
    }
}
