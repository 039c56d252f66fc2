// Reading 1,000 and 3,000 places from the key store, as a browser's start
// reads them (every "Folder<n>" and "Name<n>" until one is missing). Figures:
//   batch   one KeyStoreReader for all of them (what the dialog library does)
//   load    loading and parsing the file once: the floor any reading pays,
//           measured in the same iterations; "vs_load" is batch / load
//   single  KeyStore::readString for each value, which loads and searches the
//           whole file every time (one round; the start took 12 s at 3,000)
// The target is batch under 20 ms at 3,000, where the single reads took
// seconds; the rest of a start is not held up by the places then.
#include "platform/IniDocument.h"
#include "platform/KeyStore.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

const QString kPlacesKey = QStringLiteral("Software\\Tarvex\\Brivane Dialogs\\Places");

// A store with `count` places beside a dialog's state, as a long-used one looks.
QString storeWithPlaces(const QTemporaryDir &dir, int count)
{
    const QString path = dir.filePath(QStringLiteral("registry-%1.ini").arg(count));
    platform::IniDocument doc;
    const QString dialog = QStringLiteral("Software\\Tarvex\\Brivane Dialogs\\App settings\\{0}");
    doc.setValue(dialog, QStringLiteral("Folder"), QStringLiteral("/home/user/Music/"));
    doc.setValue(dialog, QStringLiteral("View"), QStringLiteral("0"));
    for (int i = 1; i <= count; ++i) {
        doc.setValue(kPlacesKey, QStringLiteral("Name%1").arg(i), QStringLiteral("Session %1").arg(i));
        doc.setValue(
            kPlacesKey, QStringLiteral("Folder%1").arg(i), QStringLiteral("/home/user/Music/Sessions/%1").arg(i));
    }
    if (!doc.save(path))
        return {};
    return path;
}

template<typename Store> int readAllPlaces(const Store &store)
{
    int read = 0;
    for (int i = 1;; ++i) {
        const auto folder = store.readString(kPlacesKey, QStringLiteral("Folder%1").arg(i));
        if (!folder)
            break;
        benchmark::DoNotOptimize(store.readString(kPlacesKey, QStringLiteral("Name%1").arg(i)));
        ++read;
    }
    return read;
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_PlacesBatchRead(benchmark::State &state)
{
    QTemporaryDir dir;
    const int count = int(state.range(0));
    const QString path = storeWithPlaces(dir, count);
    if (path.isEmpty()) {
        state.SkipWithError("the store could not be written");
        return;
    }
    double batch = 0;
    double load = 0;
    int read = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        read = readAllPlaces(platform::KeyStoreReader(path));
        batch += secondsSince(start);
        state.SetIterationTime(secondsSince(start));

        start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(platform::IniDocument::load(path));
        load += secondsSince(start);
    }
    state.counters["places"] = read;
    state.counters["load_ms"] = 1000 * load / double(state.iterations());
    state.counters["vs_load"] = load > 0 ? batch / load : 0;
}
BENCHMARK(BM_PlacesBatchRead)->Arg(1000)->Arg(3000)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_PlacesSingleReads(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = storeWithPlaces(dir, int(state.range(0)));
    const platform::KeyStore store(path);
    int read = 0;
    for (auto _ : state)
        read = readAllPlaces(store);
    state.counters["places"] = read;
}
BENCHMARK(BM_PlacesSingleReads)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
