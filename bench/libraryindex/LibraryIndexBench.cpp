// Searching a generated library of 100,000 files in 1,000 folders (10 % of
// them not audio) for "kick" (a tenth of the names). Figures:
//   cold    the first search, no index yet: every folder walked, the index
//           written behind it; "vs_find" is cold / find
//   find    `find ROOT -printf '%p %s %T@'` over the same tree, measured in
//           the same iterations: the floor of any walk that lists sizes and
//           times
//   warm    the same search once the index holds the tree: first_ms is the
//           first batch, the figure the whole answer
//   bytes_per_file  the index's size on disk for each file in it (its WAL
//           file apart, wal_per_file)
// Targets: cold <= 1.5x find; warm first <= 30 ms, whole <= 100 ms; <= 300
// bytes per file. The page cache is warm throughout.
#include "libraryindex/GeneratedLibrary.h"
#include "libraryindex/LibraryIndex.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

using namespace libraryindex;

namespace {

QString databasePath()
{
    static QTemporaryDir cache(QDir::tempPath() + QStringLiteral("/vantrel-bench-cache-XXXXXX"));
    return cache.filePath(QStringLiteral("vantrel/library.sqlite"));
}

void removeIndex()
{
    for (const char *suffix : { "", "-wal", "-shm" })
        QFile::remove(databasePath() + QString::fromUtf8(suffix));
}

struct Timing
{
    double first = 0;
    double whole = 0;
    std::size_t files = 0;
};

// Runs one search to its final batch.
Timing timedSearch(LibraryIndex &index, const QString &query)
{
    Timing timing;
    QEventLoop loop;
    const auto start = std::chrono::steady_clock::now();
    const auto connection = QObject::connect(&index, &LibraryIndex::found, [&](const SearchBatch &batch) {
        if (timing.first == 0 && !batch.files.empty())
            timing.first = secondsSince(start);
        timing.files += batch.files.size();
        if (batch.final) {
            timing.whole = secondsSince(start);
            loop.quit();
        }
    });
    if (index.search(libraryRoot(), query).ok())
        loop.exec();
    QObject::disconnect(connection);
    return timing;
}

void waitSaved(LibraryIndex &index, quint64 generation)
{
    QEventLoop loop;
    const auto connection = QObject::connect(&index, &LibraryIndex::indexSaved, [&](quint64 saved) {
        if (saved == generation)
            loop.quit();
    });
    loop.exec();
    QObject::disconnect(connection);
}

double findSeconds()
{
    const auto start = std::chrono::steady_clock::now();
    QProcess find;
    find.setStandardOutputFile(QProcess::nullDevice());
    find.start(QStringLiteral("find"), { libraryRoot(), QStringLiteral("-printf"), QStringLiteral("%p %s %T@\\n") });
    find.waitForFinished(-1);
    return secondsSince(start);
}

const QStringList kPatterns { QStringLiteral("*.wav;*.flac;*.mp3") };

void BM_ColdSearchVsFind(benchmark::State &state)
{
    libraryRoot();
    double cold = 0;
    double find = 0;
    std::size_t files = 0;
    for (auto _ : state) {
        find += findSeconds();
        removeIndex();
        LibraryIndex index({ databasePath(), kPatterns });
        const Timing timing = timedSearch(index, QStringLiteral("kick"));
        cold += timing.whole;
        files = timing.files;
        state.SetIterationTime(timing.whole);
    }
    state.counters["found"] = double(files);
    state.counters["find_ms"] = 1000 * find / double(state.iterations());
    state.counters["vs_find"] = find > 0 ? cold / find : 0;
}
BENCHMARK(BM_ColdSearchVsFind)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_WarmSearch(benchmark::State &state)
{
    libraryRoot();
    removeIndex();
    LibraryIndex index({ databasePath(), kPatterns });
    // Everything below the root, so the index holds the whole tree.
    const auto all = index.search(libraryRoot(), QString());
    if (!all.ok()) {
        state.SkipWithError("search refused");
        return;
    }
    waitSaved(index, all.value());
    double first = 0;
    std::size_t files = 0;
    for (auto _ : state) {
        const Timing timing = timedSearch(index, QStringLiteral("kick"));
        first += timing.first;
        files = timing.files;
        state.SetIterationTime(timing.whole);
    }
    // The WAL file keeps its largest size until the last connection closes
    // (a few MB at most), so it is counted apart from the index itself.
    const double indexed = kFolders * (kFilesPerFolder - kNonAudioPerFolder);
    state.counters["found"] = double(files);
    state.counters["first_ms"] = 1000 * first / double(state.iterations());
    state.counters["bytes_per_file"] = double(QFileInfo(databasePath()).size()) / indexed;
    state.counters["wal_per_file"] = double(QFileInfo(databasePath() + QStringLiteral("-wal")).size()) / indexed;
}
BENCHMARK(BM_WarmSearch)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
