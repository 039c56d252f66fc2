#include "SdlLibrary.h"

#include <dlfcn.h>
#include <mutex>

namespace bass {

namespace {

template<typename F> bool resolve(void *library, const char *name, F &target)
{
    target = reinterpret_cast<F>(dlsym(library, name));
    return target != nullptr;
}

const SdlLibrary *loadSdl()
{
    void *library = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return nullptr;
    static SdlLibrary sdl;
    const bool ok = resolve(library, "SDL_InitSubSystem", sdl.InitSubSystem)
        && resolve(library, "SDL_QuitSubSystem", sdl.QuitSubSystem) && resolve(library, "SDL_GetError", sdl.GetError)
        && resolve(library, "SDL_GetCurrentAudioDriver", sdl.GetCurrentAudioDriver)
        && resolve(library, "SDL_GetNumAudioDevices", sdl.GetNumAudioDevices)
        && resolve(library, "SDL_GetAudioDeviceName", sdl.GetAudioDeviceName)
        && resolve(library, "SDL_OpenAudioDevice", sdl.OpenAudioDevice)
        && resolve(library, "SDL_PauseAudioDevice", sdl.PauseAudioDevice)
        && resolve(library, "SDL_CloseAudioDevice", sdl.CloseAudioDevice);
    if (!ok) {
        dlclose(library);
        return nullptr;
    }
    return &sdl;
}

} // namespace

const SdlLibrary *SdlLibrary::get()
{
    static const SdlLibrary *instance = loadSdl();
    return instance;
}

} // namespace bass
