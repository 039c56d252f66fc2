#include "WaveformModule.h"

#include "platform/LibraryLoading.h"
#include "waveform/WaveformApi.h"

#include <dlfcn.h>
#include <mutex>
#include <string>

namespace bd {

void *waveformModuleSymbol(const char *symbol)
{
    static std::once_flag once;
    static void *module = nullptr;
    std::call_once(once, [] {
        const std::string folder
            = platform::FolderOfLoadedObject(reinterpret_cast<const void *>(&waveformModuleSymbol));
        module = platform::OpenLibraryFolderFirst(folder, kWaveformModuleName);
    });
    return module ? dlsym(module, symbol) : nullptr;
}

} // namespace bd
