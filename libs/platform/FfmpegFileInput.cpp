#include "platform/FfmpegFileInput.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// As FFmpeg's own file input reads.
constexpr int kBufferBytes = 32 * 1024;

} // namespace

void FfmpegFileInput::IoDeleter::operator()(AVIOContext *io) const
{
    // FFmpeg may have replaced the buffer it was given: free the one it holds.
    av_freep(&io->buffer);
    avio_context_free(&io);
}

int FfmpegFileInput::open(const char *path, AVIOInterruptCB interrupt)
{
    // Without O_NONBLOCK, opening a named pipe waits for a writer.
    m_file.reset(::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!m_file)
        return AVERROR(errno);
    struct stat info
    {
    };
    if (::fstat(m_file.get(), &info) != 0)
        return AVERROR(errno);
    if (!S_ISREG(info.st_mode))
        return AVERROR(S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    // A regular file never makes a read wait long; a read that returned
    // EAGAIN would only have FFmpeg take it for an error.
    const int flags = ::fcntl(m_file.get(), F_GETFL);
    if (flags < 0 || ::fcntl(m_file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
        return AVERROR(errno);
    auto *buffer = static_cast<unsigned char *>(av_malloc(kBufferBytes));
    if (!buffer)
        return AVERROR(ENOMEM);
    m_io.reset(
        avio_alloc_context(buffer, kBufferBytes, 0, this, &FfmpegFileInput::read, nullptr, &FfmpegFileInput::seek));
    if (!m_io) {
        av_free(buffer);
        return AVERROR(ENOMEM);
    }
    m_interrupt = interrupt;
    return 0;
}

void FfmpegFileInput::attach(AVFormatContext *format) const
{
    format->pb = m_io.get();
    format->flags |= AVFMT_FLAG_CUSTOM_IO;
}

int FfmpegFileInput::read(void *self, uint8_t *buffer, int size)
{
    const auto *input = static_cast<const FfmpegFileInput *>(self);
    if (input->m_interrupt.callback && input->m_interrupt.callback(input->m_interrupt.opaque))
        return AVERROR_EXIT;
    for (;;) {
        const ssize_t got = ::read(input->m_file.get(), buffer, size_t(size));
        if (got > 0)
            return int(got);
        if (got == 0)
            return AVERROR_EOF;
        if (errno != EINTR)
            return AVERROR(errno);
    }
}

int64_t FfmpegFileInput::seek(void *self, int64_t offset, int whence)
{
    const auto *input = static_cast<const FfmpegFileInput *>(self);
    if (whence & AVSEEK_SIZE) {
        struct stat info
        {
        };
        return ::fstat(input->m_file.get(), &info) == 0 ? int64_t(info.st_size) : AVERROR(errno);
    }
    const off_t at = ::lseek(input->m_file.get(), off_t(offset), whence & ~AVSEEK_FORCE);
    return at >= 0 ? int64_t(at) : AVERROR(errno);
}

} // namespace platform
