#include "Engine.h"

#include "DecoderLibrary.h"
#include "SdlLibrary.h"
#include "Stream.h"

#include <random>

namespace bass {

namespace {

constexpr DWORD kDefaultRate = 44100;
constexpr int kNoSoundDevice = 0;
constexpr int kDefaultDevice = 1;
constexpr int kFirstListedDevice = 2;

} // namespace

Engine &Engine::instance()
{
    // Never destroyed: output and decode threads may outlive static
    // destruction in a program that exits without BASS_Free.
    static Engine *engine = new Engine;
    return *engine;
}

const char *Engine::intern(const std::string &text)
{
    for (const std::string &s : m_strings) {
        if (s == text)
            return s.c_str();
    }
    return m_strings.emplace_back(text).c_str();
}

bool Engine::acquireSdlAudio()
{
    const SdlLibrary *sdl = SdlLibrary::get();
    if (!sdl)
        return false;
    if (m_sdlAudioUsers == 0 && sdl->InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    ++m_sdlAudioUsers;
    return true;
}

void Engine::releaseSdlAudio()
{
    if (m_sdlAudioUsers > 0 && --m_sdlAudioUsers == 0)
        SdlLibrary::get()->QuitSubSystem(SDL_INIT_AUDIO);
}

void Engine::refreshDevices()
{
    m_devices.clear();
    m_devices.push_back({ intern("No sound"), intern("") });
    if (!acquireSdlAudio())
        return; // no audio system at all: only the silent device
    const SdlLibrary *sdl = SdlLibrary::get();
    const char *driver = sdl->GetCurrentAudioDriver();
    const char *driverName = intern(driver ? driver : "");
    m_devices.push_back({ intern("Default"), driverName });
    const int count = sdl->GetNumAudioDevices(0);
    for (int i = 0; i < count; ++i) {
        const char *name = sdl->GetAudioDeviceName(i, 0);
        if (name)
            m_devices.push_back({ intern(name), driverName });
    }
    releaseSdlAudio();
}

int Engine::deviceInfo(DWORD device, BASS_DEVICEINFO &info)
{
    std::lock_guard api(m_apiMutex);
    // A listing starts at device 0: look again then, so plugged-in devices show.
    if (device == 0 || m_devices.empty())
        refreshDevices();
    if (device >= m_devices.size())
        return BASS_ERROR_DEVICE;
    info.name = m_devices[device].name;
    info.driver = m_devices[device].driver;
    info.flags = BASS_DEVICE_ENABLED;
    if (device == kDefaultDevice)
        info.flags |= BASS_DEVICE_DEFAULT;
    if (m_initialized && int(device) == m_device)
        info.flags |= BASS_DEVICE_INIT;
    return BASS_OK;
}

int Engine::init(int device, DWORD freq)
{
    std::lock_guard api(m_apiMutex);
    if (device == -1)
        device = kDefaultDevice;
    if (device < 0)
        return BASS_ERROR_DEVICE;
    if (m_initialized)
        return BASS_ERROR_ALREADY;
    const int rate = int(freq ? freq : kDefaultRate);
    if (rate < 0)
        return BASS_ERROR_ILLPARAM;
    auto mixer = [this](float *out, size_t frames) { mix(out, frames); };

    if (device == kNoSoundDevice) {
        m_output = std::make_unique<NullOutput>(rate, mixer);
    } else {
        // Held from before the listing, so SDL's audio is started once, not twice.
        const bool sdlAudio = acquireSdlAudio();
        refreshDevices();
        if (device >= int(m_devices.size()) || !sdlAudio) {
            if (sdlAudio)
                releaseSdlAudio();
            return BASS_ERROR_DEVICE;
        }
        const char *name = device >= kFirstListedDevice ? m_devices[size_t(device)].name : nullptr;
        m_output = SdlOutput::open(*SdlLibrary::get(), name, rate, mixer);
        if (!m_output) {
            releaseSdlAudio();
            return BASS_ERROR_DRIVER;
        }
    }
    if (m_nextHandle == 0) {
        // Start numbering somewhere unpredictable, so that a made-up or
        // remembered number from an earlier run does not name a stream.
        std::random_device random;
        m_nextHandle = random() | 1;
    }
    m_reaper.start();
    m_device = device;
    m_initialized = true;
    ++m_outputGeneration;
    // With the output open a preview is near: have the decoder ready for it.
    DecoderLibrary::preloadInBackground();
    return BASS_OK;
}

int Engine::free()
{
    std::lock_guard api(m_apiMutex);
    if (!m_initialized)
        return BASS_ERROR_INIT;
    for (const auto &opening : m_opening)
        opening->abort();
    {
        std::lock_guard lock(m_streamsMutex);
        for (auto &[handle, stream] : m_streams) {
            stream->abort();
            m_reaper.dispose(std::move(stream));
        }
        m_streams.clear();
    }
    const bool usedSdl = dynamic_cast<SdlOutput *>(m_output.get()) != nullptr;
    m_output.reset();
    if (usedSdl)
        releaseSdlAudio();
    m_reaper.stop();
    // The output's owner is going away, and the process may follow.
    DecoderLibrary::finishPreload();
    m_initialized = false;
    m_device = -1;
    return BASS_OK;
}

DWORD Engine::newHandle()
{
    // 32-bit numbers handed out in sequence: a freed handle comes back only
    // after four billion more streams.
    std::lock_guard lock(m_streamsMutex);
    for (;;) {
        const DWORD handle = m_nextHandle++;
        if (handle != 0 && m_streams.find(handle) == m_streams.end())
            return handle;
    }
}

int Engine::createStream(const std::string &path, DWORD flags, HSTREAM &handle)
{
    std::shared_ptr<Stream> stream;
    unsigned generation = 0;
    {
        std::lock_guard api(m_apiMutex);
        if (!m_initialized)
            return BASS_ERROR_INIT;
        stream = std::make_shared<Stream>(newHandle(), flags, m_output->sampleRate(), m_output->channels(),
            [this](DWORD ended) { streamEnded(ended); });
        generation = m_outputGeneration;
        m_opening.insert(stream);
    }
    // Opening reads and decodes the file within the decoder's budgets; no
    // lock is held, so other streams, the device list and BASS_Free go on
    // meanwhile (BASS_Free aborts the open).
    int error = stream->open(path);
    std::lock_guard api(m_apiMutex);
    m_opening.erase(stream);
    if (error == BASS_OK && (!m_initialized || generation != m_outputGeneration))
        error = BASS_ERROR_INIT; // the output it was made for is gone
    if (error != BASS_OK) {
        stream->abort();
        m_reaper.dispose(std::move(stream));
        return error;
    }
    stream->start();
    handle = stream->handle();
    std::lock_guard lock(m_streamsMutex);
    m_streams.emplace(handle, std::move(stream));
    return BASS_OK;
}

std::shared_ptr<Stream> Engine::find(DWORD handle)
{
    std::lock_guard lock(m_streamsMutex);
    const auto it = m_streams.find(handle);
    return it == m_streams.end() ? nullptr : it->second;
}

int Engine::freeStream(HSTREAM handle)
{
    std::lock_guard lock(m_streamsMutex);
    const auto it = m_streams.find(handle);
    if (it == m_streams.end())
        return BASS_ERROR_HANDLE;
    it->second->abort();
    m_reaper.dispose(std::move(it->second));
    m_streams.erase(it);
    return BASS_OK;
}

void Engine::streamEnded(DWORD handle)
{
    // Removing the stream and handing it over happen under one lock, so
    // BASS_Free either finds it in the table or finds it already handed over.
    std::lock_guard lock(m_streamsMutex);
    const auto it = m_streams.find(handle);
    if (it == m_streams.end())
        return;
    m_reaper.dispose(std::move(it->second));
    m_streams.erase(it);
}

void Engine::mix(float *out, size_t frames)
{
    std::lock_guard lock(m_streamsMutex);
    for (auto &entry : m_streams)
        entry.second->mixInto(out, frames);
}

} // namespace bass
