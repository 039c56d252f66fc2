#include "DecoderLibrary.h"

#include "platform/LibraryLoading.h"

#include <dlfcn.h>
#include <mutex>
#include <string>
#include <thread>

namespace bass {

namespace {

constexpr const char *kDecoderFile = "libbass_ffmpeg.so";

const DecoderLibrary *loadDecoder()
{
    // The decoder ships beside libbass.so, wherever that was loaded from.
    const std::string folder = platform::FolderOfLoadedObject(reinterpret_cast<const void *>(&DecoderLibrary::get));
    void *library = platform::OpenLibraryFolderFirst(folder, kDecoderFile);
    if (!library)
        return nullptr;
    static DecoderLibrary decoder;
    decoder.open = reinterpret_cast<BassDecoderOpenFn>(dlsym(library, BASS_DECODER_OPEN));
    decoder.read = reinterpret_cast<BassDecoderReadFn>(dlsym(library, BASS_DECODER_READ));
    decoder.rewind = reinterpret_cast<BassDecoderRewindFn>(dlsym(library, BASS_DECODER_REWIND));
    decoder.close = reinterpret_cast<BassDecoderCloseFn>(dlsym(library, BASS_DECODER_CLOSE));
    decoder.info = reinterpret_cast<BassDecoderInfoFn>(dlsym(library, BASS_DECODER_INFO));
    decoder.seek = reinterpret_cast<BassDecoderSeekFn>(dlsym(library, BASS_DECODER_SEEK));
    if (!decoder.open || !decoder.read || !decoder.rewind || !decoder.close || !decoder.info || !decoder.seek) {
        dlclose(library);
        return nullptr;
    }
    // Optional: an older decoder object without it is prepared by its first file.
    if (auto prepare = reinterpret_cast<BassDecoderPrepareFn>(dlsym(library, BASS_DECODER_PREPARE)))
        prepare();
    return &decoder;
}

} // namespace

const DecoderLibrary *DecoderLibrary::get()
{
    static const DecoderLibrary *instance = loadDecoder();
    return instance;
}

namespace {

// The preloading thread, joined by finishPreload() or, for a process that
// never closes its output, when the process ends.
class Preloader
{
public:
    ~Preloader() { join(); }

    void start()
    {
        const std::lock_guard lock(m_mutex);
        if (!m_started) {
            m_started = true;
            m_thread = std::thread([] { DecoderLibrary::get(); });
        }
    }

    void join()
    {
        const std::lock_guard lock(m_mutex);
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    std::mutex m_mutex;
    bool m_started = false;
    std::thread m_thread;
};

Preloader &preloader()
{
    static Preloader instance;
    return instance;
}

} // namespace

void DecoderLibrary::preloadInBackground()
{
    // FFmpeg and the ~130 libraries it maps take tens of milliseconds to
    // load: on the caller's thread that is a stall, at the first stream a slow
    // first preview. The loaded object is kept for the process's life, and a
    // stream that comes first simply waits for the load in get().
    preloader().start();
}

void DecoderLibrary::finishPreload()
{
    preloader().join();
}

} // namespace bass
