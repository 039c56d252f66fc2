// The audio columns of the browser's details view, measured through the
// dialog library's C interface the way the program uses it.
//   BM_AudioColumns_List   a folder of real audio files entered with the
//                          duration column shown and hidden, alternately in
//                          the same run: first_rows_*_ms (path entered -> the
//                          list has rows and painted them), complete_*_ms
//                          (the whole sorted list), their ratios on/off, and
//                          the longest GUI stall with the column off and on
//   BM_AudioColumns_FillPage  all five columns shown, files new to the cache
//                          (fresh modification times): path entered -> every
//                          row on screen shows its duration; visible_rows
//                          and max_stall_ms beside it
// longest_event_cpu_*_ms is the longest event in GUI-thread CPU time: the
// stall the GUI caused, apart from waiting for a core on a busy machine.

#include "BrivaneDialogs.h"
#include "OpenedBrowser.h"
#include "platform/WindowMessage.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <dlfcn.h>
#include <time.h>
#include <utime.h>

namespace {

constexpr int kDurationColumn = 4;
constexpr int kAudioColumns = 5;

QString fixtureRoot()
{
    return QStringLiteral(BD_BENCH_FIXTURES);
}

QString makeTone(const QString &path, const QStringList &encoding)
{
    if (QFileInfo(path).size() > 0)
        return path;
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
        QStringList { QStringLiteral("-nostdin"), QStringLiteral("-loglevel"), QStringLiteral("error"),
            QStringLiteral("-y"), QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
            QStringLiteral("sine=frequency=330:sample_rate=44100:duration=3") }
            + encoding + QStringList { path });
    return ffmpeg.waitForFinished(120000) && ffmpeg.exitCode() == 0 ? path : QString();
}

// count real audio files (wav, flac and mp3 in turn), made once.
QString makeFolder(int count)
{
    const QString folder = fixtureRoot() + QStringLiteral("/audio-%1").arg(count);
    const QString marker = folder + QStringLiteral(".complete");
    if (QFileInfo::exists(marker))
        return folder;
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const QString sources[] = {
        makeTone(fixtureRoot() + QStringLiteral("/tone.wav"), { QStringLiteral("-c:a"), QStringLiteral("pcm_s16le") }),
        makeTone(fixtureRoot() + QStringLiteral("/tone.flac"), {}),
        makeTone(fixtureRoot() + QStringLiteral("/tone.mp3"), { QStringLiteral("-b:a"), QStringLiteral("128k") }),
    };
    for (const QString &source : sources) {
        if (source.isEmpty())
            return {};
    }
    for (int i = 0; i < count; ++i) {
        const QString &source = sources[i % 3];
        QFile::copy(source,
            folder + QStringLiteral("/Take %1.%2").arg(i, 5, 10, QLatin1Char('0')).arg(QFileInfo(source).suffix()));
    }
    QFile(marker).open(QIODevice::WriteOnly);
    return folder;
}

// Measures the GUI thread's CPU time per event it delivers: on a busy
// machine the heartbeat's lateness also counts waiting for a core, this only
// the GUI's own work.
class BenchApplication : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        if (QThread::currentThread() != thread() || m_depth++ > 0) {
            const bool handled = QApplication::notify(receiver, event);
            if (QThread::currentThread() == thread())
                --m_depth;
            return handled;
        }
        const double start = threadCpuMs();
        const bool handled = QApplication::notify(receiver, event);
        --m_depth;
        s_longestEventCpuMs = std::max(s_longestEventCpuMs, threadCpuMs() - start);
        return handled;
    }

    static double threadCpuMs()
    {
        timespec now {};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
    }
    static inline double s_longestEventCpuMs = 0;

private:
    int m_depth = 0;
};

// Runs the event loop until done(), with a 2 ms heartbeat whose lateness is
// the longest time the GUI thread was busy with one thing.
struct Pump
{
    double maxStallMs = 0;
    double firstMs = -1;

    template<typename Done, typename First> bool run(Done done, First first, const QElapsedTimer &clock)
    {
        constexpr int kBeatMs = 2;
        QTimer beat;
        beat.setTimerType(Qt::PreciseTimer);
        beat.setInterval(kBeatMs);
        QElapsedTimer sinceBeat;
        sinceBeat.start();
        QObject::connect(&beat, &QTimer::timeout, [&] {
            maxStallMs = std::max(maxStallMs, sinceBeat.nsecsElapsed() / 1e6 - kBeatMs);
            sinceBeat.restart();
        });
        beat.start();
        while (!done()) {
            if (clock.elapsed() > 120000)
                return false;
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            if (firstMs < 0 && first())
                firstMs = clock.nsecsElapsed() / 1e6;
        }
        return true;
    }
};

class Browser
{
public:
    Browser()
        : m_empty(emptyFolder())
        , m_opened(m_empty, u"All audio files|*.mp3;*.flac;*.wav", u"UIDPIScaling=96",
              TBDGUID { 0xB0B0B0B1, 0x1, 0x2, { 1, 2, 3, 4, 5, 6, 7, 9 } })
        , m_window(m_opened.window())
    { }

    bool ok() const { return m_window != nullptr; }
    QTreeView *details() const { return m_window->findChild<QTreeView *>(QStringLiteral("FileListDetails")); }
    bool complete(int rows) const
    {
        return details()->model()->rowCount() == rows
            && !m_window->findChild<QLabel *>(QStringLiteral("StatusLabel"))->text().contains(u"reading");
    }
    void enter(const QString &folder)
    {
        auto *path = m_window->findChild<QLineEdit *>(QStringLiteral("PathEdit"));
        path->setText(folder);
        QTest::keyClick(path, Qt::Key_Return);
    }
    void leave()
    {
        enter(m_empty);
        QElapsedTimer clock;
        clock.start();
        Pump().run([this] { return complete(0); }, [] { return false; }, clock);
    }
    void showColumns(int count)
    {
        for (int i = 0; i < kAudioColumns; ++i)
            details()->header()->setSectionHidden(kDurationColumn + i, i >= count);
    }

private:
    static QString emptyFolder()
    {
        const QString empty = fixtureRoot() + QStringLiteral("/empty");
        QDir().mkpath(empty);
        return empty;
    }

    QString m_empty;
    OpenedBrowser m_opened;
    QWidget *m_window;
};

Browser *g_browser = nullptr;

// The browser, with the folder of the run's number of files made, or null
// once the run is told why it cannot go on.
Browser *browserFor(benchmark::State &state, QString &folder)
{
    folder = makeFolder(int(state.range(0)));
    if (folder.isEmpty() || !g_browser->ok()) {
        state.SkipWithError("no fixture or no library");
        return nullptr;
    }
    return g_browser;
}

void listWithDuration(benchmark::State &state)
{
    const int count = int(state.range(0));
    QString folder;
    Browser *opened = browserFor(state, folder);
    if (!opened)
        return;
    Browser &browser = *opened;
    QAbstractItemView *list = browser.details();
    double first[2] = {};
    double complete[2] = {};
    double stall[2] = {};
    double eventCpu[2] = {};
    int runs[2] = {};
    int pass = 0;
    for (auto _ : state) {
        // Off and on in turn, so both meet the same machine.
        const int on = pass++ % 2;
        state.PauseTiming();
        browser.leave();
        browser.showColumns(on);
        state.ResumeTiming();
        QElapsedTimer clock;
        clock.start();
        browser.enter(folder);
        BenchApplication::s_longestEventCpuMs = 0;
        Pump pump;
        const bool done = pump.run([&] { return browser.complete(count) && pump.firstMs >= 0; },
            [&] { return list->model()->rowCount() > 0; }, clock);
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        if (!done) {
            state.SkipWithError("listing did not complete");
            return;
        }
        first[on] += pump.firstMs;
        complete[on] += clock.nsecsElapsed() / 1e6;
        ++runs[on];
        stall[on] = std::max(stall[on], pump.maxStallMs);
        eventCpu[on] = std::max(eventCpu[on], BenchApplication::s_longestEventCpuMs);
    }
    browser.showColumns(1);
    for (int on : { 0, 1 }) {
        first[on] /= std::max(1, runs[on]);
        complete[on] /= std::max(1, runs[on]);
    }
    state.counters["first_rows_off_ms"] = first[0];
    state.counters["first_rows_on_ms"] = first[1];
    state.counters["first_rows_on_vs_off"] = first[1] / std::max(first[0], 1e-3);
    state.counters["complete_off_ms"] = complete[0];
    state.counters["complete_on_ms"] = complete[1];
    state.counters["complete_on_vs_off"] = complete[1] / std::max(complete[0], 1e-3);
    state.counters["max_stall_off_ms"] = stall[0];
    state.counters["max_stall_on_ms"] = stall[1];
    state.counters["longest_event_cpu_off_ms"] = eventCpu[0];
    state.counters["longest_event_cpu_on_ms"] = eventCpu[1];
}

void fillVisiblePage(benchmark::State &state)
{
    QString folder;
    Browser *opened = browserFor(state, folder);
    if (!opened)
        return;
    Browser &browser = *opened;
    QTreeView *list = browser.details();
    browser.showColumns(kAudioColumns);
    qint64 stamp = QDateTime::currentSecsSinceEpoch();
    double stall = 0;
    double eventCpu = 0;
    int visible = 0;
    for (auto _ : state) {
        state.PauseTiming();
        browser.leave();
        // New modification times make every file new to the cache.
        ++stamp;
        for (const QFileInfo &file : QDir(folder).entryInfoList(QDir::Files)) {
            utimbuf times { stamp, stamp };
            utime(QFile::encodeName(file.filePath()).constData(), &times);
        }
        state.ResumeTiming();
        QElapsedTimer clock;
        clock.start();
        browser.enter(folder);
        auto filled = [&] {
            if (list->model()->rowCount() == 0)
                return false;
            const int last = list->indexAt(QPoint(1, list->viewport()->height() - 2)).row();
            visible = (last < 0 ? list->model()->rowCount() - 1 : last) + 1;
            for (int row = 0; row < visible; ++row) {
                if (list->model()->index(row, kDurationColumn).data().toString().isEmpty())
                    return false;
            }
            return true;
        };
        Pump pump;
        const bool done = pump.run(
            filled, [] { return false; }, clock);
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        if (!done) {
            state.SkipWithError("the page did not fill");
            break;
        }
        stall = std::max(stall, pump.maxStallMs);
        eventCpu = std::max(eventCpu, BenchApplication::s_longestEventCpuMs);
    }
    browser.showColumns(1);
    state.counters["visible_rows"] = visible;
    state.counters["max_stall_ms"] = stall;
    state.counters["longest_event_cpu_ms"] = eventCpu;
}

} // namespace

BENCHMARK(listWithDuration)
    ->Name("BM_AudioColumns_List")
    ->Arg(10000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK(fillVisiblePage)
    ->Name("BM_AudioColumns_FillPage")
    ->Arg(10000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    // The browser remembers folders; keep that out of the user's key store.
    QStandardPaths::setTestModeEnabled(true);
    BenchApplication app(argc, argv);
    g_browser = new Browser;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete g_browser;
    return 0;
}
