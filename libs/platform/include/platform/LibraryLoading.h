#pragma once

#include <dlfcn.h>
#include <string>
#include <vector>

// Where the program's own libraries are looked for. Qt-free, so the audio
// library, which links no Qt, builds with it as well.
namespace platform {

// The folder of the running executable, without a trailing '/'; empty when it
// cannot be read. Read from /proc, so it works before any application object.
std::string ExecutableFolder();

// The folder of the loaded object (executable or library) that holds address,
// without a trailing '/'; empty when the address is in no loaded file.
std::string FolderOfLoadedObject(const void *address);

// Opens a library shipped with the program: a bare file name is looked for in
// folder first, so the program's copy wins over the system's, then through the
// system's search. A name with a '/' is opened as given. Null when neither
// opens, or for an empty name.
void *OpenLibraryFolderFirst(const std::string &folder, const std::string &fileName, int flags = RTLD_NOW | RTLD_LOCAL);

// Opens a library that may only come from the program's own folders: the
// bare fileName, by its full path in the first of folders that holds it as a
// regular file. Nothing is searched, so a file of that name elsewhere is never
// mapped (and its constructors never run), and one that is missing costs a
// stat per folder. Null when no folder holds it, or for a name with a '/'.
void *OpenLibraryFromFolders(
    const std::vector<std::string> &folders, const std::string &fileName, int flags = RTLD_NOW | RTLD_LOCAL);

} // namespace platform
