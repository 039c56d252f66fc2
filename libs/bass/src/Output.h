#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace bass {

struct SdlLibrary;

// Where the mix goes. The mix function runs on the output's own thread and
// must fill `frames` interleaved float frames.
class Output
{
public:
    using MixFunction = std::function<void(float *out, size_t frames)>;
    virtual ~Output() = default;
    int sampleRate() const { return m_sampleRate; }
    int channels() const { return m_channels; }

protected:
    int m_sampleRate = 0;
    int m_channels = 0;
};

// An SDL output device, opened once and kept running until it is destroyed.
class SdlOutput final : public Output
{
public:
    // `deviceName` null means the system's default output. Returns null when
    // the device cannot be opened.
    static std::unique_ptr<SdlOutput> open(
        const SdlLibrary &sdl, const char *deviceName, int sampleRate, MixFunction mix);
    ~SdlOutput() override;

private:
    SdlOutput(const SdlLibrary &sdl, MixFunction mix)
        : m_sdl(sdl)
        , m_mix(std::move(mix))
    { }
    static void callback(void *self, unsigned char *stream, int bytes);

    const SdlLibrary &m_sdl;
    MixFunction m_mix;
    unsigned m_device = 0;
};

// The "No sound" device: streams advance in real time and are discarded.
class NullOutput final : public Output
{
public:
    NullOutput(int sampleRate, MixFunction mix);
    ~NullOutput() override;

private:
    void run();

    MixFunction m_mix;
    std::mutex m_mutex;
    std::condition_variable m_stopWake;
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace bass
