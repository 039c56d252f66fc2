// Waveform peaks of an audio file for thumbnails. A long file is sampled:
// a short run of frames is decoded after a seek to each column's time, which
// keeps a three-minute mp3 near 20 ms instead of the ~120 ms of a full decode.
// Files that cannot seek, or whose length is unknown, are decoded in full.
// Sampling can miss a short peak between the sampled spots, so the caller
// asks again for the exact waveform, every sample of every column, when
// there is time for it.

#include "WaveformApi.h"
#include "platform/FfmpegFileInput.h"
#include "platform/FfmpegHandles.h"
#include "platform/SaturatingCast.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
}

#include <algorithm>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

namespace {

// Decoded frames taken per sampled column, after frames skipped behind each
// seek: the first frames after a seek come out quiet or empty for codecs with
// overlapping transforms and mp3's bit reservoir.
constexpr int kFramesPerColumn = 2;
constexpr int kFramesSkippedAfterSeek = 2;
constexpr int kMaxPacketsPerColumn = 16;
// Below this length a full decode costs about as much as sampling.
constexpr double kSampleAboveSeconds = 20.0;

// Budgets for finding a file's first audio, so a huge file of zeros or noise
// under an audio name is refused after a few milliseconds instead of being
// searched to its end. The header may take tags with a large cover picture;
// after it, the stream probe reads at most kProbeBytes, and real files show
// their first audio within a few KB. Processor time backs both up.
constexpr std::int64_t kHeaderBudgetBytes = 32LL << 20;
constexpr std::int64_t kProbeBytes = 2LL << 20;
constexpr std::int64_t kFirstAudioBudgetBytes = 4LL << 20;
constexpr std::int64_t kSearchCpuBudgetNs = 100'000'000;
// What real audio uses; outside this a header lies, and decoding it would
// size packets from the lie.
constexpr int kMinSampleRate = 1000;
constexpr int kMaxSampleRate = 768000;
constexpr int kMaxChannels = 32;

std::int64_t threadCpuNs()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

struct Peak
{
    float low = 0;
    float high = 0;
    bool set = false;

    void add(float value)
    {
        if (!set) {
            low = high = value;
            set = true;
            return;
        }
        low = std::min(low, value);
        high = std::max(high, value);
    }
    void merge(const Peak &other)
    {
        if (other.set) {
            add(other.low);
            add(other.high);
        }
    }
};

template<typename T> float normalised(T value);
template<> float normalised(std::uint8_t value)
{
    return (float(value) - 128.0f) / 128.0f;
}
template<> float normalised(std::int16_t value)
{
    return float(value) / 32768.0f;
}
template<> float normalised(std::int32_t value)
{
    return float(value) / 2147483648.0f;
}
template<> float normalised(float value)
{
    return value;
}
template<> float normalised(double value)
{
    return float(value);
}

template<typename T> void scan(const AVFrame *frame, int channels, bool planar, Peak &peak)
{
    const int samples = frame->nb_samples;
    if (planar) {
        for (int c = 0; c < channels; ++c) {
            const T *data = reinterpret_cast<const T *>(frame->extended_data[c]);
            for (int i = 0; i < samples; ++i)
                peak.add(normalised<T>(data[i]));
        }
    } else {
        const T *data = reinterpret_cast<const T *>(frame->data[0]);
        for (int i = 0; i < samples * channels; ++i)
            peak.add(normalised<T>(data[i]));
    }
}

Peak framePeak(const AVFrame *frame)
{
    Peak peak;
    const int channels = frame->ch_layout.nb_channels;
    const auto format = AVSampleFormat(frame->format);
    const bool planar = av_sample_fmt_is_planar(format) != 0;
    switch (av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_U8:
        scan<std::uint8_t>(frame, channels, planar, peak);
        break;
    case AV_SAMPLE_FMT_S16:
        scan<std::int16_t>(frame, channels, planar, peak);
        break;
    case AV_SAMPLE_FMT_S32:
        scan<std::int32_t>(frame, channels, planar, peak);
        break;
    case AV_SAMPLE_FMT_FLT:
        scan<float>(frame, channels, planar, peak);
        break;
    case AV_SAMPLE_FMT_DBL:
        scan<double>(frame, channels, planar, peak);
        break;
    default:
        break;
    }
    peak.low = std::clamp(peak.low, -1.0f, 1.0f);
    peak.high = std::clamp(peak.high, -1.0f, 1.0f);
    return peak;
}

class Decoder
{
public:
    bool open(const char *path, const volatile int *cancel)
    {
        platform::quietFfmpegLogs();
        m_cancel = cancel;
        // Only regular files: a named pipe called "x.mp3" is refused without
        // waiting for a writer.
        if (m_input.open(path, { &Decoder::interrupt, this }) < 0)
            return false;
        AVFormatContext *format = avformat_alloc_context();
        if (!format)
            return false;
        m_input.attach(format);
        format->interrupt_callback.callback = &Decoder::interrupt;
        format->interrupt_callback.opaque = this;
        format->probesize = kProbeBytes;
        m_searchStartCpuNs = threadCpuNs();
        m_opening = format;
        const int opened = avformat_open_input(&format, path, nullptr, nullptr);
        m_opening = nullptr;
        if (opened < 0) // it freed the context
            return false;
        m_format.reset(format);
        m_searchStartBytes = format->pb ? format->pb->bytes_read : 0;
        if (avformat_find_stream_info(format, nullptr) < 0 || m_overBudget)
            return false;
        const AVCodec *codec = nullptr;
        m_stream = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
        if (m_stream < 0 || !codec)
            return false;
        const AVCodecParameters *par = format->streams[m_stream]->codecpar;
        if (par->sample_rate < kMinSampleRate || par->sample_rate > kMaxSampleRate || par->ch_layout.nb_channels < 1
            || par->ch_layout.nb_channels > kMaxChannels)
            return false;
        m_codec.reset(avcodec_alloc_context3(codec));
        if (!m_codec || avcodec_parameters_to_context(m_codec.get(), format->streams[m_stream]->codecpar) < 0)
            return false;
        m_codec->thread_count = 1; // the caller runs several files at once
        if (avcodec_open2(m_codec.get(), codec, nullptr) < 0)
            return false;
        m_packet.reset(av_packet_alloc());
        m_frame.reset(av_frame_alloc());
        return m_packet && m_frame;
    }

    // Seconds, or 0 when unknown.
    double duration() const
    {
        const AVStream *stream = m_format->streams[m_stream];
        if (stream->duration > 0)
            return double(stream->duration) * av_q2d(stream->time_base);
        if (m_format->duration > 0)
            return double(m_format->duration) / AV_TIME_BASE;
        return 0;
    }

    bool seekable() const { return m_format->pb && (m_format->pb->seekable & AVIO_SEEKABLE_NORMAL) != 0; }

    // Decodes up to frames frames from the current position; false at the
    // end of the file with nothing decoded.
    int decodeFrames(int frames, int maxPackets, int skipFrames, Peak &peak, const volatile int *cancel)
    {
        int decoded = 0;
        int packets = 0;
        int skip = skipFrames;
        while (decoded < frames && (maxPackets <= 0 || packets < maxPackets)) {
            if ((cancel && *cancel) || m_overBudget)
                return -1;
            const int read = av_read_frame(m_format.get(), m_packet.get());
            if (read < 0) {
                avcodec_send_packet(m_codec.get(), nullptr); // drain
            } else if (m_packet->stream_index != m_stream) {
                av_packet_unref(m_packet.get());
                continue;
            } else {
                ++packets;
                avcodec_send_packet(m_codec.get(), m_packet.get());
                av_packet_unref(m_packet.get());
            }
            while (avcodec_receive_frame(m_codec.get(), m_frame.get()) == 0) {
                m_searching = false;
                if (m_frame->sample_rate > kMaxSampleRate || m_frame->ch_layout.nb_channels > kMaxChannels) {
                    av_frame_unref(m_frame.get());
                    return -1;
                }
                if (skip > 0) {
                    --skip;
                } else {
                    peak.merge(framePeak(m_frame.get()));
                    ++decoded;
                }
                av_frame_unref(m_frame.get());
            }
            if (read < 0)
                break;
        }
        return decoded;
    }

    bool sampled(float *peaks, int columns, const volatile int *cancel)
    {
        const AVStream *stream = m_format->streams[m_stream];
        const double seconds = duration();
        const std::int64_t start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
        for (int c = 0; c < columns; ++c) {
            const double at = seconds * (c + 0.5) / columns;
            // In double: the header's length, start and time base can each
            // put the target past what an int64_t holds.
            const auto target = platform::SaturatingCast<std::int64_t>(double(start) + at / av_q2d(stream->time_base));
            if (av_seek_frame(m_format.get(), m_stream, target, AVSEEK_FLAG_BACKWARD) < 0)
                return false;
            avcodec_flush_buffers(m_codec.get());
            Peak peak;
            const int got = decodeFrames(
                kFramesPerColumn, kMaxPacketsPerColumn, c > 0 ? kFramesSkippedAfterSeek : 0, peak, cancel);
            if (got < 0)
                return false;
            peaks[2 * c] = peak.low;
            peaks[2 * c + 1] = peak.high;
        }
        return true;
    }

    bool full(float *peaks, int columns, const volatile int *cancel)
    {
        std::vector<Peak> frames;
        for (;;) {
            Peak peak;
            const int got = decodeFrames(1, 0, 0, peak, cancel);
            if (got < 0)
                return false;
            if (got == 0)
                break;
            frames.push_back(peak);
        }
        if (frames.empty())
            return false;
        // Each column covers its share of the frames, at least one, so a
        // short file with fewer frames than columns still fills every column.
        const std::size_t count = frames.size();
        for (int c = 0; c < columns; ++c) {
            const std::size_t first = std::size_t(c) * count / std::size_t(columns);
            const std::size_t end = std::max(first + 1, std::size_t(c + 1) * count / std::size_t(columns));
            Peak bin;
            for (std::size_t i = first; i < end && i < count; ++i)
                bin.merge(frames[i]);
            peaks[2 * c] = bin.low;
            peaks[2 * c + 1] = bin.high;
        }
        return true;
    }

private:
    // Polled by FFmpeg between reads: the caller's cancel, and the budget
    // of the search for the first audio.
    static int interrupt(void *self)
    {
        auto *decoder = static_cast<Decoder *>(self);
        if (decoder->m_cancel && *decoder->m_cancel)
            return 1;
        if (!decoder->m_searching)
            return 0;
        if (!decoder->m_overBudget) {
            const AVFormatContext *format = decoder->m_format ? decoder->m_format.get() : decoder->m_opening;
            const std::int64_t bytes = format && format->pb ? format->pb->bytes_read : 0;
            const bool inHeader = decoder->m_searchStartBytes < 0;
            decoder->m_overBudget
                = (inHeader ? bytes > kHeaderBudgetBytes : bytes - decoder->m_searchStartBytes > kFirstAudioBudgetBytes)
                || threadCpuNs() - decoder->m_searchStartCpuNs > kSearchCpuBudgetNs;
        }
        return decoder->m_overBudget ? 1 : 0;
    }

    const volatile int *m_cancel = nullptr;
    AVFormatContext *m_opening = nullptr; // the input while avformat_open_input runs
    bool m_searching = true; // no audio decoded yet: the budget applies
    bool m_overBudget = false;
    std::int64_t m_searchStartBytes = -1;
    std::int64_t m_searchStartCpuNs = 0;
    platform::FfmpegFileInput m_input; // outlives m_format, which reads it
    platform::AvPtr<AVFormatContext> m_format;
    platform::AvPtr<AVCodecContext> m_codec;
    platform::AvPtr<AVPacket> m_packet;
    platform::AvPtr<AVFrame> m_frame;
    int m_stream = -1;
};

} // namespace

namespace {

// 0: no waveform; kWaveformSampled or kWaveformExact otherwise.
int peaksOf(const char *path, float *peaks, int columns, bool exact, const volatile int *cancel)
{
    if (!path || !peaks || columns <= 0)
        return 0;
    std::fill(peaks, peaks + 2 * columns, 0.0f);
    Decoder decoder;
    if (!decoder.open(path, cancel))
        return 0;
    if (!exact && decoder.seekable() && decoder.duration() > kSampleAboveSeconds) {
        if (decoder.sampled(peaks, columns, cancel))
            return kWaveformSampled;
        if (cancel && *cancel)
            return 0;
        // Seeking failed part-way: start again and decode everything.
        Decoder again;
        return again.open(path, cancel) && again.full(peaks, columns, cancel) ? kWaveformExact : 0;
    }
    return decoder.full(peaks, columns, cancel) ? kWaveformExact : 0;
}

} // namespace

extern "C" __attribute__((visibility("default"))) int BrivaneDialogsWaveform_Peaks(
    const char *path, float *peaks, int columns, const volatile int *cancel)
{
    return peaksOf(path, peaks, columns, false, cancel) != 0 ? 1 : 0;
}

extern "C" __attribute__((visibility("default"))) int BrivaneDialogsWaveform_PeaksOf(
    const char *path, float *peaks, int columns, int flags, const volatile int *cancel)
{
    return peaksOf(path, peaks, columns, (flags & kWaveformExact) != 0, cancel);
}
