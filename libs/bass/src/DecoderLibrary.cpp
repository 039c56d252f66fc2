#include "DecoderLibrary.h"

#include <dlfcn.h>
#include <mutex>
#include <string>
#include <thread>

namespace bass {

namespace {

constexpr const char *kDecoderFile = "libbass_ffmpeg.so";

// The decoder ships beside libbass.so, wherever that was loaded from.
std::string besideThisLibrary(const char *file)
{
    Dl_info info {};
    if (!dladdr(reinterpret_cast<void *>(&DecoderLibrary::get), &info) || !info.dli_fname)
        return {};
    std::string path = info.dli_fname;
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return path.substr(0, slash + 1) + file;
}

const DecoderLibrary *load()
{
    void *library = nullptr;
    const std::string beside = besideThisLibrary(kDecoderFile);
    if (!beside.empty())
        library = dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library)
        library = dlopen(kDecoderFile, RTLD_NOW | RTLD_LOCAL);
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
    static const DecoderLibrary *instance = load();
    return instance;
}

void DecoderLibrary::preloadInBackground()
{
    // FFmpeg and the ~130 libraries it maps take tens of milliseconds to
    // load: on the caller's thread that is a stall, at the first stream a slow
    // first preview. Detached: the loaded object is kept for the process's
    // life, and a stream that comes first simply waits for the load in get().
    static std::once_flag started;
    std::call_once(started, [] { std::thread([] { get(); }).detach(); });
}

} // namespace bass
