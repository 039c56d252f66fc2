#pragma once

extern "C" {
#include <libavformat/avformat.h>
}

#include "platform/UniqueFd.h"

#include <memory>

namespace platform {

// An audio file handed to FFmpeg by descriptor, for the audio library's
// decoder and the dialog library's readers. The file is opened without
// waiting and refused unless it is a regular file: FFmpeg's own open would
// wait in open(2) for a writer of a named pipe (put in place of a checked
// file, say), where no interrupt callback reaches, holding the reader and the
// program's exit with it for good.
class FfmpegFileInput
{
public:
    FfmpegFileInput() = default;
    FfmpegFileInput(const FfmpegFileInput &) = delete;
    FfmpegFileInput &operator=(const FfmpegFileInput &) = delete;

    // Opens path for reading. interrupt is asked before every read, as
    // FFmpeg's own file input does, so a caller's budget still stops a long
    // read. 0, or a negative AVERROR (AVERROR(EINVAL) for anything but a
    // regular file).
    int open(const char *path, AVIOInterruptCB interrupt);

    // Makes this file format's input; format must be closed before this
    // object goes. Pass the file's name to avformat_open_input as well: it
    // still chooses a demuxer by extension.
    void attach(AVFormatContext *format) const;

private:
    struct IoDeleter
    {
        void operator()(AVIOContext *io) const;
    };
    static int read(void *self, uint8_t *buffer, int size);
    static int64_t seek(void *self, int64_t offset, int whence);

    // Declared first so that it is closed last, after the context reading it.
    UniqueFd m_file;
    std::unique_ptr<AVIOContext, IoDeleter> m_io;
    AVIOInterruptCB m_interrupt {};
};

} // namespace platform
