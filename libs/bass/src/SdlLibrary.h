#pragma once

#include <SDL.h>

namespace bass {

// SDL2 resolved at run time, so that linking libbass.so does not load SDL and
// the ~50 libraries behind it until the program asks for audio devices.
struct SdlLibrary
{
    decltype(&SDL_InitSubSystem) InitSubSystem = nullptr;
    decltype(&SDL_QuitSubSystem) QuitSubSystem = nullptr;
    decltype(&SDL_GetError) GetError = nullptr;
    decltype(&SDL_GetCurrentAudioDriver) GetCurrentAudioDriver = nullptr;
    decltype(&SDL_GetNumAudioDevices) GetNumAudioDevices = nullptr;
    decltype(&SDL_GetAudioDeviceName) GetAudioDeviceName = nullptr;
    decltype(&SDL_OpenAudioDevice) OpenAudioDevice = nullptr;
    decltype(&SDL_PauseAudioDevice) PauseAudioDevice = nullptr;
    decltype(&SDL_CloseAudioDevice) CloseAudioDevice = nullptr;

    // Loaded once and kept for the life of the process; null when SDL is missing.
    static const SdlLibrary *get();
};

} // namespace bass
