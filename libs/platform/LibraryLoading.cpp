#include "platform/LibraryLoading.h"

#include <array>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::string folderOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

} // namespace

std::string ExecutableFolder()
{
    std::array<char, 4096> buffer {};
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0)
        return {};
    return folderOf(std::string(buffer.data(), std::size_t(length)));
}

std::string FolderOfLoadedObject(const void *address)
{
    Dl_info info {};
    if (!::dladdr(address, &info) || !info.dli_fname)
        return {};
    return folderOf(info.dli_fname);
}

void *OpenLibraryFolderFirst(const std::string &folder, const std::string &fileName, int flags)
{
    if (fileName.empty())
        return nullptr;
    if (!folder.empty() && fileName.find('/') == std::string::npos) {
        if (void *library = ::dlopen((folder + '/' + fileName).c_str(), flags))
            return library;
    }
    return ::dlopen(fileName.c_str(), flags);
}

void *OpenLibraryFromFolders(const std::vector<std::string> &folders, const std::string &fileName, int flags)
{
    if (fileName.empty() || fileName.find('/') != std::string::npos)
        return nullptr;
    for (const std::string &folder : folders) {
        if (folder.empty())
            continue;
        const std::string path = folder + '/' + fileName;
        struct stat info
        {
        };
        if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
            return ::dlopen(path.c_str(), flags);
    }
    return nullptr;
}

} // namespace platform
