#pragma once

// Owners for FFmpeg's handles, shared by the audio library's decoder and the
// dialog library's waveform module. Header-only: each module links the FFmpeg
// libraries it uses, and a deleter it never names costs it no symbol.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
}

#include <memory>
#include <mutex>

namespace platform {

// FFmpeg writes its warnings about odd files to the terminal the program was
// started from; a desktop program has nobody there to read them. The level
// is the process's, so whichever module opens a file first sets it.
inline void quietFfmpegLogs()
{
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_FATAL); });
}

struct AvDeleter
{
    void operator()(AVFormatContext *p) const { avformat_close_input(&p); }
    void operator()(AVCodecContext *p) const { avcodec_free_context(&p); }
    void operator()(AVFrame *p) const { av_frame_free(&p); }
    void operator()(AVPacket *p) const { av_packet_free(&p); }
    void operator()(SwrContext *p) const { swr_free(&p); }
};
template<typename T> using AvPtr = std::unique_ptr<T, AvDeleter>;

} // namespace platform
