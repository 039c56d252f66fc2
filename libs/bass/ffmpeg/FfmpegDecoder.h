#pragma once

#include "DecoderApi.h"
#include "platform/FfmpegFileInput.h"
#include "platform/FfmpegHandles.h"

#include <memory>
#include <string>
#include <vector>

namespace bass {

using platform::AvPtr;

// One opened audio file: demuxer, decoder and resampler to the device's
// interleaved float format. Not thread-safe; one stream's decode thread owns it.
class FfmpegDecoder
{
public:
    // Opens the file and decodes up to its first audio; returns a BASS error code.
    static int open(const std::string &path, const BassDecoderOptions &options, std::unique_ptr<FfmpegDecoder> &result);

    // Frames written, 0 at the end, or -1 when the data cannot be decoded.
    int read(float *out, int frames);

    // The file's rate, channels and length; valid once open() succeeded.
    BassDecoderInfo info() const;

    // Moves to `seconds`: with the demuxer's index or search when
    // `demuxerSeek`, else by decoding forward from where the input is. The
    // samples before the asked one are dropped by their timestamps, so the
    // next read starts exactly there. Returns a BASS error code.
    int seek(double seconds, bool demuxerSeek);

    // Loads what the first file would otherwise load: codec tables and the
    // resampler's, so the first preview costs what every later one does.
    static void prepare();

private:
    FfmpegDecoder(const BassDecoderOptions &options)
        : m_options(options)
    { }
    int openInput(const std::string &path, const char *demuxer);
    // Polled by FFmpeg between reads: the caller's abort, and the budget of
    // the search for the first audio.
    static int interrupt(void *self);
    bool overBudget();
    // 1 when a frame is in m_frame, 0 at the end, or a negative FFmpeg error.
    int decodeFrame();
    // Converts the next slice of m_frame (or, with no frame, the resampler's
    // tail) into m_pending.
    int convertSlice();
    int convert(const uint8_t *const *in, int inFrames);
    bool configureResampler(const AVFrame *frame);
    // After a seek: false when m_frame lies wholly before the asked time;
    // else sets m_frameOffset to the asked sample within it.
    bool keepFrameAfterSeek();
    // Decodes until m_pending holds samples; returns a BASS error code, or
    // kEnded at the end of the file.
    int refill();

    static constexpr int kEnded = -1000;

    BassDecoderOptions m_options;
    platform::FfmpegFileInput m_input; // outlives m_format, which reads it
    AvPtr<AVFormatContext> m_format;
    AvPtr<AVCodecContext> m_codec;
    AvPtr<AVFrame> m_frame;
    AvPtr<AVPacket> m_packet;
    AvPtr<SwrContext> m_swr;
    int m_streamIndex = -1;
    AVFormatContext *m_opening = nullptr; // the input while avformat_open_input runs
    bool m_searching = true; // no audio decoded yet: the budget applies
    bool m_overBudget = false;
    long long m_searchStartBytes = -1; // input read when the header was done
    long long m_searchStartCpuNs = 0;
    double m_skipTo = -1; // after a seek: drop audio before this time, in seconds
    int m_frameOffset = 0; // frames of m_frame already resampled
    bool m_frameHeld = false;
    bool m_inputEnded = false;
    bool m_resamplerFlushed = false;
    int m_swrFormat = -1;
    int m_swrRate = 0;
    int m_swrChannels = 0;
    std::vector<float> m_pending;
    size_t m_pendingPos = 0; // in floats
};

} // namespace bass
