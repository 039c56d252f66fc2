// Copying 1 GB into a preset folder, against `cp` in the same run. Rounds
// interleave the three ways so the machine's ups and downs touch all of
// them alike; the page cache is warm (the source was just written). Figures:
//   cp      the `cp` tool, started as a process (what a user compares with)
//   engine  FileOperation::Run on this thread: temporary name, progress,
//           rename
//   window  the copy button's path: worker thread, progress window after
//           500 ms, the GUI thread handling events; beside it the longest
//           gap between two ticks of a 10 ms GUI timer
// The target is `window` within 1.1x of `cp`.
#include "app/FileOperationRunner.h"
#include "util/FileOperation.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr qint64 kSize = qint64(1) << 30;
constexpr int kRounds = 7;

struct NullObserver : FileOperationObserver
{
    ConflictDecision resolveConflict(const FileConflict &) override { return { ConflictResolution::Replace, true }; }
    ErrorResolution resolveError(const QString &, const QString &message) override
    {
        std::fprintf(stderr, "error: %s\n", qPrintable(message));
        return ErrorResolution::Cancel;
    }
};

bool makeSource(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray block(1 << 20, Qt::Uninitialized);
    quint32 state = 1;
    for (qint64 done = 0; done < kSize; done += block.size()) {
        for (char &byte : block) {
            state = state * 1664525u + 1013904223u;
            byte = char(state >> 24);
        }
        if (file.write(block) != block.size())
            return false;
    }
    return file.flush();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    // Beside the build by default: the same file system as a user's music.
    const QString base = qEnvironmentVariableIsSet("VANTREL_BENCH_DIR") ? qEnvironmentVariable("VANTREL_BENCH_DIR")
                                                                        : QDir::currentPath();
    QTemporaryDir folder(base + QStringLiteral("/vantrel-copy-bench-XXXXXX"));
    const QString source = folder.filePath(QStringLiteral("large.flac"));
    const QString target = folder.filePath(QStringLiteral("copies"));
    const QString copy = target + QStringLiteral("/large.flac");
    QDir().mkpath(target);
    if (!makeSource(source)) {
        std::fprintf(stderr, "cannot write 1 GB into %s\n", qPrintable(folder.path()));
        return 1;
    }

    QWidget window;
    window.setObjectName(QStringLiteral("FormMain"));
    window.resize(400, 300);
    window.show();

    std::vector<double> cp, engine, gui;
    qint64 longestGap = 0;
    bool progressShown = false;
    bool complete = true;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer clock;

        clock.start();
        QProcess::execute(QStringLiteral("cp"), { source, copy });
        cp.push_back(double(clock.nsecsElapsed()) / 1e6);
        complete &= QFileInfo(copy).size() == kSize;
        QFile::remove(copy);

        NullObserver observer;
        FileOperation operation(FileOperationKind::Copy, { source }, target);
        clock.start();
        operation.Run(observer);
        engine.push_back(double(clock.nsecsElapsed()) / 1e6);
        complete &= QFileInfo(copy).size() == kSize;
        QFile::remove(copy);

        QElapsedTimer sinceTick;
        QTimer heartbeat;
        QObject::connect(&heartbeat, &QTimer::timeout, [&] {
            longestGap = std::max(longestGap, sinceTick.restart());
            for (QWidget *top : QApplication::topLevelWidgets())
                progressShown |= top->objectName() == QStringLiteral("FormFileOperationProgress") && top->isVisible();
        });
        sinceTick.start();
        heartbeat.start(10);
        clock.start();
        RunFileOperation(&window, FileOperationKind::Copy, { source }, target);
        gui.push_back(double(clock.nsecsElapsed()) / 1e6);
        heartbeat.stop();
        complete &= QFileInfo(copy).size() == kSize;
        QFile::remove(copy);
    }

    const double floor = median(cp);
    std::printf("Copy 1 GB into a folder on %s, %d interleaved rounds, medians\n", qPrintable(base), kRounds);
    std::printf("  cp                     %8.1f ms\n", floor);
    std::printf("  engine                 %8.1f ms   %.2fx cp\n", median(engine), median(engine) / floor);
    std::printf("  copy button (window)   %8.1f ms   %.2fx cp   (target <= 1.10x)\n", median(gui), median(gui) / floor);
    std::printf("  longest GUI gap %lld ms, progress window %s\n", longestGap, progressShown ? "shown" : "not shown");
    if (!complete) {
        std::printf("  FAILED: a copy was incomplete\n");
        return 1;
    }
    return 0;
}
