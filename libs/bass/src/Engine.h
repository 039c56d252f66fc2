#pragma once

#include "Output.h"
#include "Reaper.h"
#include "bass.h"

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace bass {

class Stream;

// The library's state behind the BASS_ calls: the device list, the open
// output, and the table of live streams by handle.
class Engine
{
public:
    static Engine &instance();

    // Each returns a BASS error code; results go to the out parameters.
    int deviceInfo(DWORD device, BASS_DEVICEINFO &info);
    int init(int device, DWORD freq);
    int free();
    int createStream(const std::string &path, DWORD flags, HSTREAM &handle);
    int freeStream(HSTREAM handle);
    // The live stream with this handle, or null.
    std::shared_ptr<Stream> find(DWORD handle);

private:
    struct Device
    {
        const char *name;
        const char *driver;
    };

    Engine() = default;
    void refreshDevices();
    bool acquireSdlAudio();
    void releaseSdlAudio();
    const char *intern(const std::string &text);
    DWORD newHandle();
    void mix(float *out, size_t frames);
    void streamEnded(DWORD handle);

    std::mutex m_apiMutex; // one call at a time into device and stream set-up; never held while a file opens

    std::vector<Device> m_devices;
    std::deque<std::string> m_strings; // device texts; BASS hands out pointers that stay valid
    int m_sdlAudioUsers = 0;
    bool m_initialized = false;
    int m_device = -1;
    std::unique_ptr<Output> m_output;
    DWORD m_nextHandle = 0;
    unsigned m_outputGeneration = 0; // bumped by every init, so a stream made for an earlier output is dropped
    std::set<std::shared_ptr<Stream>> m_opening; // streams opening their file: BASS_Free aborts them

    std::mutex m_streamsMutex; // guards m_streams; the output thread holds it while mixing
    std::map<DWORD, std::shared_ptr<Stream>> m_streams;
    Reaper m_reaper;
};

} // namespace bass
