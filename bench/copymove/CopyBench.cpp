// Copying 1 GB through the copy/move path of the main window. The floor is
// the kernel's own file copy (std::filesystem::copy_file); the program adds
// its temporary name, progress and the worker thread. Beside the time, the
// longest gap between two ticks of a 10 ms GUI timer during the copy shows
// whether the window stays responsive, and whether the progress window came.
#include "app/FileOperationRunner.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

namespace {

constexpr qint64 kSize = qint64(1) << 30;

QString g_source;
QString g_target;

void makeSource(const QString &folder)
{
    g_source = folder + QStringLiteral("/large.flac");
    g_target = folder + QStringLiteral("/copies");
    QDir().mkpath(g_target);
    QFile file(g_source);
    file.open(QIODevice::WriteOnly);
    QByteArray block(1 << 20, Qt::Uninitialized);
    quint32 state = 1;
    for (qint64 done = 0; done < kSize; done += block.size()) {
        for (char &byte : block) {
            state = state * 1664525u + 1013904223u;
            byte = char(state >> 24);
        }
        file.write(block);
    }
}

void removeCopy()
{
    QFile::remove(g_target + QStringLiteral("/large.flac"));
}

void BM_KernelCopyFloor(benchmark::State &state)
{
    const std::filesystem::path from = QFile::encodeName(g_source).toStdString();
    const std::filesystem::path to = QFile::encodeName(g_target + QStringLiteral("/large.flac")).toStdString();
    for (auto _ : state) {
        std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
        state.PauseTiming();
        removeCopy();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * kSize);
}
BENCHMARK(BM_KernelCopyFloor)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_CopyThroughTheWindow(benchmark::State &state)
{
    QWidget window;
    window.setObjectName(QStringLiteral("FormMain"));
    window.resize(400, 300);
    window.show();
    qint64 longestGap = 0;
    bool progressShown = false;
    for (auto _ : state) {
        QElapsedTimer sinceTick;
        sinceTick.start();
        QTimer heartbeat;
        QObject::connect(&heartbeat, &QTimer::timeout, [&] {
            longestGap = std::max(longestGap, sinceTick.restart());
            for (QWidget *top : QApplication::topLevelWidgets())
                progressShown |= top->objectName() == QStringLiteral("FormFileOperationProgress") && top->isVisible();
        });
        heartbeat.start(10);
        RunFileOperation(&window, FileOperationKind::Copy, {g_source}, g_target);
        heartbeat.stop();
        state.PauseTiming();
        if (QFileInfo(g_target + QStringLiteral("/large.flac")).size() != kSize)
            state.SkipWithError("the copy is incomplete");
        removeCopy();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * kSize);
    state.counters["longest_gui_gap_ms"] = double(longestGap);
    state.counters["progress_window"] = progressShown ? 1 : 0;
}
BENCHMARK(BM_CopyThroughTheWindow)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/vantrel-copy-bench-XXXXXX"));
    makeSource(folder.path());
    std::printf("Copying 1 GB: the window must keep handling events (gap well under 100 ms) and show progress\n");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
