#include "FfmpegDecoder.h"

#include "../include/bass.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string_view>
#include <sys/stat.h>

namespace bass {

void AvDeleter::operator()(AVFormatContext *p) const { avformat_close_input(&p); }
void AvDeleter::operator()(AVCodecContext *p) const { avcodec_free_context(&p); }
void AvDeleter::operator()(AVFrame *p) const { av_frame_free(&p); }
void AvDeleter::operator()(AVPacket *p) const { av_packet_free(&p); }
void AvDeleter::operator()(SwrContext *p) const { swr_free(&p); }

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
    static const struct {
        const char *ext;
        const char *demuxer;
    } table[] = {
        {"mp3", "mp3"},  {"mp2", "mp3"},  {"mp1", "mp3"},  {"mpa", "mp3"},  {"flac", "flac"}, {"fla", "flac"},
        {"flc", "flac"}, {"oga", "ogg"},  {"ogg", "ogg"},  {"opus", "ogg"}, {"wav", "wav"},   {"aif", "aiff"},
        {"aiff", "aiff"}, {"aifc", "aiff"}, {"afc", "aiff"}, {"mp4", "mov"}, {"m4a", "mov"},   {"m4b", "mov"},
        {"aac", "aac"},  {"ac3", "ac3"},  {"wma", "asf"},  {"dsf", "dsf"},  {"dff", "iff"},
    };
    for (const auto &entry : table) {
        if (ext == entry.ext)
            return entry.demuxer;
    }
    return nullptr;
}

int bassErrorFromOpen(int averror)
{
    if (averror == AVERROR(ENOENT) || averror == AVERROR(EACCES) || averror == AVERROR(EISDIR) || averror == AVERROR(ENOTDIR))
        return BASS_ERROR_FILEOPEN;
    if (averror == AVERROR(ENOMEM))
        return BASS_ERROR_MEM;
    if (averror == AVERROR_EXIT)
        return BASS_ERROR_UNKNOWN;
    return BASS_ERROR_FILEFORM;
}

} // namespace

int FfmpegDecoder::open(const std::string &path, const BassDecoderOptions &options, std::unique_ptr<FfmpegDecoder> &result)
{
    static std::once_flag quiet;
    // A preview player has nobody to show FFmpeg's warnings about odd files to.
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_FATAL); });

    if (options.sampleRate <= 0 || options.channels <= 0)
        return BASS_ERROR_ILLPARAM;
    // Only plain files: opening a named pipe or a device could wait forever
    // on the caller's thread.
    struct stat info{};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return BASS_ERROR_FILEOPEN;
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
    AVFormatContext *format = avformat_alloc_context();
    if (!format)
        return BASS_ERROR_MEM;
    format->interrupt_callback.callback = m_options.interrupt;
    format->interrupt_callback.opaque = m_options.opaque;
    format->probesize = kProbeBytes;
    format->format_probesize = kFormatProbeBytes;
    const AVInputFormat *demuxer = demuxerName ? av_find_input_format(demuxerName) : nullptr;
    int ret = avformat_open_input(&format, path.c_str(), demuxer, nullptr);
    if (ret < 0)
        return bassErrorFromOpen(ret); // avformat_open_input freed the context
    m_format.reset(format);

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
    if (avcodec_parameters_to_context(m_codec.get(), stream->codecpar) < 0)
        return BASS_ERROR_FILEFORM;
    m_codec->pkt_timebase = stream->time_base;
    // One stream decodes far faster than real time; extra threads only cost start-up.
    m_codec->thread_count = 1;
    if (avcodec_open2(m_codec.get(), codec, nullptr) < 0)
        return BASS_ERROR_CODEC;

    const int first = refill();
    if (first == kEnded)
        return BASS_ERROR_FILEFORM; // nothing decodable: a truncated or broken file
    return first;
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
    if (channels <= 0 || frame->sample_rate <= 0)
        return false;

    AVChannelLayout inLayout{};
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&inLayout, channels);
    else if (av_channel_layout_copy(&inLayout, &frame->ch_layout) < 0)
        return false;
    AVChannelLayout outLayout{};
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

int FfmpegDecoder::convert(const AVFrame *frame)
{
    const int inFrames = frame ? frame->nb_samples : 0;
    const int capacity = swr_get_out_samples(m_swr.get(), inFrames);
    if (capacity <= 0)
        return 0;
    const size_t channels = size_t(m_options.channels);
    m_pending.resize(size_t(capacity) * channels);
    m_pendingPos = 0;
    uint8_t *out = reinterpret_cast<uint8_t *>(m_pending.data());
    const int converted = swr_convert(m_swr.get(), &out, capacity,
                                      frame ? const_cast<const uint8_t **>(frame->extended_data) : nullptr, inFrames);
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
        const int got = decodeFrame();
        if (got == AVERROR_EXIT)
            return BASS_ERROR_UNKNOWN;
        if (got < 0)
            return BASS_ERROR_FILEFORM;
        if (got == 0) {
            // Drain the resampler's delay line once, then it is the end.
            if (!m_swr || m_resamplerFlushed)
                return kEnded;
            m_resamplerFlushed = true;
            if (convert(nullptr) <= 0)
                return kEnded;
            continue;
        }
        const bool ok = configureResampler(m_frame.get());
        if (ok)
            convert(m_frame.get());
        av_frame_unref(m_frame.get());
        if (!ok)
            return BASS_ERROR_FORMAT;
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

} // namespace bass

// The C entry points libbass.so resolves with dlsym.

struct BassDecoder {
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

DECODER_EXPORT void bass_decoder_close(BassDecoder *decoder)
{
    delete decoder;
}
