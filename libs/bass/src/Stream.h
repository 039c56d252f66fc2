#pragma once

#include "DecoderLibrary.h"
#include "RingBuffer.h"
#include "bass.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace bass {

// One file stream: a decode thread fills a bounded ring in the device's
// format, the output thread takes from it. Play/pause and restart requests
// come from the caller's thread; a restart bumps a generation number so that
// audio decoded before it is dropped.
class Stream
{
public:
    // Called on the decode thread once the stream has played to its end and
    // is to be freed (BASS_STREAM_AUTOFREE).
    using EndedCallback = std::function<void(DWORD handle)>;

    Stream(DWORD handle, DWORD flags, int sampleRate, int channels, EndedCallback ended);
    ~Stream();
    Stream(const Stream &) = delete;
    Stream &operator=(const Stream &) = delete;

    // Opens the file and queues its first samples; returns a BASS error code.
    int open(const std::string &path);
    void start();

    DWORD handle() const { return m_handle; }
    int play(bool restart);
    int pause();
    DWORD activity();
    void setVolume(float volume) { m_volume.store(volume, std::memory_order_relaxed); }

    // Positions in bytes of the channel's format: the file's rate and
    // channels, 16-bit samples (32-bit float with BASS_SAMPLE_FLOAT).
    // Each returns a BASS error code.
    int length(QWORD &bytes) const;
    QWORD position();
    // The decode thread moves there; audio queued from before is dropped.
    int setPosition(QWORD bytes);
    double bytesToSeconds(QWORD bytes) const;
    QWORD secondsToBytes(double seconds) const;
    // BASS_SAMPLE_LOOP is the one flag that changes after creation.
    DWORD flags() const;
    // Heard at once: switched off, whatever was queued past the file's end
    // is dropped; switched on at the end of the decoding, the decoder goes
    // back to the beginning behind what is still queued.
    void setLoop(bool loop);

    // Stops decoding as soon as possible; join() then waits for the thread.
    void abort();
    void join();

    // Output thread: adds this stream's next frames, with its gain, to `out`.
    void mixInto(float *out, size_t frames);

private:
    enum class State { Stopped, Playing, Paused, Ended };

    void run();
    static int interrupt(void *self);
    size_t bytesPerFrame() const;
    QWORD frameToBytes(QWORD frame) const;
    // The decoder has queued the file's last sample and the loop flag asks
    // for more. Caller holds m_mutex.
    bool loopWanted() const;
    // A new generation for the decode thread: from `seconds` (-1: the very
    // first sample, as opened). Caller holds m_mutex.
    void restartAt(double seconds);

    const DWORD m_handle;
    const DWORD m_flags;
    const size_t m_channels;
    const int m_sampleRate;
    const DecoderLibrary *m_decoderLib = nullptr;
    BassDecoder *m_decoder = nullptr;
    EndedCallback m_ended;
    std::thread m_thread;
    std::atomic<bool> m_abort { false };
    std::atomic<float> m_volume { 1.0f };
    std::atomic<bool> m_loop { false }; // changed under m_mutex
    // The file's own format, known once it is open.
    int m_fileRate = 0;
    int m_fileChannels = 0;
    long long m_fileFrames = -1;

    std::mutex m_mutex; // guards everything below
    std::condition_variable m_wake;
    RingBuffer m_ring;
    State m_state = State::Stopped;
    bool m_decodeEnded = false;
    // The decoding ended at the file's end (not at data it could not
    // decode), so ticking the loop carries on from the beginning.
    bool m_endOfFile = false;
    unsigned m_loopChanges = 0; // queue cut short by switching the loop off
    bool m_finished = false; // auto-free has begun; the handle is going away
    unsigned m_generation = 0; // restarts requested
    size_t m_consumed = 0; // frames played since the last (re)start
    double m_startSeconds = 0; // where the last (re)start or seek began
    double m_seekTo = -1; // where the decode thread is to go at the next generation (-1: rewind)
    size_t m_written = 0; // frames queued since the last (re)start
    // Frames queued since the last (re)start at which a loop went back to
    // the beginning: once played up to there, the position starts at 0 again.
    std::deque<size_t> m_loopPoints;

    std::vector<float> m_mixScratch; // output thread only
};

} // namespace bass
