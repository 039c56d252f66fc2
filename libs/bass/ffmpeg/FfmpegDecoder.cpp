#include "FfmpegDecoder.h"

#include "../include/bass.h"
#include "platform/SaturatingCast.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <ctime>
#include <string_view>

namespace bass {

namespace {

// Local files need no long probe: the demuxer is chosen by extension, and only
// the fallback for misnamed files probes, with a small window.
constexpr int kFormatProbeBytes = 64 * 1024;
// What a demuxer may read ahead while opening. FFmpeg's default (5 MB) makes
// the WAV demuxer scan far into the file for S/PDIF data before the first
// packet: 3-15 ms here against 0.1 ms with this.
constexpr int kProbeBytes = 4096;
// A few corrupt packets in a row are skipped; this many means the data is not audio we can decode.
constexpr int kMaxConsecutiveDecodeErrors = 64;

// Budgets for finding a file's first audio, so a hostile or broken file
// (a huge file of zeros or noise under an audio name) is refused quickly
// instead of being searched to its end.
// Input the header may take: tags with a large cover picture and an MP4
// index are the biggest parts real files put before their audio.
constexpr long long kHeaderBudgetBytes = 32LL << 20;
// Input from the end of the header to the first decoded audio: real files
// have it within a few KB (a frame or two past some padding).
constexpr long long kFirstAudioBudgetBytes = 1LL << 20;
// Processor time of the whole search, whatever was read: a backstop for input
// that is cheap to read but costly to reject. Real files need under 5 ms.
constexpr long long kSearchCpuBudgetNs = 80'000'000;

// What real audio uses: 1 kHz test tones to 768 kHz studio masters, and up to
// 22.2 surround with room to spare. Outside this a header lies, and believing
// it sizes packets and resampler buffers from the lie.
constexpr int kMinSampleRate = 1000;
constexpr int kMaxSampleRate = 768000;
constexpr int kMaxChannels = 32;
// Output frames per resampling call, so a long decoded frame (or one from a
// low rate, which upsampling multiplies) never needs more than this at once.
constexpr int kSliceFrames = 8192;

bool plausibleRate(int rate)
{
    return rate >= kMinSampleRate && rate <= kMaxSampleRate;
}

bool plausibleChannels(int channels)
{
    return channels >= 1 && channels <= kMaxChannels;
}

long long threadCpuNs()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return (long long)now.tv_sec * 1'000'000'000 + now.tv_nsec;
}

// The demuxer for each extension of the browser's filter. Musepack has two
// demuxers (SV7 and SV8) told apart only by content, so it is probed.
const char *demuxerForExtension(std::string_view path)
{
    const auto dot = path.rfind('.');
    const auto slash = path.rfind('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return nullptr;
    std::string ext(path.substr(dot + 1));
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    static const struct
    {
        const char *ext;
        const char *demuxer;
    } table[] = {
        { "mp3", "mp3" },
        { "mp2", "mp3" },
        { "mp1", "mp3" },
        { "mpa", "mp3" },
        { "flac", "flac" },
        { "fla", "flac" },
        { "flc", "flac" },
        { "oga", "ogg" },
        { "ogg", "ogg" },
        { "opus", "ogg" },
        { "wav", "wav" },
        { "aif", "aiff" },
        { "aiff", "aiff" },
        { "aifc", "aiff" },
        { "afc", "aiff" },
        { "mp4", "mov" },
        { "m4a", "mov" },
        { "m4b", "mov" },
        { "aac", "aac" },
        { "ac3", "ac3" },
        { "wma", "asf" },
        { "dsf", "dsf" },
        { "dff", "iff" },
        { "spx", "ogg" },
        { "wv", "wv" },
        { "ape", "ape" },
        { "tta", "tta" },
        { "caf", "caf" },
        { "w64", "w64" },
        { "mka", "matroska" },
    };
    for (const auto &entry : table) {
        if (ext == entry.ext)
            return entry.demuxer;
    }
    return nullptr;
}

int bassErrorFromOpen(int averror)
{
    if (averror == AVERROR(ENOENT) || averror == AVERROR(EACCES) || averror == AVERROR(EISDIR)
        || averror == AVERROR(ENOTDIR))
        return BASS_ERROR_FILEOPEN;
    if (averror == AVERROR(ENOMEM))
        return BASS_ERROR_MEM;
    if (averror == AVERROR_EXIT)
        return BASS_ERROR_UNKNOWN;
    return BASS_ERROR_FILEFORM;
}

} // namespace

int FfmpegDecoder::open(
    const std::string &path, const BassDecoderOptions &options, std::unique_ptr<FfmpegDecoder> &result)
{
    platform::quietFfmpegLogs();
    if (options.sampleRate <= 0 || options.channels <= 0)
        return BASS_ERROR_ILLPARAM;
    std::unique_ptr<FfmpegDecoder> decoder(new FfmpegDecoder(options));
    const char *demuxer = demuxerForExtension(path);
    int error = decoder->openInput(path, demuxer);
    if (error == BASS_ERROR_FILEFORM && demuxer) {
        // The name may lie about the content: let FFmpeg look at it.
        decoder.reset(new FfmpegDecoder(options));
        error = decoder->openInput(path, nullptr);
    }
    if (error != BASS_OK)
        return error;
    result = std::move(decoder);
    return BASS_OK;
}

int FfmpegDecoder::openInput(const std::string &path, const char *demuxerName)
{
    // Only regular files: a named pipe or a device is refused without waiting.
    const int opened = m_input.open(path.c_str(), AVIOInterruptCB { &FfmpegDecoder::interrupt, this });
    if (opened < 0)
        return opened == AVERROR(ENOMEM) ? BASS_ERROR_MEM : BASS_ERROR_FILEOPEN;
    AVFormatContext *format = avformat_alloc_context();
    if (!format)
        return BASS_ERROR_MEM;
    m_input.attach(format);
    format->interrupt_callback.callback = &FfmpegDecoder::interrupt;
    format->interrupt_callback.opaque = this;
    format->probesize = kProbeBytes;
    format->format_probesize = kFormatProbeBytes;
    const AVInputFormat *demuxer = demuxerName ? av_find_input_format(demuxerName) : nullptr;
    m_searchStartCpuNs = threadCpuNs();
    m_opening = format;
    int ret = avformat_open_input(&format, path.c_str(), demuxer, nullptr);
    m_opening = nullptr;
    if (ret < 0) // avformat_open_input freed the context
        return m_overBudget ? BASS_ERROR_FILEFORM : bassErrorFromOpen(ret);
    m_format.reset(format);
    m_searchStartBytes = format->pb ? format->pb->bytes_read : 0;

    const AVCodec *codec = nullptr;
    m_streamIndex = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (m_streamIndex < 0) {
        // Raw streams (mp3, flac, aac, ac3) learn their rate and channels from
        // the first frames, which FFmpeg's choice wants to know already;
        // without a stream-info pass, take the first audio stream we can decode.
        bool sawAudio = false;
        for (unsigned i = 0; i < format->nb_streams && m_streamIndex < 0; ++i) {
            const AVCodecParameters *par = format->streams[i]->codecpar;
            if (par->codec_type != AVMEDIA_TYPE_AUDIO)
                continue;
            sawAudio = true;
            codec = avcodec_find_decoder(par->codec_id);
            if (codec)
                m_streamIndex = int(i);
        }
        if (m_streamIndex < 0)
            return sawAudio ? BASS_ERROR_CODEC : BASS_ERROR_FILEFORM;
    }
    for (unsigned i = 0; i < format->nb_streams; ++i)
        format->streams[i]->discard = int(i) == m_streamIndex ? AVDISCARD_DEFAULT : AVDISCARD_ALL;

    m_codec.reset(avcodec_alloc_context3(codec));
    m_frame.reset(av_frame_alloc());
    m_packet.reset(av_packet_alloc());
    if (!m_codec || !m_frame || !m_packet)
        return BASS_ERROR_MEM;
    const AVStream *stream = format->streams[m_streamIndex];
    // Raw streams learn rate and channels from their first frame (0 here),
    // which configureResampler() checks in turn.
    const AVCodecParameters *par = stream->codecpar;
    if ((par->sample_rate != 0 && !plausibleRate(par->sample_rate)) || par->ch_layout.nb_channels > kMaxChannels)
        return BASS_ERROR_FORMAT;
    if (avcodec_parameters_to_context(m_codec.get(), stream->codecpar) < 0)
        return BASS_ERROR_FILEFORM;
    m_codec->pkt_timebase = stream->time_base;
    // One stream decodes far faster than real time; extra threads only cost start-up.
    m_codec->thread_count = 1;
    if (avcodec_open2(m_codec.get(), codec, nullptr) < 0)
        return BASS_ERROR_CODEC;

    const int first = refill();
    m_searching = false;
    if (m_overBudget || first == kEnded)
        return BASS_ERROR_FILEFORM; // nothing decodable within the budget: a broken or hostile file
    return first;
}

int FfmpegDecoder::interrupt(void *self)
{
    auto *decoder = static_cast<FfmpegDecoder *>(self);
    const BassDecoderOptions &options = decoder->m_options;
    if (options.interrupt && options.interrupt(options.opaque))
        return 1;
    return decoder->overBudget() ? 1 : 0;
}

bool FfmpegDecoder::overBudget()
{
    if (!m_searching)
        return false;
    if (!m_overBudget) {
        const AVFormatContext *format = m_format ? m_format.get() : m_opening;
        const long long bytes = format && format->pb ? format->pb->bytes_read : 0;
        const bool inHeader = m_searchStartBytes < 0;
        m_overBudget = (inHeader ? bytes > kHeaderBudgetBytes : bytes - m_searchStartBytes > kFirstAudioBudgetBytes)
            || threadCpuNs() - m_searchStartCpuNs > kSearchCpuBudgetNs;
    }
    return m_overBudget;
}

int FfmpegDecoder::decodeFrame()
{
    int consecutiveErrors = 0;
    for (;;) {
        int ret = avcodec_receive_frame(m_codec.get(), m_frame.get());
        if (ret == 0)
            return 1;
        if (ret == AVERROR_EOF)
            return 0;
        if (ret != AVERROR(EAGAIN))
            return ret;
        if (m_inputEnded)
            return 0;
        ret = av_read_frame(m_format.get(), m_packet.get());
        if (ret == AVERROR_EXIT)
            return ret;
        if (ret < 0) {
            // End of file, or a file cut short: play what was there.
            m_inputEnded = true;
            avcodec_send_packet(m_codec.get(), nullptr);
            continue;
        }
        if (m_packet->stream_index != m_streamIndex) {
            av_packet_unref(m_packet.get());
            continue;
        }
        ret = avcodec_send_packet(m_codec.get(), m_packet.get());
        av_packet_unref(m_packet.get());
        if (ret < 0 && ret != AVERROR(EAGAIN)) {
            if (++consecutiveErrors >= kMaxConsecutiveDecodeErrors)
                return ret;
        } else {
            consecutiveErrors = 0;
        }
    }
}

bool FfmpegDecoder::configureResampler(const AVFrame *frame)
{
    const int channels = frame->ch_layout.nb_channels;
    if (m_swr && frame->format == m_swrFormat && frame->sample_rate == m_swrRate && channels == m_swrChannels)
        return true;
    m_swr.reset();
    if (!plausibleChannels(channels) || !plausibleRate(frame->sample_rate))
        return false;

    AVChannelLayout inLayout {};
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&inLayout, channels);
    else if (av_channel_layout_copy(&inLayout, &frame->ch_layout) < 0)
        return false;
    AVChannelLayout outLayout {};
    av_channel_layout_default(&outLayout, m_options.channels);

    SwrContext *swr = nullptr;
    int ret = swr_alloc_set_opts2(&swr, &outLayout, AV_SAMPLE_FMT_FLT, m_options.sampleRate, &inLayout,
        AVSampleFormat(frame->format), frame->sample_rate, 0, nullptr);
    m_swr.reset(swr);
    if (ret >= 0 && channels == 1 && m_options.channels >= 2) {
        // Mono goes to both front speakers at full level, as players do,
        // not at the -3 dB of a centre downmix.
        std::vector<double> matrix(size_t(m_options.channels), 0.0);
        matrix[0] = matrix[1] = 1.0;
        ret = swr_set_matrix(swr, matrix.data(), 1);
    }
    av_channel_layout_uninit(&inLayout);
    av_channel_layout_uninit(&outLayout);
    if (ret < 0 || swr_init(swr) < 0) {
        m_swr.reset();
        return false;
    }
    m_swrFormat = frame->format;
    m_swrRate = frame->sample_rate;
    m_swrChannels = channels;
    return true;
}

int FfmpegDecoder::convertSlice()
{
    const AVFrame *frame = m_frame.get();
    const int remaining = frame->nb_samples - m_frameOffset;
    int converted = 0;
    if (remaining > 0) {
        // Input frames whose output fills about one slice.
        const auto perSlice = std::max<int64_t>(1, av_rescale(kSliceFrames, m_swrRate, m_options.sampleRate));
        const int take = int(std::min<int64_t>(remaining, perSlice));
        const auto format = AVSampleFormat(frame->format);
        const size_t bytes = size_t(av_get_bytes_per_sample(format));
        const int channels = frame->ch_layout.nb_channels;
        std::array<const uint8_t *, kMaxChannels> planes {};
        if (av_sample_fmt_is_planar(format)) {
            for (int c = 0; c < channels; ++c)
                planes[size_t(c)] = frame->extended_data[c] + size_t(m_frameOffset) * bytes;
        } else {
            planes[0] = frame->extended_data[0] + size_t(m_frameOffset) * bytes * size_t(channels);
        }
        m_frameOffset += take;
        converted = convert(planes.data(), take);
    }
    if (m_frameOffset >= frame->nb_samples) {
        av_frame_unref(m_frame.get());
        m_frameHeld = false;
    }
    return converted;
}

int FfmpegDecoder::convert(const uint8_t *const *in, int inFrames)
{
    const int capacity = swr_get_out_samples(m_swr.get(), inFrames);
    if (capacity <= 0)
        return 0;
    const size_t channels = size_t(m_options.channels);
    m_pending.resize(size_t(capacity) * channels);
    m_pendingPos = 0;
    uint8_t *out = reinterpret_cast<uint8_t *>(m_pending.data());
    const int converted = swr_convert(m_swr.get(), &out, capacity, const_cast<const uint8_t **>(in), inFrames);
    if (converted < 0) {
        m_pending.clear();
        return converted;
    }
    m_pending.resize(size_t(converted) * channels);
    return converted;
}

int FfmpegDecoder::refill()
{
    while (m_pendingPos >= m_pending.size()) {
        m_pending.clear();
        m_pendingPos = 0;
        if (m_frameHeld) {
            convertSlice();
            continue;
        }
        const int got = decodeFrame();
        if (m_overBudget)
            return BASS_ERROR_FILEFORM;
        if (got == AVERROR_EXIT)
            return BASS_ERROR_UNKNOWN;
        if (got < 0)
            return BASS_ERROR_FILEFORM;
        if (got == 0) {
            // Drain the resampler's delay line once, then it is the end.
            if (!m_swr || m_resamplerFlushed)
                return kEnded;
            m_resamplerFlushed = true;
            if (convert(nullptr, 0) <= 0)
                return kEnded;
            continue;
        }
        if (!configureResampler(m_frame.get())) {
            av_frame_unref(m_frame.get());
            return BASS_ERROR_FORMAT;
        }
        m_frameOffset = 0;
        if (!keepFrameAfterSeek()) {
            av_frame_unref(m_frame.get());
            continue;
        }
        m_frameHeld = true;
    }
    return BASS_OK;
}

int FfmpegDecoder::read(float *out, int frames)
{
    const size_t channels = size_t(m_options.channels);
    int written = 0;
    while (written < frames) {
        const int status = refill();
        if (status == kEnded)
            break;
        if (status != BASS_OK)
            return written > 0 ? written : -1;
        const size_t available = (m_pending.size() - m_pendingPos) / channels;
        const size_t take = std::min(available, size_t(frames - written));
        std::memcpy(out + size_t(written) * channels, m_pending.data() + m_pendingPos, take * channels * sizeof(float));
        m_pendingPos += take * channels;
        written += int(take);
    }
    return written;
}

BassDecoderInfo FfmpegDecoder::info() const
{
    BassDecoderInfo result { m_swrRate, m_swrChannels, -1 };
    const AVStream *stream = m_format->streams[m_streamIndex];
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        result.frames = av_rescale_q(stream->duration, stream->time_base, AVRational { 1, m_swrRate });
    else if (m_format->duration != AV_NOPTS_VALUE && m_format->duration > 0)
        result.frames = av_rescale_q(m_format->duration, AV_TIME_BASE_Q, AVRational { 1, m_swrRate });
    return result;
}

int FfmpegDecoder::seek(double seconds, bool demuxerSeek)
{
    if (!(seconds >= 0) || std::isinf(seconds))
        return BASS_ERROR_POSITION;
    if (demuxerSeek) {
        const AVStream *stream = m_format->streams[m_streamIndex];
        // The time base comes from the file's header, which can make the
        // target as large as it likes.
        const auto target = platform::SaturatingCast<int64_t>(seconds / av_q2d(stream->time_base));
        // Lands on a packet at or before the target; the rest is decoded and dropped.
        if (av_seek_frame(m_format.get(), m_streamIndex, target, AVSEEK_FLAG_BACKWARD) < 0)
            return BASS_ERROR_POSITION;
        avcodec_flush_buffers(m_codec.get());
        // The resampler's delay line holds audio from before the jump.
        m_swr.reset();
        m_swrFormat = -1;
        av_frame_unref(m_frame.get());
        m_frameHeld = false;
        m_inputEnded = false;
        m_resamplerFlushed = false;
    }
    m_pending.clear();
    m_pendingPos = 0;
    m_skipTo = seconds;
    return BASS_OK;
}

bool FfmpegDecoder::keepFrameAfterSeek()
{
    if (m_skipTo < 0)
        return true;
    const AVFrame *frame = m_frame.get();
    const AVStream *stream = m_format->streams[m_streamIndex];
    const int64_t pts = frame->best_effort_timestamp;
    if (frame->nb_samples <= 0)
        return false;
    if (pts == AV_NOPTS_VALUE || frame->sample_rate <= 0) {
        // No time to go by: this is as close as the file lets us get.
        m_skipTo = -1;
        return true;
    }
    double start = double(pts) * av_q2d(stream->time_base);
    if (stream->start_time != AV_NOPTS_VALUE)
        start -= double(stream->start_time) * av_q2d(stream->time_base);
    const double end = start + double(frame->nb_samples) / frame->sample_rate;
    if (end <= m_skipTo)
        return false;
    // A frame stamped far past the asked time (the file's timestamps jump)
    // starts at its first sample.
    m_frameOffset = std::clamp(
        platform::SaturatingCast<int>((m_skipTo - start) * frame->sample_rate + 0.5), 0, frame->nb_samples - 1);
    m_skipTo = -1;
    return true;
}

void FfmpegDecoder::prepare()
{
    platform::quietFfmpegLogs();
    // Decoders build their static tables when the first one of their kind
    // opens; a context with a plain stereo layout is enough to trigger it.
    for (const AVCodecID id : { AV_CODEC_ID_MP3, AV_CODEC_ID_AAC, AV_CODEC_ID_FLAC, AV_CODEC_ID_OPUS, AV_CODEC_ID_AC3,
             AV_CODEC_ID_WMAV2, AV_CODEC_ID_ALAC, AV_CODEC_ID_PCM_S16LE }) {
        const AVCodec *codec = avcodec_find_decoder(id);
        AvPtr<AVCodecContext> context(codec ? avcodec_alloc_context3(codec) : nullptr);
        if (!context)
            continue;
        context->sample_rate = 44100;
        av_channel_layout_default(&context->ch_layout, 2);
        context->thread_count = 1;
        avcodec_open2(context.get(), codec, nullptr);
    }
    for (const char *name : { "mp3", "flac", "ogg", "wav", "aiff", "mov", "aac", "ac3", "asf" })
        av_find_input_format(name);
    // And the resampler's filter set-up, with a usual conversion.
    AVChannelLayout stereo {};
    av_channel_layout_default(&stereo, 2);
    SwrContext *swr = nullptr;
    if (swr_alloc_set_opts2(&swr, &stereo, AV_SAMPLE_FMT_FLT, 44100, &stereo, AV_SAMPLE_FMT_S16P, 48000, 0, nullptr)
        >= 0) {
        AvPtr<SwrContext> owned(swr);
        if (swr_init(swr) >= 0) {
            std::array<int16_t, 256> left {}, right {};
            std::array<float, 2 * 512> out {};
            const uint8_t *in[]
                = { reinterpret_cast<const uint8_t *>(left.data()), reinterpret_cast<const uint8_t *>(right.data()) };
            uint8_t *outPlanes[] = { reinterpret_cast<uint8_t *>(out.data()) };
            swr_convert(swr, outPlanes, 512, in, int(left.size()));
        }
    }
    av_channel_layout_uninit(&stereo);
}

} // namespace bass

// The C entry points libbass.so resolves with dlsym.

struct BassDecoder
{
    std::string path;
    BassDecoderOptions options;
    std::unique_ptr<bass::FfmpegDecoder> impl;
};

#define DECODER_EXPORT extern "C" __attribute__((visibility("default")))

DECODER_EXPORT int bass_decoder_open(const char *path, const BassDecoderOptions *options, BassDecoder **decoder)
{
    if (!path || !options || !decoder)
        return BASS_ERROR_ILLPARAM;
    auto wrapper = std::make_unique<BassDecoder>();
    wrapper->path = path;
    wrapper->options = *options;
    const int error = bass::FfmpegDecoder::open(wrapper->path, wrapper->options, wrapper->impl);
    if (error != BASS_OK)
        return error;
    *decoder = wrapper.release();
    return BASS_OK;
}

DECODER_EXPORT int bass_decoder_read(BassDecoder *decoder, float *out, int frames)
{
    if (!decoder || !decoder->impl || !out || frames < 0)
        return -BASS_ERROR_ILLPARAM;
    return decoder->impl->read(out, frames);
}

// Opening again gives exactly the first play's samples (encoder delay and
// all), which a seek to 0 does not promise for every format.
DECODER_EXPORT int bass_decoder_rewind(BassDecoder *decoder)
{
    if (!decoder)
        return BASS_ERROR_ILLPARAM;
    std::unique_ptr<bass::FfmpegDecoder> fresh;
    const int error = bass::FfmpegDecoder::open(decoder->path, decoder->options, fresh);
    if (error != BASS_OK)
        return error;
    decoder->impl = std::move(fresh);
    return BASS_OK;
}

DECODER_EXPORT int bass_decoder_info(BassDecoder *decoder, BassDecoderInfo *info)
{
    if (!decoder || !decoder->impl || !info)
        return BASS_ERROR_ILLPARAM;
    *info = decoder->impl->info();
    return BASS_OK;
}

DECODER_EXPORT int bass_decoder_seek(BassDecoder *decoder, double seconds)
{
    if (!decoder || !decoder->impl)
        return BASS_ERROR_ILLPARAM;
    if (decoder->impl->seek(seconds, true) == BASS_OK)
        return BASS_OK;
    // A file the demuxer cannot seek in (no index, a raw stream) is decoded
    // from its start up to the asked time instead.
    std::unique_ptr<bass::FfmpegDecoder> fresh;
    const int error = bass::FfmpegDecoder::open(decoder->path, decoder->options, fresh);
    if (error != BASS_OK)
        return error;
    decoder->impl = std::move(fresh);
    return decoder->impl->seek(seconds, false);
}

DECODER_EXPORT void bass_decoder_close(BassDecoder *decoder)
{
    delete decoder;
}

DECODER_EXPORT void bass_decoder_prepare(void)
{
    bass::FfmpegDecoder::prepare();
}
