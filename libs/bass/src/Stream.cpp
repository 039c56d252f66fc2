#include "Stream.h"

#include "platform/SaturatingCast.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace bass {

namespace {

// Half a second of audio queued ahead: enough to ride out a busy machine,
// short enough that a restart or a new file costs little memory.
constexpr int kQueueDivisor = 2;
// Frames decoded per step of the decode thread.
constexpr size_t kChunkFrames = 2048;
// Queued synchronously by open(), so a stream can sound in the very next
// device period.
constexpr size_t kFirstFrames = 1024;

} // namespace

Stream::Stream(DWORD handle, DWORD flags, int sampleRate, int channels, EndedCallback ended)
    : m_handle(handle)
    , m_flags(flags)
    , m_channels(size_t(channels))
    , m_sampleRate(sampleRate)
    , m_ended(std::move(ended))
    , m_ring(size_t(sampleRate / kQueueDivisor) + kChunkFrames, size_t(channels))
{
    m_loop = (flags & BASS_SAMPLE_LOOP) != 0;
}

Stream::~Stream()
{
    abort();
    join();
    if (m_decoder)
        m_decoderLib->close(m_decoder);
}

int Stream::interrupt(void *self)
{
    return static_cast<Stream *>(self)->m_abort.load(std::memory_order_relaxed) ? 1 : 0;
}

int Stream::open(const std::string &path)
{
    m_decoderLib = DecoderLibrary::get();
    if (!m_decoderLib)
        return BASS_ERROR_NOTAVAIL;
    BassDecoderOptions options { m_sampleRate, int(m_channels), &Stream::interrupt, this };
    const int error = m_decoderLib->open(path.c_str(), &options, &m_decoder);
    if (error != BASS_OK) {
        m_decoder = nullptr;
        return error;
    }
    BassDecoderInfo info {};
    if (m_decoderLib->info(m_decoder, &info) == BASS_OK && info.sampleRate > 0 && info.channels > 0) {
        m_fileRate = info.sampleRate;
        m_fileChannels = info.channels;
        m_fileFrames = info.frames;
    } else {
        m_fileRate = m_sampleRate;
        m_fileChannels = int(m_channels);
    }
    std::vector<float> first(kFirstFrames * m_channels);
    const int got = m_decoderLib->read(m_decoder, first.data(), int(kFirstFrames));
    if (got > 0)
        m_written = m_ring.write(first.data(), size_t(got));
    else
        m_decodeEnded = true; // nothing to play, nor to loop
    return BASS_OK;
}

void Stream::start()
{
    m_thread = std::thread([this] { run(); });
}

int Stream::play(bool restart)
{
    std::lock_guard lock(m_mutex);
    if (m_finished)
        return BASS_ERROR_HANDLE;
    // A stream that reached its end starts again from the beginning, like a
    // restart; one that never played is already at its beginning.
    const bool atStart = m_consumed == 0 && m_startSeconds == 0 && m_seekTo < 0;
    if (m_state == State::Ended || (restart && !atStart))
        restartAt(-1);
    m_state = State::Playing;
    return BASS_OK;
}

void Stream::restartAt(double seconds)
{
    ++m_generation;
    m_seekTo = seconds;
    m_startSeconds = seconds < 0 ? 0 : seconds;
    m_ring.clear();
    m_decodeEnded = false;
    m_endOfFile = false;
    m_consumed = 0;
    m_written = 0;
    m_loopPoints.clear();
    m_wake.notify_all();
}

size_t Stream::bytesPerFrame() const
{
    const size_t sampleBytes = (m_flags & BASS_SAMPLE_FLOAT) ? sizeof(float) : sizeof(int16_t);
    return sampleBytes * size_t(m_fileChannels);
}

double Stream::bytesToSeconds(QWORD bytes) const
{
    return double(bytes / bytesPerFrame()) / m_fileRate;
}

QWORD Stream::frameToBytes(QWORD frame) const
{
    // A header may claim more frames than a byte offset can count: the answer
    // stops at the last whole frame below QWORD(-1), which callers read as
    // an error.
    const QWORD lastFrame = (std::numeric_limits<QWORD>::max() - 1) / bytesPerFrame();
    return std::min(frame, lastFrame) * bytesPerFrame();
}

QWORD Stream::secondsToBytes(double seconds) const
{
    if (!(seconds > 0))
        return 0;
    // The small allowance keeps a time made from a whole frame on that frame.
    return frameToBytes(platform::SaturatingCast<QWORD>(std::floor(seconds * m_fileRate + 1e-6)));
}

int Stream::length(QWORD &bytes) const
{
    if (m_fileFrames < 0)
        return BASS_ERROR_NOTAVAIL;
    bytes = frameToBytes(QWORD(m_fileFrames));
    return BASS_OK;
}

QWORD Stream::position()
{
    std::lock_guard lock(m_mutex);
    const double seconds = m_startSeconds + double(m_consumed) / m_sampleRate;
    const QWORD bytes = secondsToBytes(seconds);
    // The device's rate rounds; the position never passes the end.
    QWORD end = 0;
    return length(end) == BASS_OK ? std::min(bytes, end) : bytes;
}

int Stream::setPosition(QWORD bytes)
{
    QWORD end = 0;
    if (length(end) == BASS_OK && bytes >= end)
        return BASS_ERROR_POSITION;
    std::lock_guard lock(m_mutex);
    if (m_finished)
        return BASS_ERROR_HANDLE;
    restartAt(bytesToSeconds(bytes));
    // An ended stream waits at the new position for the next play.
    if (m_state == State::Ended)
        m_state = State::Stopped;
    return BASS_OK;
}

DWORD Stream::flags() const
{
    return (m_flags & ~DWORD(BASS_SAMPLE_LOOP)) | (m_loop.load(std::memory_order_relaxed) ? BASS_SAMPLE_LOOP : 0);
}

void Stream::setLoop(bool loop)
{
    std::lock_guard lock(m_mutex);
    m_loop = loop;
    if (!loop && !m_loopPoints.empty()) {
        // The next pass is already queued behind the file's end: it goes, and
        // the decoder stops there as it would have without the loop.
        const size_t fileEnd = m_loopPoints.front();
        m_ring.truncate(fileEnd - m_consumed);
        m_written = fileEnd;
        m_loopPoints.clear();
        m_decodeEnded = true;
        m_endOfFile = true;
        ++m_loopChanges;
    }
    m_wake.notify_all();
}

bool Stream::loopWanted() const
{
    return m_decodeEnded && m_endOfFile && m_loop.load(std::memory_order_relaxed) && m_state != State::Ended;
}

int Stream::pause()
{
    std::lock_guard lock(m_mutex);
    if (m_finished)
        return BASS_ERROR_HANDLE;
    if (m_state == State::Paused)
        return BASS_ERROR_ALREADY;
    if (m_state != State::Playing)
        return BASS_ERROR_NOPLAY;
    m_state = State::Paused;
    return BASS_OK;
}

DWORD Stream::activity()
{
    std::lock_guard lock(m_mutex);
    switch (m_state) {
    case State::Playing:
        return m_ring.available() == 0 && !m_decodeEnded ? BASS_ACTIVE_STALLED : BASS_ACTIVE_PLAYING;
    case State::Paused:
        return BASS_ACTIVE_PAUSED;
    default:
        return BASS_ACTIVE_STOPPED;
    }
}

void Stream::abort()
{
    std::lock_guard lock(m_mutex);
    m_abort = true;
    m_wake.notify_all();
}

void Stream::join()
{
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

void Stream::mixInto(float *out, size_t frames)
{
    size_t got = 0;
    {
        std::lock_guard lock(m_mutex);
        if (m_state != State::Playing)
            return;
        if (m_mixScratch.size() < frames * m_channels)
            m_mixScratch.resize(frames * m_channels);
        got = m_ring.read(m_mixScratch.data(), frames);
        m_consumed += got;
        while (!m_loopPoints.empty() && m_consumed >= m_loopPoints.front()) {
            // Played past the point where the file began again.
            const size_t loopPoint = m_loopPoints.front();
            m_loopPoints.pop_front();
            for (size_t &later : m_loopPoints)
                later -= loopPoint;
            m_consumed -= loopPoint;
            m_written -= loopPoint;
            m_startSeconds = 0;
        }
        // Looping switched on just as the queue ran out: a moment's gap
        // while the decoder goes back, not the end.
        if (got < frames && m_decodeEnded && !loopWanted())
            m_state = State::Ended;
        m_wake.notify_all();
    }
    const float gain = m_volume.load(std::memory_order_relaxed);
    const size_t samples = got * m_channels;
    for (size_t i = 0; i < samples; ++i)
        out[i] += m_mixScratch[i] * gain;
}

void Stream::run()
{
    std::vector<float> chunk(kChunkFrames * m_channels);
    unsigned decodedGeneration = 0;
    bool loopedEmpty = false; // rewound for a loop and nothing decoded since
    const bool autoFree = (m_flags & BASS_STREAM_AUTOFREE) != 0;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] {
            return m_abort || m_generation != decodedGeneration || (!m_decodeEnded && m_ring.space() >= kChunkFrames)
                || loopWanted() || (autoFree && m_state == State::Ended);
        });
        if (m_abort)
            return;
        if (m_generation != decodedGeneration) {
            const unsigned wanted = m_generation;
            const double seekTo = m_seekTo;
            lock.unlock();
            // Decoding to the asked place happens here, never on the caller's thread.
            const bool rewound
                = (seekTo < 0 ? m_decoderLib->rewind(m_decoder) : m_decoderLib->seek(m_decoder, seekTo)) == BASS_OK;
            lock.lock();
            decodedGeneration = wanted;
            loopedEmpty = false;
            if (!rewound && m_generation == wanted)
                m_decodeEnded = true;
            continue;
        }
        if (autoFree && m_state == State::Ended) {
            m_finished = true;
            lock.unlock();
            m_ended(m_handle);
            return;
        }
        const unsigned generation = m_generation;
        const unsigned loopChanges = m_loopChanges;
        // Samples decoded while a restart came in, or while the loop was
        // switched off behind them, are stale.
        auto stale = [&] { return generation != m_generation || loopChanges != m_loopChanges; };
        if (loopWanted()) {
            // Looping: back to the first sample, and the queue carries on
            // without a gap. A file that gives nothing even then ends.
            lock.unlock();
            const bool rewound = m_decoderLib->rewind(m_decoder) == BASS_OK;
            lock.lock();
            if (stale() || !loopWanted())
                continue; // restarted or switched off meanwhile: a later loop rewinds again
            m_endOfFile = false;
            if (rewound) {
                m_decodeEnded = false;
                m_loopPoints.push_back(m_written);
                loopedEmpty = true;
            }
            continue;
        }
        lock.unlock();
        const int got = m_decoderLib->read(m_decoder, chunk.data(), int(kChunkFrames));
        lock.lock();
        if (stale())
            continue;
        if (got > 0) {
            m_written += m_ring.write(chunk.data(), size_t(got));
            loopedEmpty = false;
        } else {
            // The end, or data that cannot be decoded: stop there. Only the
            // end of a file that gave samples is a place to loop from.
            m_decodeEnded = true;
            m_endOfFile = got == 0 && !loopedEmpty;
        }
    }
}

} // namespace bass
