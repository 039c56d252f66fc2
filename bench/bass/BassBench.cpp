// Start latency of a stream (BASS_StreamCreateFile until its first samples are
// queued for the device, which happens before the call returns) beside the
// floor of FFmpeg itself (open with the demuxer named, decode one frame);
// the program's whole preview call; focus to audible through the program's
// preview worker beside the device's own floor; CPU time while one mp3 plays.

#include "bass.h"
#include "preview/PreviewWorker.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <random>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

const std::string kFixtures = BASS_BENCH_FIXTURES;

struct Format
{
    const char *file;
    const char *demuxer;
};
constexpr Format kFormats[] = {
    { "tone.mp3", "mp3" },
    { "tone.flac", "flac" },
    { "tone.wav", "wav" },
    { "tone-vorbis.oga", "ogg" },
    { "tone.m4a", "mov" },
    { "tone-opus.oga", "ogg" },
    { "tone.aac", "aac" },
    { "tone.ac3", "ac3" },
    { "tone.wma", "asf" },
    { "tone.aiff", "aiff" },
    { "tone.mpc", "mpc8" },
};

bool exists(const std::string &path)
{
    struct stat st
    {
    };
    return stat(path.c_str(), &st) == 0;
}

void makeFixtures()
{
    const std::string command = std::string("bash '") + BASS_BENCH_SCRIPT + "' '" + kFixtures + "'";
    if (std::system(command.c_str()) != 0)
        std::abort();
    const std::string longMp3 = kFixtures + "/long-10s.mp3";
    if (!exists(longMp3)) {
        const std::string make
            = "ffmpeg -nostdin -loglevel error -y -f lavfi -i "
              "'aevalsrc=0.5*sin(2*PI*440*t)|0.5*sin(2*PI*440*t):s=44100:d=10' -c:a libmp3lame -b:a 192k '"
            + longMp3 + "'";
        if (std::system(make.c_str()) != 0)
            std::abort();
    }
}

// FFmpeg alone: the demuxer given by name, no stream-info pass, one frame decoded.
bool ffmpegFirstFrame(const std::string &path, const char *demuxer)
{
    AVFormatContext *format = avformat_alloc_context();
    format->probesize = 4096; // as the library does: FFmpeg's default costs WAV 3-15 ms
    if (avformat_open_input(&format, path.c_str(), av_find_input_format(demuxer), nullptr) < 0)
        return false;
    int index = -1;
    for (unsigned i = 0; i < format->nb_streams && index < 0; ++i) {
        if (format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
            index = int(i);
    }
    bool decoded = false;
    const AVCodec *codec = index >= 0 ? avcodec_find_decoder(format->streams[index]->codecpar->codec_id) : nullptr;
    AVCodecContext *context = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (context && avcodec_parameters_to_context(context, format->streams[index]->codecpar) >= 0
        && avcodec_open2(context, codec, nullptr) >= 0) {
        AVPacket *packet = av_packet_alloc();
        AVFrame *frame = av_frame_alloc();
        while (!decoded && av_read_frame(format, packet) >= 0) {
            if (packet->stream_index == index && avcodec_send_packet(context, packet) >= 0)
                decoded = avcodec_receive_frame(context, frame) == 0;
            av_packet_unref(packet);
        }
        av_frame_free(&frame);
        av_packet_free(&packet);
    }
    avcodec_free_context(&context);
    avformat_close_input(&format);
    return decoded;
}

void BM_FfmpegFloor(benchmark::State &state)
{
    const Format &format = kFormats[state.range(0)];
    const std::string path = kFixtures + "/" + format.file;
    state.SetLabel(format.file);
    if (!exists(path)) {
        state.SkipWithError("fixture missing");
        return;
    }
    for (auto _ : state) {
        if (!ffmpegFirstFrame(path, format.demuxer))
            state.SkipWithError("FFmpeg could not decode");
    }
}

void BM_StreamStart(benchmark::State &state)
{
    const Format &format = kFormats[state.range(0)];
    const std::string path = kFixtures + "/" + format.file;
    state.SetLabel(format.file);
    if (!exists(path)) {
        state.SkipWithError("fixture missing");
        return;
    }
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_STREAM_AUTOFREE);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(std::chrono::duration<double>(elapsed).count());
        if (!stream)
            state.SkipWithError("stream not created");
        BASS_StreamFree(stream);
    }
}

// What the program runs on the GUI thread at each focus change.
void BM_PlayPreviewFile(benchmark::State &state)
{
    const std::string path = kFixtures + "/tone.mp3";
    HSTREAM stream = 0;
    for (auto _ : state) {
        BASS_StreamFree(stream);
        stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_STREAM_AUTOFREE);
        BASS_ChannelSetAttribute(stream, BASS_ATTRIB_VOL, 0.8f);
        BASS_ChannelPlay(stream, TRUE);
    }
    BASS_StreamFree(stream);
}

double processCpuSeconds()
{
    timespec ts {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// Process CPU time over three seconds of one mp3 playing, as a share of one core.
void BM_CpuWhilePlayingMp3(benchmark::State &state)
{
    const std::string path = kFixtures + "/long-10s.mp3";
    for (auto _ : state) {
        const HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_STREAM_AUTOFREE);
        BASS_ChannelPlay(stream, TRUE);
        std::this_thread::sleep_for(std::chrono::milliseconds(200)); // past the initial fill
        const double cpuStart = processCpuSeconds();
        const auto wallStart = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(3));
        const double cpu = processCpuSeconds() - cpuStart;
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
        state.counters["cpu_percent_of_core"] = 100.0 * cpu / wall;
        BASS_StreamFree(stream);
    }
}

long residentKilobytes()
{
    FILE *status = std::fopen("/proc/self/status", "r");
    if (!status)
        return 0;
    char line[256];
    long kilobytes = 0;
    while (std::fgets(line, sizeof line, status)) {
        if (std::sscanf(line, "VmRSS: %ld", &kilobytes) == 1)
            break;
    }
    std::fclose(status);
    return kilobytes;
}

// 1,000 focus changes over five formats: resident memory must stay flat.
void BM_ThousandFocusChanges(benchmark::State &state)
{
    const std::string files[] = { kFixtures + "/tone.mp3", kFixtures + "/tone.flac", kFixtures + "/tone-vorbis.oga",
        kFixtures + "/tone.m4a", kFixtures + "/tone.wav" };
    HSTREAM stream = 0;
    auto cycle = [&](int count) {
        for (int i = 0; i < count; ++i) {
            BASS_StreamFree(stream);
            stream = BASS_StreamCreateFile(FALSE, files[i % 5].c_str(), 0, 0, BASS_STREAM_AUTOFREE);
            BASS_ChannelPlay(stream, TRUE);
        }
    };
    cycle(100); // warm: allocator pools, decoder tables
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const long before = residentKilobytes();
    for (auto _ : state)
        cycle(1000);
    BASS_StreamFree(stream);
    std::this_thread::sleep_for(std::chrono::milliseconds(200)); // the reaper frees the last ones
    state.counters["rss_growth_kb"] = double(residentKilobytes() - before);
}

// From the focus change to the device's first period that carries the new
// file, through what the program does: the focus handler hands the file to
// the preview worker, which frees the previous stream, opens the file, sets
// the volume and plays. SDL's disk driver writes each period into a pipe as
// its callback returns; a reader notes when sound first arrives. The
// reference, measured interleaved in the same run, is the floor of the
// device: a stream already opened and decoded, started by BASS_ChannelPlay,
// is heard at the next period. A random pause between runs spreads the phase.
void BM_FocusToAudible(benchmark::State &state)
{
    BASS_Free();
    char folder[] = "/tmp/bass-bench-XXXXXX";
    if (!mkdtemp(folder)) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string pipe = std::string(folder) + "/device";
    mkfifo(pipe.c_str(), 0600);
    using clock = std::chrono::steady_clock;
    std::atomic<bool> armed { false };
    std::atomic<clock::rep> heard { 0 };
    std::thread reader([&] {
        const int fd = open(pipe.c_str(), O_RDONLY);
        std::vector<float> buffer(8192);
        for (;;) {
            const ssize_t bytes = read(fd, buffer.data(), buffer.size() * sizeof(float));
            if (bytes <= 0)
                break;
            if (!armed)
                continue;
            for (ssize_t i = 0; i < bytes / ssize_t(sizeof(float)); ++i) {
                if (std::fabs(buffer[size_t(i)]) > 1e-4f) {
                    heard = clock::now().time_since_epoch().count();
                    armed = false;
                    break;
                }
            }
        }
        close(fd);
    });
    // Only SDL's disk driver writes into the pipe, whatever driver the run
    // was started with; the one it had comes back afterwards.
    const char *started = std::getenv("SDL_AUDIODRIVER");
    const std::optional<std::string> driver = started ? std::optional<std::string>(started) : std::nullopt;
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", pipe.c_str(), 1);
    const bool opened = BASS_Init(1, 44100, 0, nullptr, nullptr);
    const std::string path = kFixtures + "/" + kFormats[state.range(0)].file;
    const QString file = QString::fromStdString(path);
    state.SetLabel(kFormats[state.range(0)].file);
    std::mt19937 random(42);
    std::vector<double> ours, floor;
    {
        PreviewWorker preview;
        // Waits for the first sound after start, in seconds.
        auto heardAfter = [&](clock::time_point start) {
            while (heard == 0 && clock::now() - start < std::chrono::seconds(1))
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            return std::chrono::duration<double>(clock::time_point(clock::duration(heard.load())) - start).count();
        };
        for (auto _ : state) {
            if (!opened) {
                state.SkipWithError("no SDL device");
                break;
            }
            // The floor: nothing to open, only the wait for the device.
            const HSTREAM ready = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 23000));
            heard = 0;
            armed = true;
            auto start = clock::now();
            BASS_ChannelPlay(ready, TRUE);
            floor.push_back(heardAfter(start));
            BASS_StreamFree(ready);
            std::this_thread::sleep_for(std::chrono::milliseconds(60));

            std::this_thread::sleep_for(std::chrono::microseconds(random() % 23000));
            heard = 0;
            armed = true;
            start = clock::now();
            preview.play(file);
            const double seconds = heardAfter(start);
            ours.push_back(seconds);
            state.SetIterationTime(seconds);
            preview.stop();
            preview.waitIdle();
            // Let the silence after the stream reach the pipe before the next run.
            std::this_thread::sleep_for(std::chrono::milliseconds(60));
        }
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.empty() ? 0.0 : v[v.size() / 2] * 1000;
    };
    state.counters["ours_median_ms"] = median(ours);
    state.counters["floor_median_ms"] = median(floor);
    state.counters["ratio"] = median(floor) > 0 ? median(ours) / median(floor) : 0;
    BASS_Free(); // closes the pipe's writing end: the reader ends
    if (!opened) {
        // The reader still waits for a writer to open the pipe.
        const int writer = open(pipe.c_str(), O_WRONLY);
        if (writer >= 0)
            close(writer);
    }
    reader.join();
    unlink(pipe.c_str());
    rmdir(folder);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    if (driver)
        setenv("SDL_AUDIODRIVER", driver->c_str(), 1);
    else
        unsetenv("SDL_AUDIODRIVER");
    BASS_Init(1, 44100, 0, nullptr, nullptr) || BASS_Init(0, 44100, 0, nullptr, nullptr);
}

void formatArgs(benchmark::internal::Benchmark *bench)
{
    for (int i = 0; i < int(std::size(kFormats)); ++i)
        bench->Arg(i);
}

BENCHMARK(BM_FfmpegFloor)->Apply(formatArgs)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_StreamStart)
    ->Apply(formatArgs)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_PlayPreviewFile)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_CpuWhilePlayingMp3)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThousandFocusChanges)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FocusToAudible)
    ->Arg(0)
    ->Arg(2)
    ->Iterations(40)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    makeFixtures();
    // Output to SDL's configured driver; captured audio is thrown away.
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 0);
    if (!BASS_Init(1, 44100, 0, nullptr, nullptr) && !BASS_Init(0, 44100, 0, nullptr, nullptr))
        return 1;
    // Load the decoder object once, as the program's first stream does.
    BASS_StreamFree(BASS_StreamCreateFile(FALSE, (kFixtures + "/tone.wav").c_str(), 0, 0, 0));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    BASS_Free();
    return 0;
}
