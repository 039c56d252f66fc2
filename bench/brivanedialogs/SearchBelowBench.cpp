// Ctrl+F with the scope "This folder and below" in the embedded browser,
// over the generated library of 100,000 files (bench/libraryindex), typing
// "kick" (9,000 files found). Figures, from the key to:
//   first_ms    the first found row in the list
//   the figure  the last row in, the status line done
//   stall_ms    the longest the GUI thread did not answer meanwhile (a
//               timer asked every millisecond)
//   index_ms    the same query through LibraryIndex alone in the same run:
//               the floor the browser adds its work to ("vs_index")
// Warm: the index holds the tree. Cold: no index yet, every folder walked.
// Targets: warm first <= 30 ms, whole <= 100 ms; no stall > 16 ms.
#include "OpenedBrowser.h"
#include "libraryindex/GeneratedLibrary.h"
#include "libraryindex/LibraryIndex.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

const std::u16string kFilters = u"Audio files|*.wav;*.flac;*.mp3";
const TBDGUID kGuid { 0x5ea4c4b1, 0x7d21, 0x4c57, { 0x9a, 0x11, 0x3c, 0x52, 0x6e, 0x0d, 0x71, 0x28 } };

struct Timing
{
    double first = 0;
    double whole = 0;
    double stall = 0;
    int found = 0;
};

// The browser over the library, its find bar set to search below.
class SearchingBrowser
{
public:
    SearchingBrowser()
        : m_browser(libraryRoot(), kFilters, u"", kGuid)
    {
        QWidget *window = m_browser.window();
        if (!window)
            return;
        m_edit = window->findChild<QLineEdit *>(QStringLiteral("NameFilterEdit"));
        m_status = window->findChild<QLabel *>(QStringLiteral("StatusLabel"));
        m_view = window->findChild<QAbstractItemView *>(QStringLiteral("FileListDetails"));
        auto *scope = window->findChild<QComboBox *>(QStringLiteral("FindScope"));
        if (scope)
            scope->setCurrentIndex(scope->count() - 1);
    }
    bool ready() const { return m_edit && m_status && m_view; }

    Timing type(const QString &query)
    {
        // Back to the folder, and a pause as between two searches.
        m_edit->clear();
        QEventLoop settle;
        QTimer::singleShot(300, &settle, &QEventLoop::quit);
        settle.exec();

        Timing timing;
        QEventLoop loop;
        QElapsedTimer clock;
        qint64 lastTick = 0;
        QAbstractItemModel *model = m_view->model();
        const auto rows = QObject::connect(model, &QAbstractItemModel::rowsInserted, [&] {
            if (timing.first == 0)
                timing.first = clock.nsecsElapsed() / 1e9;
        });
        // Asked every millisecond: whether the search is done, and how long
        // since the GUI thread last answered.
        QTimer tick;
        tick.setInterval(1);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            timing.stall = std::max(timing.stall, (now - lastTick) / 1e9);
            lastTick = now;
            const QString text = m_status->text();
            if (text.contains(QStringLiteral(" found below ")) && !text.contains(QStringLiteral(", searching"))) {
                timing.whole = now / 1e9;
                loop.quit();
            }
        });
        clock.start();
        tick.start();
        m_edit->setText(query);
        loop.exec();
        timing.found = model->rowCount();
        QObject::disconnect(rows);
        return timing;
    }

private:
    OpenedBrowser m_browser;
    QLineEdit *m_edit = nullptr;
    QLabel *m_status = nullptr;
    QAbstractItemView *m_view = nullptr;
};

double indexAlone(const QString &query)
{
    libraryindex::LibraryIndex index(
        { libraryindex::LibraryIndex::defaultDatabasePath(), { QStringLiteral("*.wav;*.flac;*.mp3") } });
    QEventLoop loop;
    QElapsedTimer clock;
    double whole = 0;
    QObject::connect(&index, &libraryindex::LibraryIndex::found, [&](const libraryindex::SearchBatch &batch) {
        if (batch.final) {
            whole = clock.nsecsElapsed() / 1e9;
            loop.quit();
        }
    });
    clock.start();
    if (index.search(libraryRoot(), query).ok())
        loop.exec();
    return whole;
}

// Everything below the root in the index, written.
void fillIndex()
{
    libraryindex::LibraryIndex index(
        { libraryindex::LibraryIndex::defaultDatabasePath(), { QStringLiteral("*.wav;*.flac;*.mp3") } });
    QEventLoop loop;
    const auto all = index.search(libraryRoot(), QString());
    if (!all.ok())
        return;
    QObject::connect(&index, &libraryindex::LibraryIndex::indexSaved, [&](quint64 saved) {
        if (saved == all.value())
            loop.quit();
    });
    loop.exec();
}

void removeIndex()
{
    for (const char *suffix : { "", "-wal", "-shm" })
        QFile::remove(libraryindex::LibraryIndex::defaultDatabasePath() + QString::fromUtf8(suffix));
}

// The figures of a benchmark's iterations.
struct Totals
{
    Timing sum;
    double index = 0;
    int found = 0;

    void add(benchmark::State &state, double indexSeconds, const Timing &timing)
    {
        index += indexSeconds;
        sum.first += timing.first;
        sum.whole += timing.whole;
        sum.stall = std::max(sum.stall, timing.stall);
        found = timing.found;
        state.SetIterationTime(timing.whole);
    }

    void report(benchmark::State &state) const
    {
        const double n = double(state.iterations());
        state.counters["found"] = found;
        state.counters["first_ms"] = 1000 * sum.first / n;
        state.counters["stall_ms"] = 1000 * sum.stall;
        state.counters["index_ms"] = 1000 * index / n;
        state.counters["vs_index"] = index > 0 ? sum.whole / index : 0;
    }
};

void BM_SearchBelowWarm(benchmark::State &state)
{
    removeIndex();
    fillIndex();
    SearchingBrowser browser;
    if (!browser.ready()) {
        state.SkipWithError("the browser did not open");
        return;
    }
    Totals totals;
    for (auto _ : state) {
        const double index = indexAlone(QStringLiteral("kick"));
        totals.add(state, index, browser.type(QStringLiteral("kick")));
    }
    totals.report(state);
}
BENCHMARK(BM_SearchBelowWarm)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_SearchBelowCold(benchmark::State &state)
{
    Totals totals;
    for (auto _ : state) {
        removeIndex();
        const double index = indexAlone(QStringLiteral("kick"));
        removeIndex();
        SearchingBrowser browser;
        if (!browser.ready()) {
            state.SkipWithError("the browser did not open");
            return;
        }
        totals.add(state, index, browser.type(QStringLiteral("kick")));
    }
    totals.report(state);
}
BENCHMARK(BM_SearchBelowCold)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    // An index of the benchmark's own.
    QTemporaryDir cache(QDir::tempPath() + QStringLiteral("/vantrel-bench-cache-XXXXXX"));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication app(argc, argv);
    libraryRoot();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
