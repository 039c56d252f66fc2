#include "Output.h"

#include "SdlLibrary.h"

#include <chrono>
#include <cstring>

namespace bass {

namespace {

// One device period, about 12 ms at 44.1 kHz: a new stream is heard from the
// next period on (measured 11 ms median from the preview call, against 14 ms
// with 1024 frames), and playing still costs well under 1 % of a core.
constexpr int kPeriodFrames = 512;
constexpr int kChannels = 2;

} // namespace

std::unique_ptr<SdlOutput> SdlOutput::open(
    const SdlLibrary &sdl, const char *deviceName, int sampleRate, MixFunction mix)
{
    std::unique_ptr<SdlOutput> output(new SdlOutput(sdl, std::move(mix)));
    SDL_AudioSpec want {};
    want.freq = sampleRate;
    want.format = AUDIO_F32SYS;
    want.channels = kChannels;
    want.samples = kPeriodFrames;
    want.callback = &SdlOutput::callback;
    want.userdata = output.get();
    SDL_AudioSpec have {};
    output->m_device = sdl.OpenAudioDevice(
        deviceName, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (output->m_device == 0)
        return nullptr;
    output->m_sampleRate = have.freq;
    output->m_channels = have.channels;
    sdl.PauseAudioDevice(output->m_device, 0);
    return output;
}

SdlOutput::~SdlOutput()
{
    if (m_device != 0)
        m_sdl.CloseAudioDevice(m_device);
}

void SdlOutput::callback(void *self, unsigned char *stream, int bytes)
{
    auto *output = static_cast<SdlOutput *>(self);
    float *out = reinterpret_cast<float *>(stream);
    const size_t frames = size_t(bytes) / sizeof(float) / size_t(output->m_channels);
    std::memset(stream, 0, size_t(bytes));
    output->m_mix(out, frames);
}

NullOutput::NullOutput(int sampleRate, MixFunction mix)
    : m_mix(std::move(mix))
{
    m_sampleRate = sampleRate;
    m_channels = kChannels;
    m_thread = std::thread([this] { run(); });
}

NullOutput::~NullOutput()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_stopWake.notify_all();
    m_thread.join();
}

void NullOutput::run()
{
    using clock = std::chrono::steady_clock;
    const auto period = std::chrono::duration_cast<clock::duration>(
        std::chrono::duration<double>(double(kPeriodFrames) / m_sampleRate));
    std::vector<float> buffer(size_t(kPeriodFrames) * kChannels);
    auto next = clock::now();
    std::unique_lock lock(m_mutex);
    while (!m_stop) {
        lock.unlock();
        std::fill(buffer.begin(), buffer.end(), 0.0f);
        m_mix(buffer.data(), kPeriodFrames);
        next += period;
        lock.lock();
        m_stopWake.wait_until(lock, next, [this] { return m_stop; });
    }
}

} // namespace bass
