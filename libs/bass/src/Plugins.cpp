#include "Plugins.h"

#include <dlfcn.h>
#include <unistd.h>

#include <mutex>
#include <vector>

namespace bass {

namespace {

// Every BASS add-on exports this entry point; a library without it is not one.
constexpr const char *kPluginEntry = "BASSplugin";

std::string executableFolder()
{
    std::string buffer(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0)
        return {};
    buffer.resize(size_t(length));
    const auto slash = buffer.rfind('/');
    return slash == std::string::npos ? std::string() : buffer.substr(0, slash + 1);
}

struct LoadedPlugin {
    void *library;
    HPLUGIN handle;
};

std::mutex g_mutex;
std::vector<LoadedPlugin> g_plugins; // add-ons stay loaded for the life of the process

} // namespace

int loadPlugin(const std::string &file, HPLUGIN &plugin)
{
    if (file.empty())
        return BASS_ERROR_FILEOPEN;
    void *library = nullptr;
    if (file.find('/') == std::string::npos) {
        const std::string folder = executableFolder();
        if (!folder.empty())
            library = dlopen((folder + file).c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    if (!library)
        library = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return BASS_ERROR_FILEOPEN;

    std::lock_guard lock(g_mutex);
    for (const LoadedPlugin &loaded : g_plugins) {
        if (loaded.library == library) {
            dlclose(library); // drop the extra reference this call took
            return BASS_ERROR_ALREADY;
        }
    }
    if (!dlsym(library, kPluginEntry)) {
        dlclose(library);
        return BASS_ERROR_FILEFORM;
    }
    // Numbered apart from streams, in their own range.
    plugin = HPLUGIN(0x40000000u + g_plugins.size() + 1);
    g_plugins.push_back({library, plugin});
    return 0;
}

} // namespace bass
