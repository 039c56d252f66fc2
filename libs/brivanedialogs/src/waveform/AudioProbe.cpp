// Header probe for the audio columns: the demuxer's view of a file, with a
// small probe and a wall-clock budget, so a hostile or slow file costs at most
// a few tens of milliseconds of a worker's time.

#include "ProbeApi.h"
#include "platform/FfmpegFileInput.h"
#include "platform/FfmpegHandles.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
}

#include <chrono>

namespace {

// Enough for every header we list (WAV, FLAC, MP3 with its Xing frame, MP4's
// moov at the front, Ogg's first pages) without reading the whole file.
constexpr std::int64_t kHeaderProbeBytes = 64 << 10;
constexpr std::int64_t kAnalyzeMicroseconds = 200'000;

struct Budget
{
    std::chrono::steady_clock::time_point deadline;
    const volatile int *cancel;
};

int interrupted(void *opaque)
{
    const auto *budget = static_cast<const Budget *>(opaque);
    return (budget->cancel && *budget->cancel) || std::chrono::steady_clock::now() > budget->deadline;
}

// Bits per sample for lossless audio only: a lossy decoder reports the
// precision it decodes to, which says nothing about the file.
std::int32_t bitDepthOf(const AVCodecParameters *codec)
{
    const AVCodecDescriptor *descriptor = avcodec_descriptor_get(codec->codec_id);
    if (!descriptor || !(descriptor->props & AV_CODEC_PROP_LOSSLESS))
        return -1;
    if (codec->bits_per_raw_sample > 0)
        return codec->bits_per_raw_sample;
    if (const int bits = av_get_bits_per_sample(codec->codec_id); bits > 0)
        return bits;
    return codec->bits_per_coded_sample > 0 ? codec->bits_per_coded_sample : -1;
}

} // namespace

extern "C" __attribute__((visibility("default"))) int BrivaneDialogsWaveform_Probe(
    const char *path, BrivaneDialogsAudioInfo *info, int budgetMs, const volatile int *cancel)
{
    *info = { -1, -1, -1, -1, -1, 0 };
    platform::quietFfmpegLogs();
    Budget budget { std::chrono::steady_clock::now() + std::chrono::milliseconds(budgetMs), cancel };
    // Only regular files: a named pipe called "x.mp3" is refused without
    // waiting for a writer. Declared before the format that reads it.
    platform::FfmpegFileInput input;
    if (input.open(path, { &interrupted, &budget }) < 0)
        return 0;
    AVFormatContext *raw = avformat_alloc_context();
    if (!raw)
        return 0;
    input.attach(raw);
    raw->interrupt_callback = { &interrupted, &budget };
    raw->probesize = kHeaderProbeBytes;
    raw->max_analyze_duration = kAnalyzeMicroseconds;
    // Reading the end of the file for a duration is what the budget is for;
    // a duration guessed from the bit rate is shown as a guess.
    raw->skip_estimate_duration_from_pts = 1;
    if (avformat_open_input(&raw, path, nullptr, nullptr) < 0)
        return 0; // frees raw
    platform::AvPtr<AVFormatContext> format(raw);
    if (avformat_find_stream_info(format.get(), nullptr) < 0 || interrupted(&budget))
        return 0;
    const int index = av_find_best_stream(format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0)
        return 0;
    const AVStream *stream = format->streams[index];
    const AVCodecParameters *codec = stream->codecpar;
    if (format->duration > 0) {
        info->durationMs = format->duration / (AV_TIME_BASE / 1000);
        info->durationEstimated = format->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE ? 1 : 0;
    } else if (stream->duration > 0)
        info->durationMs = av_rescale_q(stream->duration, stream->time_base, AVRational { 1, 1000 });
    info->sampleRate = codec->sample_rate > 0 ? codec->sample_rate : -1;
    info->channels = codec->ch_layout.nb_channels > 0 ? codec->ch_layout.nb_channels : -1;
    info->bitDepth = bitDepthOf(codec);
    const std::int64_t bitRate = codec->bit_rate > 0 ? codec->bit_rate : format->bit_rate;
    info->bitRate = bitRate > 0 && bitRate < INT32_MAX ? std::int32_t(bitRate) : -1;
    return 1;
}
