#include "Plugins.h"

#include "platform/LibraryLoading.h"

#include <dlfcn.h>
#include <mutex>
#include <string>
#include <vector>

namespace bass {

namespace {

// Every BASS add-on exports this entry point; a library without it is not one.
constexpr const char *kPluginEntry = "BASSplugin";

struct LoadedPlugin
{
    void *library;
    HPLUGIN handle;
};

// Add-ons are the program's own parts: beside its executable, or beside this
// library, which an installed program keeps in its private folder. One folder
// when both are the same, so a missing add-on costs a single stat.
const std::vector<std::string> &addOnFolders()
{
    static const std::vector<std::string> folders = [] {
        std::vector<std::string> list { platform::ExecutableFolder() };
        const std::string own = platform::FolderOfLoadedObject(reinterpret_cast<const void *>(&addOnFolders));
        if (own != list.front())
            list.push_back(own);
        return list;
    }();
    return folders;
}

std::mutex g_mutex;
std::vector<LoadedPlugin> g_plugins; // add-ons stay loaded for the life of the process

} // namespace

int loadPlugin(const std::string &file, HPLUGIN &plugin)
{
    if (file.empty())
        return BASS_ERROR_FILEOPEN;
    void *library = platform::OpenLibraryFromFolders(addOnFolders(), file);
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
    g_plugins.push_back({ library, plugin });
    return 0;
}

} // namespace bass
