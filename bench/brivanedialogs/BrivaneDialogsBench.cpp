// Listing large folders and drawing waveform thumbnails in the dialog
// library's browser, measured through its C interface the way the program
// uses it. Each listing benchmark reports:
//   iteration time  path entered -> complete sorted list (with size and date)
//   floor_ms        readdir + stat of the same folder, measured between the
//                   iterations; complete_vs_floor is the ratio
//   first_rows_ms   path entered -> the first rows are painted (the end of
//                   the first paint of the list that covers its first page
//                   of rows; a strip painted earlier does not count);
//                   first_paint_cpu_ms is that paint alone, first_rows_target_ms
//                   the goal and first_rows_vs_target the ratio
//   max_stall_ms    longest single pass of the GUI event loop meanwhile;
//                   longest_event_cpu_ms the longest event in GUI-thread CPU
//                   time (what the GUI did, without waiting for a core on a
//                   busy machine), against stall_budget_ms
//   leave_ms        Enter on another folder while this one is shown
// BM_QFileSystemModel_* is Qt's QFileSystemModel with a QTreeView on the same
// folder in the same run, the reference the browser is compared with: it
// prints the browser's figures of the same folder beside its own and
// qfsm_vs_browser, how many times longer it took.

#include "BrivaneDialogs.h"
#include "OpenedBrowser.h"
#include "platform/WindowMessage.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPaintEvent>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <functional>
#include <map>
#include <random>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <utime.h>

namespace {

const QStringList kAudioPatterns = {
    QStringLiteral("*.mp3"),
    QStringLiteral("*.flac"),
    QStringLiteral("*.wav"),
    QStringLiteral("*.m4a"),
    QStringLiteral("*.ogg"),
    QStringLiteral("*.oga"),
    QStringLiteral("*.aac"),
    QStringLiteral("*.wma"),
};

double residentMegabytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : 0;
}

QString fixtureRoot()
{
    return QStringLiteral(BD_BENCH_FIXTURES);
}

// A folder of count files, one in ten not audio, in shuffled creation order
// (the order readdir returns is then far from sorted).
QString makeFolder(int count)
{
    const QString folder = fixtureRoot() + QStringLiteral("/files-%1").arg(count);
    const QString marker = folder + QStringLiteral(".complete");
    if (QFileInfo::exists(marker))
        return folder;
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    std::vector<int> order(std::size_t(count), 0);
    for (int i = 0; i < count; ++i)
        order[std::size_t(i)] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(42));
    static const char *const extensions[] = { "mp3", "flac", "wav", "m4a", "ogg" };
    for (int i : order) {
        const char *ext = i % 10 == 9 ? "txt" : extensions[i % 5];
        QFile file(folder + QStringLiteral("/Artist %1 - Track %2.%3").arg(i % 97).arg(i).arg(QLatin1String(ext)));
        if (file.open(QIODevice::WriteOnly))
            file.write("x");
    }
    QFile(marker).open(QIODevice::WriteOnly);
    return folder;
}

// The floor of any listing: every name read and every entry stat'ed, no
// filtering, sorting or model.
double readdirStatMs(const QString &folder)
{
    QElapsedTimer clock;
    clock.start();
    DIR *dir = opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return 0;
    const int fd = dirfd(dir);
    long entries = 0;
    while (const dirent *entry = readdir(dir)) {
        struct stat info
        {
        };
        if (fstatat(fd, entry->d_name, &info, 0) == 0)
            ++entries;
    }
    closedir(dir);
    benchmark::DoNotOptimize(entries);
    return clock.nsecsElapsed() / 1e6;
}

// The browser's figures per folder size, for the reference benchmark that
// runs after it.
struct BrowserFigures
{
    double completeMs = 0;
    double firstRowsMs = 0;
};
std::map<int, BrowserFigures> g_browserFigures;

constexpr double kFirstRowsTargetMs = 5;

int audioCount(int count)
{
    return count - count / 10;
}

QString makeThumbnailFolder(int count, int seconds)
{
    const QString folder = fixtureRoot() + QStringLiteral("/mp3-%1x%2s").arg(count).arg(seconds);
    const QString marker = folder + QStringLiteral(".complete");
    if (QFileInfo::exists(marker))
        return folder;
    QDir().mkpath(folder);
    const QString first = folder + QStringLiteral("/take 01.mp3");
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
        { QStringLiteral("-nostdin"), QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y"),
            QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
            QStringLiteral("sine=frequency=220:sample_rate=44100:duration=%1").arg(seconds), QStringLiteral("-ac"),
            QStringLiteral("2"), QStringLiteral("-b:a"), QStringLiteral("192k"), first });
    if (!ffmpeg.waitForFinished(300000) || ffmpeg.exitCode() != 0)
        return {};
    for (int i = 2; i <= count; ++i)
        QFile::copy(first, folder + QStringLiteral("/take %1.mp3").arg(i, 2, 10, QLatin1Char('0')));
    QFile(marker).open(QIODevice::WriteOnly);
    return folder;
}

// The application measures how long each event it delivers takes: the
// longest is GUI work that blocked the event loop, apart from waiting for the
// CPU on a busy machine (which the heartbeat below also counts).
class BenchApplication : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        // Other threads' events (the listing thread's work) are not GUI stalls.
        if (QThread::currentThread() != thread())
            return QApplication::notify(receiver, event);
        if (event->type() == QEvent::Paint && receiver == s_watchedViewport && s_firstPaintEndNs < 0 && s_showsRows) {
            // Asked after the paint: the view lays its rows out in it.
            const QRegion painted = static_cast<QPaintEvent *>(event)->region();
            const double cpuStart = threadCpuMs();
            const bool handled = QApplication::notify(receiver, event);
            const double cpuMs = threadCpuMs() - cpuStart;
            const qint64 endNs = s_clock.nsecsElapsed();
            if (s_showsRows(painted)) {
                s_firstPaintMs = cpuMs;
                s_firstPaintEndNs = endNs;
            }
            return handled;
        }
        if (m_depth++ > 0) {
            const bool handled = QApplication::notify(receiver, event);
            --m_depth;
            return handled;
        }
        QElapsedTimer clock;
        clock.start();
        const double cpuStart = threadCpuMs();
        const bool handled = QApplication::notify(receiver, event);
        --m_depth;
        s_longestEventMs = std::max(s_longestEventMs, clock.nsecsElapsed() / 1e6);
        s_longestEventCpuMs = std::max(s_longestEventCpuMs, threadCpuMs() - cpuStart);
        return handled;
    }

    // CPU time of the GUI thread: on a busy machine the wall clock also
    // counts waiting for a core, this only the work itself.
    static double threadCpuMs()
    {
        timespec now {};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
    }

    static inline double s_longestEventCpuMs = 0;

    static inline double s_longestEventMs = 0;
    // Paints of the watched list: the first one that shows rows ends
    // "first rows". A paint of a strip of the list (a message hidden above
    // the rows) does not: the page of rows must be in the painted region.
    static inline QWidget *s_watchedViewport = nullptr;
    static inline std::function<bool(const QRegion &)> s_showsRows;
    static inline double s_firstPaintMs = -1; // that paint alone, GUI thread CPU time
    static inline qint64 s_firstPaintEndNs = -1; // on s_clock
    static inline QElapsedTimer s_clock;

    static void watchPaints(QWidget *viewport, std::function<bool(const QRegion &)> showsRows)
    {
        s_watchedViewport = viewport;
        s_showsRows = std::move(showsRows);
        s_firstPaintMs = -1;
        s_firstPaintEndNs = -1;
    }

private:
    int m_depth = 0;
};

// Runs the event loop until done() holds, sleeping while there is nothing to
// do (a busy loop would steal the CPU from the listing thread). A precise 2 ms
// heartbeat measures GUI stalls: how late it fires is how long the GUI
// thread was busy with one thing.
struct Pump
{
    double maxStallMs = 0;
    double longestEventMs = 0;
    double firstMs = -1;

    template<typename Done, typename First>
    bool run(Done done, First first, const QElapsedTimer &clock, int timeoutMs = 60000)
    {
        BenchApplication::s_longestEventMs = 0;
        struct Collect
        {
            Pump &pump;
            ~Collect() { pump.longestEventMs = std::max(pump.longestEventMs, BenchApplication::s_longestEventMs); }
        } collect { *this };
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
            if (clock.elapsed() > timeoutMs)
                return false;
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            if (firstMs < 0 && first())
                firstMs = clock.nsecsElapsed() / 1e6;
        }
        maxStallMs = std::max(maxStallMs, sinceBeat.nsecsElapsed() / 1e6 - kBeatMs);
        return true;
    }
};

// The browser opened once, as the program opens it.
class Browser
{
public:
    // Made at first use; main() destroys it while the QApplication still exists.
    static Browser &instance()
    {
        if (!s_instance)
            s_instance = new Browser;
        return *s_instance;
    }
    static void destroy()
    {
        delete s_instance;
        s_instance = nullptr;
    }

    bool ok() const { return m_window != nullptr; }
    QLineEdit *pathEdit() const { return m_window->findChild<QLineEdit *>(QStringLiteral("PathEdit")); }
    QAbstractItemView *details() const
    {
        return m_window->findChild<QAbstractItemView *>(QStringLiteral("FileListDetails"));
    }
    QListView *thumbnails() const { return m_window->findChild<QListView *>(QStringLiteral("FileListThumbnails")); }
    QLabel *status() const { return m_window->findChild<QLabel *>(QStringLiteral("StatusLabel")); }
    QWidget *window() const { return m_window; }

    void enter(const QString &folder)
    {
        pathEdit()->setText(folder);
        QTest::keyClick(pathEdit(), Qt::Key_Return);
    }
    bool complete(int rows) const
    {
        return details()->model()->rowCount() == rows && !status()->text().contains(QStringLiteral("reading"));
    }
    // Leaving a large folder is GUI work too: its longest event is kept.
    void leave()
    {
        QElapsedTimer leaving;
        leaving.start();
        const double cpuStart = BenchApplication::threadCpuMs();
        enter(m_empty);
        s_leaveMs = std::max(s_leaveMs, leaving.nsecsElapsed() / 1e6);
        s_leaveCpuMs = std::max(s_leaveCpuMs, BenchApplication::threadCpuMs() - cpuStart);
        QElapsedTimer clock;
        clock.start();
        Pump().run([this] { return complete(0); }, [] { return false; }, clock);
    }

private:
    Browser()
        : m_empty(emptyFolder())
        , m_opened(m_empty, u"All audio files|*.mp3;*.flac;*.wav;*.m4a;*.ogg;*.oga;*.aac;*.wma",
              u"UIDPIScaling=96\r\nThumbnailsWidth=160\r\nThumbnailsHeight=48",
              TBDGUID { 0xB0B0B0B0, 0x1, 0x2, { 1, 2, 3, 4, 5, 6, 7, 8 } })
        , m_window(m_opened.window())
    { }

    static QString emptyFolder()
    {
        const QString empty = fixtureRoot() + QStringLiteral("/empty");
        QDir().mkpath(empty);
        return empty;
    }

    static inline Browser *s_instance = nullptr;

public:
    static inline double s_leaveMs = 0;
    static inline double s_leaveCpuMs = 0;
    QString m_empty;
    OpenedBrowser m_opened;
    QWidget *m_window;
};

// The rows the list shows from its top, as far down as they reach in its
// viewport.
QRect firstPage(QAbstractItemView *list)
{
    const QAbstractItemModel *model = list->model();
    const QRect first = list->visualRect(model->index(0, 0));
    QModelIndex last = list->indexAt(QPoint(first.center().x(), list->viewport()->height() - 1));
    if (!last.isValid())
        last = model->index(model->rowCount() - 1, 0);
    return first.united(list->visualRect(last)).intersected(list->viewport()->rect());
}

void browserListing(benchmark::State &state)
{
    const int count = int(state.range(0));
    const QString folder = makeFolder(count);
    Browser &browser = Browser::instance();
    if (!browser.ok()) {
        state.SkipWithError("libBrivaneDialogs.so not loaded");
        return;
    }
    const int rows = audioCount(count);
    double firstTotal = 0;
    double firstPaintTotal = 0;
    double completeTotal = 0;
    double floorTotal = 0;
    double stall = 0;
    double longest = 0;
    Browser::s_leaveMs = 0;
    Browser::s_leaveCpuMs = 0;
    BenchApplication::s_longestEventCpuMs = 0;
    QAbstractItemView *list = browser.details();
    for (auto _ : state) {
        state.PauseTiming();
        browser.leave();
        floorTotal += readdirStatMs(folder);
        BenchApplication::watchPaints(list->viewport(), [list](const QRegion &painted) {
            if (list->model()->rowCount() == 0)
                return false;
            const QRect page = firstPage(list);
            return !page.isEmpty() && QRegion(page).subtracted(painted).isEmpty();
        });
        state.ResumeTiming();
        QElapsedTimer &clock = BenchApplication::s_clock;
        clock.start();
        browser.enter(folder);
        Pump pump;
        const bool done = pump.run([&] { return browser.complete(rows) && BenchApplication::s_firstPaintEndNs >= 0; },
            [] { return false; }, clock);
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        const double firstRows = BenchApplication::s_firstPaintEndNs / 1e6;
        const double firstPaint = BenchApplication::s_firstPaintMs;
        BenchApplication::watchPaints(nullptr, {});
        if (!done) {
            state.SkipWithError("listing did not complete");
            return;
        }
        completeTotal += clock.nsecsElapsed() / 1e6;
        firstTotal += firstRows;
        firstPaintTotal += firstPaint;
        stall = std::max(stall, pump.maxStallMs);
        longest = std::max({ longest, pump.longestEventMs, BenchApplication::s_longestEventMs });
    }
    const double iterations = double(state.iterations());
    g_browserFigures[count] = { completeTotal / iterations, firstTotal / iterations };
    state.counters["floor_ms"] = floorTotal / iterations;
    state.counters["complete_vs_floor"] = completeTotal / std::max(floorTotal, 1e-3);
    state.counters["first_rows_ms"] = firstTotal / iterations;
    state.counters["first_paint_cpu_ms"] = firstPaintTotal / iterations;
    state.counters["longest_event_cpu_ms"] = BenchApplication::s_longestEventCpuMs;
    state.counters["stall_budget_ms"] = 16;
    state.counters["first_rows_target_ms"] = kFirstRowsTargetMs;
    state.counters["first_rows_vs_target"] = firstTotal / iterations / kFirstRowsTargetMs;
    state.counters["max_stall_ms"] = stall;
    state.counters["longest_event_ms"] = longest;
    state.counters["rows"] = rows;
    state.counters["resident_mb"] = residentMegabytes(); // whole process, folder still shown
    browser.leave();
    state.counters["leave_ms"] = Browser::s_leaveMs; // Enter on another folder while this one is shown
    state.counters["leave_cpu_ms"] = Browser::s_leaveCpuMs;
}

// A file appears in a folder already shown: time until the list has it (the
// watcher's report, the pause that gathers bursts, a new listing and the
// merge), and the stall that costs the GUI.
void browserLiveRefresh(benchmark::State &state)
{
    const int count = int(state.range(0));
    const QString folder = makeFolder(count);
    Browser &browser = Browser::instance();
    if (!browser.ok()) {
        state.SkipWithError("libBrivaneDialogs.so not loaded");
        return;
    }
    int rows = audioCount(count);
    browser.leave();
    browser.enter(folder);
    QElapsedTimer opening;
    opening.start();
    Pump().run([&] { return browser.complete(rows); }, [] { return false; }, opening);
    double stall = 0;
    double longest = 0;
    int added = 0;
    for (auto _ : state) {
        const QString name = folder + QStringLiteral("/zz new take %1.mp3").arg(added++);
        QElapsedTimer clock;
        clock.start();
        QFile(name).open(QIODevice::WriteOnly);
        ++rows;
        Pump pump;
        const bool done = pump.run([&] { return browser.complete(rows); }, [] { return false; }, clock);
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        if (!done) {
            state.SkipWithError("the new file did not appear");
            break;
        }
        stall = std::max(stall, pump.maxStallMs);
        longest = std::max({ longest, pump.longestEventMs, BenchApplication::s_longestEventMs });
    }
    for (int i = 0; i < added; ++i)
        QFile::remove(folder + QStringLiteral("/zz new take %1.mp3").arg(i));
    browser.leave();
    state.counters["max_stall_ms"] = stall;
    state.counters["longest_event_ms"] = longest;
}

// A click on a column header of a large folder: the list sorted again.
void browserResort(benchmark::State &state)
{
    const int count = int(state.range(0));
    const QString folder = makeFolder(count);
    Browser &browser = Browser::instance();
    if (!browser.ok()) {
        state.SkipWithError("libBrivaneDialogs.so not loaded");
        return;
    }
    const int rows = audioCount(count);
    browser.leave();
    browser.enter(folder);
    QElapsedTimer opening;
    opening.start();
    Pump().run([&] { return browser.complete(rows); }, [] { return false; }, opening);
    auto *header = qobject_cast<QTreeView *>(browser.details())->header();
    int column = 0;
    for (auto _ : state) {
        column = column == 1 ? 0 : 1; // size, name, size...
        header->setSortIndicator(column, Qt::AscendingOrder);
    }
    header->setSortIndicator(0, Qt::AscendingOrder);
    browser.leave();
}

void qFileSystemModelListing(benchmark::State &state)
{
    const int count = int(state.range(0));
    const QString folder = makeFolder(count);
    const int rows = audioCount(count);
    double firstTotal = 0;
    double completeTotal = 0;
    double stall = 0;
    double longest = 0;
    for (auto _ : state) {
        QFileSystemModel model;
        model.setNameFilters(kAudioPatterns);
        model.setNameFilterDisables(false);
        QTreeView view;
        view.setModel(&model);
        view.setUniformRowHeights(true);
        view.setSortingEnabled(true);
        view.sortByColumn(0, Qt::AscendingOrder);
        view.resize(900, 800);
        view.show();
        bool loaded = false;
        QObject::connect(&model, &QFileSystemModel::directoryLoaded, [&](const QString &path) {
            if (path == folder)
                loaded = true;
        });
        QElapsedTimer clock;
        clock.start();
        const QModelIndex root = model.setRootPath(folder);
        view.setRootIndex(root);
        Pump pump;
        const bool done = pump.run([&] { return loaded && model.rowCount(root) == rows; },
            [&] { return model.rowCount(root) > 0; }, clock, 120000);
        // Its sort runs after the load; count it and the paint that follows.
        for (int i = 0; i < 3; ++i) {
            QElapsedTimer pass;
            pass.start();
            QCoreApplication::processEvents();
            pump.maxStallMs = std::max(pump.maxStallMs, pass.nsecsElapsed() / 1e6);
        }
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        completeTotal += clock.nsecsElapsed() / 1e6;
        if (!done) {
            state.SkipWithError("QFileSystemModel did not complete");
            return;
        }
        firstTotal += pump.firstMs < 0 ? clock.nsecsElapsed() / 1e6 : pump.firstMs;
        stall = std::max(stall, pump.maxStallMs);
        longest = std::max({ longest, pump.longestEventMs, BenchApplication::s_longestEventMs });
    }
    const double iterations = double(state.iterations());
    state.counters["first_rows_ms"] = firstTotal / iterations;
    state.counters["max_stall_ms"] = stall;
    state.counters["longest_event_ms"] = longest;
    state.counters["rows"] = rows;
    if (const auto ours = g_browserFigures.find(count); ours != g_browserFigures.end()) {
        state.counters["browser_ms"] = ours->second.completeMs;
        state.counters["qfsm_vs_browser"] = completeTotal / iterations / std::max(ours->second.completeMs, 1e-3);
        state.counters["browser_first_rows_ms"] = ours->second.firstRowsMs;
    }
}

void waveformThumbnails(benchmark::State &state)
{
    const int count = int(state.range(0));
    const QString folder = makeThumbnailFolder(count, 180);
    Browser &browser = Browser::instance();
    if (folder.isEmpty() || !browser.ok()) {
        state.SkipWithError("no fixture or no library");
        return;
    }
    browser.window()->findChild<QAbstractButton *>(QStringLiteral("ThumbnailsViewButton"))->click();
    qint64 stamp = QDateTime::currentSecsSinceEpoch();
    double stall = 0;
    double longest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        browser.leave();
        // A new modification time makes every file new to the thumbnail cache.
        ++stamp;
        for (int i = 1; i <= count; ++i) {
            const QByteArray path
                = QFile::encodeName(folder + QStringLiteral("/take %1.mp3").arg(i, 2, 10, QLatin1Char('0')));
            utimbuf times { stamp, stamp };
            utime(path.constData(), &times);
        }
        state.ResumeTiming();
        QElapsedTimer clock;
        clock.start();
        browser.enter(folder);
        Pump pump;
        const bool done = pump.run([&] { return browser.thumbnails()->property("readyThumbnails").toInt() >= count; },
            [] { return false; }, clock);
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        if (!done) {
            state.SkipWithError("thumbnails did not complete (are they all on screen?)");
            break;
        }
        stall = std::max(stall, pump.maxStallMs);
        longest = std::max({ longest, pump.longestEventMs, BenchApplication::s_longestEventMs });
    }
    browser.window()->findChild<QAbstractButton *>(QStringLiteral("DetailsViewButton"))->click();
    state.counters["max_stall_ms"] = stall;
    state.counters["longest_event_ms"] = longest;
}

// "Find in folder" in a large folder: one keystroke that narrows the list
// (the time is the keystroke's event, since the filter runs in it, plus the
// paint that follows), then Escape that shows every row again.
void browserFindInFolder(benchmark::State &state)
{
    const int count = int(state.range(0));
    const QString folder = makeFolder(count);
    Browser &browser = Browser::instance();
    if (!browser.ok()) {
        state.SkipWithError("libBrivaneDialogs.so not loaded");
        return;
    }
    const int rows = audioCount(count);
    browser.leave();
    browser.enter(folder);
    QElapsedTimer opening;
    opening.start();
    Pump().run([&] { return browser.complete(rows); }, [] { return false; }, opening);
    QAbstractItemView *details = browser.details();
    details->setFocus();
    QTest::keyClick(details, Qt::Key_F, Qt::ControlModifier);
    auto *edit = browser.window()->findChild<QLineEdit *>(QStringLiteral("NameFilterEdit"));
    double clearTotal = 0;
    int shown = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        QTest::keyClicks(edit, QStringLiteral("7 - Track 12"));
        QCoreApplication::processEvents();
        state.SetIterationTime(clock.nsecsElapsed() / 1e9 / 12); // per keystroke
        shown = details->model()->rowCount();
        clock.restart();
        edit->clear();
        QCoreApplication::processEvents();
        clearTotal += clock.nsecsElapsed() / 1e6;
    }
    QTest::keyClick(edit, Qt::Key_Escape);
    state.counters["shown_rows"] = shown;
    state.counters["clear_ms"] = clearTotal / double(state.iterations());
    state.counters["rows"] = rows;
    browser.leave();
}

} // namespace

BENCHMARK(browserFindInFolder)
    ->Name("BM_Browser_FindInFolder")
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(browserListing)
    ->Name("BM_Browser_List")
    ->Arg(10000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK(qFileSystemModelListing)
    ->Name("BM_QFileSystemModel_List")
    ->Arg(10000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(browserListing)
    ->Name("BM_Browser_List")
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
// Several seconds per pass: one is enough to see the ratio.
BENCHMARK(qFileSystemModelListing)
    ->Name("BM_QFileSystemModel_List")
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(browserLiveRefresh)
    ->Name("BM_Browser_LiveRefresh")
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(browserResort)->Name("BM_Browser_Resort")->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(6);
BENCHMARK(waveformThumbnails)
    ->Name("BM_Thumbnails_3min_mp3")
    ->Arg(20)
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
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Browser::destroy();
    return 0;
}
