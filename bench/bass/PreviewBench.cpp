// The preview as the program runs it, each figure beside its reference:
//  1. the longest GUI-thread stall while arrowing through 20 real files and
//     the hostile ones with preview on (the preview worker), against the
//     same arrowing with the library called on the GUI thread;
//  2. key to first decoded PCM of the first preview after start against the
//     tenth, each in a fresh process (the decoder loads in the background
//     once the output is open; the first key comes after the first paint).

#include "bass.h"
#include "preview/PreviewPlayer.h"
#include "preview/PreviewWorker.h"
#include "tests/bass/HostileAudioFiles.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

const std::string kFixtures = BASS_BENCH_FIXTURES;
// A person holding an arrow key: the repeat rate of most desktops.
constexpr int kKeyRepeatMs = 33;
// Users press their first key after the window is painted; this stands in
// for start-up to first paint (measured 60-125 ms here).
constexpr int kFirstKeyAfterMs = 150;

std::vector<std::string> realFiles()
{
    const char *names[] = { "tone.mp3", "tone.flac", "tone.wav", "tone-vorbis.oga", "tone.m4a", "tone-opus.oga",
        "tone.aac", "tone.ac3", "tone.wma", "tone.aiff" };
    std::vector<std::string> files;
    for (int round = 0; round < 2; ++round) {
        for (const char *name : names)
            files.push_back(kFixtures + "/" + name);
    }
    return files;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Arrows through the files once, a key every kKeyRepeatMs, while a zero
// timer notes the longest gap between two turns of the event loop.
double longestStallMs(const std::vector<std::string> &files, bool onWorker)
{
    PreviewWorker worker;
    std::uint32_t stream = 0;
    qint64 longest = 0;
    QElapsedTimer sinceTurn;
    sinceTurn.start();
    QTimer turns;
    turns.setInterval(0);
    QObject::connect(&turns, &QTimer::timeout, [&] {
        longest = std::max(longest, sinceTurn.nsecsElapsed());
        sinceTurn.restart();
    });
    size_t next = 0;
    QTimer keys;
    keys.setInterval(kKeyRepeatMs);
    QEventLoop loop;
    QObject::connect(&keys, &QTimer::timeout, [&] {
        if (next == files.size()) {
            loop.quit();
            return;
        }
        const QString file = QString::fromStdString(files[next++]);
        if (onWorker)
            worker.play(file);
        else
            stream = PreviewPlayer::Play(stream, file, 100);
    });
    turns.start();
    keys.start();
    loop.exec();
    worker.waitIdle();
    worker.stop();
    worker.waitIdle();
    PreviewPlayer::Stop(stream);
    return double(longest) / 1e6;
}

void stallBenchmark()
{
    std::vector<std::string> files = realFiles();
    char folder[] = "/tmp/preview-bench-XXXXXX";
    if (!mkdtemp(folder))
        return;
    std::vector<std::string> hostileFiles;
    for (const hostile::File &file : hostile::files())
        hostileFiles.push_back(hostile::write(folder, file.name));
    // Hostile files between the real ones, as a folder would mix them.
    for (size_t i = 0; i < hostileFiles.size(); ++i)
        files.insert(files.begin() + std::ptrdiff_t(1 + 3 * i), hostileFiles[i]);

    std::vector<double> ours, reference;
    for (int run = 0; run < 5; ++run) { // interleaved
        ours.push_back(longestStallMs(files, true));
        reference.push_back(longestStallMs(files, false));
    }
    const double a = median(ours), b = median(reference);
    std::printf(
        "GUI stall, arrowing through %zu files (%zu hostile) with preview on, median of 5 runs of the longest:\n"
        "  preview worker %.2f ms | library called on the GUI thread %.2f ms | ratio %.3f (target: <= 30 ms)\n",
        files.size(), hostileFiles.size(), a, b, b > 0 ? a / b : 0.0);
    for (const std::string &file : hostileFiles)
        std::remove(file.c_str());
    rmdir(folder);
}

// Child process: open the output, wait for the first key, then time ten
// previews from the request to their first decoded PCM (queued by the
// stream's creation). Prints "first tenth" in microseconds.
int firstVsTenthChild()
{
    if (!BASS_Init(1, 44100, 0, nullptr, nullptr) && !BASS_Init(0, 44100, 0, nullptr, nullptr))
        return 1;
    std::this_thread::sleep_for(std::chrono::milliseconds(kFirstKeyAfterMs));
    const std::vector<std::string> files = realFiles();
    std::vector<double> micros;
    HSTREAM stream = 0;
    for (int i = 0; i < 10; ++i) {
        const auto start = std::chrono::steady_clock::now();
        BASS_StreamFree(stream);
        stream = BASS_StreamCreateFile(FALSE, files[0].c_str(), 0, 0, BASS_STREAM_AUTOFREE);
        micros.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
        if (!stream)
            return 1;
        BASS_ChannelPlay(stream, TRUE);
        std::this_thread::sleep_for(std::chrono::milliseconds(kKeyRepeatMs));
    }
    BASS_Free();
    std::printf("%.1f %.1f\n", micros.front(), micros.back());
    return 0;
}

void firstVsTenthBenchmark(const QString &self)
{
    std::vector<double> first, tenth;
    for (int run = 0; run < 15; ++run) {
        QProcess child;
        child.start(self, { QStringLiteral("--first-vs-tenth") });
        if (!child.waitForFinished(30000) || child.exitCode() != 0) {
            std::printf("first vs tenth preview: a run failed\n");
            return;
        }
        double a = 0, b = 0;
        if (std::sscanf(child.readAllStandardOutput().constData(), "%lf %lf", &a, &b) == 2) {
            first.push_back(a);
            tenth.push_back(b);
        }
    }
    const double a = median(first) / 1000, b = median(tenth) / 1000;
    std::printf("Key to first decoded PCM (tone.mp3), fresh process each, median of %zu:\n"
                "  first preview %.3f ms | tenth %.3f ms | difference %.3f ms, ratio %.2f (target: within 2 ms)\n",
        first.size(), a, b, a - b, b > 0 ? a / b : 0.0);
}

bool makeFixtures()
{
    const std::string command = std::string("bash '") + BASS_BENCH_SCRIPT + "' '" + kFixtures + "'";
    return std::system(command.c_str()) == 0;
}

} // namespace

int main(int argc, char **argv)
{
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 0);
    if (argc > 1 && std::string(argv[1]) == "--first-vs-tenth")
        return firstVsTenthChild();
    QCoreApplication app(argc, argv);
    if (!makeFixtures())
        return 1;
    firstVsTenthBenchmark(QCoreApplication::applicationFilePath());
    if (!PreviewPlayer::OpenOutput(1, nullptr) && !PreviewPlayer::OpenOutput(0, nullptr))
        return 1;
    stallBenchmark();
    PreviewPlayer::CloseOutput();
    return 0;
}
