#include "platform/LibraryLoading.h"

#include "support/TempDir.h"

#include <QCoreApplication>
#include <QFile>

#include <gtest/gtest.h>

using namespace platform;

namespace {

// A small system library the test can copy into a folder of its own.
constexpr const char *kLibrary = "libz.so.1";
constexpr const char *kSymbol = "zlibVersion";

// The folder of the file a handle was opened from, found through one of its symbols.
std::string folderOfHandle(void *handle)
{
    return FolderOfLoadedObject(::dlsym(handle, kSymbol));
}

} // namespace

TEST(LibraryLoadingTest, FoldersMatchWhatQtReports)
{
    const std::string qtFolder = QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    EXPECT_EQ(ExecutableFolder(), qtFolder);
    // This function lives in the test executable itself.
    EXPECT_EQ(FolderOfLoadedObject(reinterpret_cast<const void *>(&folderOfHandle)), qtFolder);
    EXPECT_EQ(FolderOfLoadedObject(nullptr), std::string());
}

TEST(LibraryLoadingTest, OpensFromFolderFirstThenBySystemSearch)
{
    TempDir withCopy;
    TempDir empty;
    void *system = ::dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(system, nullptr);
    const std::string systemFolder = folderOfHandle(system);
    ASSERT_TRUE(QFile::copy(QFile::decodeName(systemFolder.c_str()) + QStringLiteral("/") + QLatin1String(kLibrary),
        withCopy.filePath(QLatin1String(kLibrary))));
    const std::string copyFolder = QFile::encodeName(withCopy.path()).toStdString();
    const std::string emptyFolder = QFile::encodeName(empty.path()).toStdString();

    struct Case
    {
        std::string folder;
        std::string name;
        std::string openedFrom; // empty: nothing opens
    };
    const Case cases[] = {
        { copyFolder, kLibrary, copyFolder }, // the program's copy wins
        { emptyFolder, kLibrary, systemFolder }, // not in the folder: the system's
        { std::string(), kLibrary, systemFolder }, // no folder known
        { emptyFolder, copyFolder + "/" + kLibrary, copyFolder }, // a path is opened as given
        { copyFolder, "libvantrel-no-such-library.so", std::string() },
        { copyFolder, std::string(), std::string() },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.folder + " | " + c.name);
        void *handle = OpenLibraryFolderFirst(c.folder, c.name);
        if (c.openedFrom.empty()) {
            EXPECT_EQ(handle, nullptr);
            continue;
        }
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(folderOfHandle(handle), c.openedFrom);
        ::dlclose(handle);
    }
    ::dlclose(system);
}
