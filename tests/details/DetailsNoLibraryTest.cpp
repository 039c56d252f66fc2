// Which library a start-up binds, and reading details without a usable one:
// nothing is called, the caller's list stays as it was. Built once per case,
// since a process binds the library only once.
#include "QtPrinting.h"
#include "details/MediaInfoDll.h"
#include "details/MediaInfoLibraryFunctions.h"

#include <gtest/gtest.h>

namespace {

#if defined(PROGRAM_FOLDER_FIRST)
// Two libraries of one name: a complete one beside the program and an
// incomplete one that the system search (LD_LIBRARY_PATH) would find first.
TEST(LibrarySearch, ProgramFolderComesBeforeSystemSearch)
{
    InitializeMediaInfoLibraryFunctions(QStringLiteral("libmediainfo_pick.so"));
    EXPECT_TRUE(MediaInfoLibraryAvailable());
    EXPECT_NE(MediaInfoDll::entryPoints().MediaInfo_Inform, nullptr);
}
#elif defined(INCOMPLETE_LIBRARY)
// The stand-in lacks MediaInfo_Inform: loaded, but never to be called.
TEST(IncompleteLibrary, CountsAsUnavailable)
{
    InitializeMediaInfoLibraryFunctions(QStringLiteral("libmediainfo_incomplete.so"));
    EXPECT_NE(MediaInfoDll::libraryHandle(), nullptr);
    EXPECT_EQ(MediaInfoDll::entryPoints().MediaInfo_Inform, nullptr);
    EXPECT_FALSE(MediaInfoLibraryAvailable());

    TDetailsLines lines = { QStringLiteral("General"), QStringLiteral("Format : FLAC") };
    const TDetailsLines before = lines;
    ReadFileDetails(QStringLiteral("/usr/share/sounds/freedesktop/stereo/bell.oga"), lines);
    EXPECT_EQ(lines, before);
}
#else
TEST(MissingLibrary, LeavesListUnchangedAndNothingBound)
{
    InitializeMediaInfoLibraryFunctions(QStringLiteral("libmediainfo-not-here.so.0"));
    EXPECT_FALSE(MediaInfoLibraryAvailable());
    EXPECT_EQ(MediaInfoDll::libraryHandle(), nullptr);
    EXPECT_EQ(MediaInfoDll::entryPoints().MediaInfo_New, nullptr);
    EXPECT_FALSE(LoadMediaInfoLibrary(QStringLiteral("libmediainfo-not-here.so.0")));

    TDetailsLines lines = { QStringLiteral("General"), QString(), QStringLiteral("x : y") };
    const TDetailsLines before = lines;
    ReadFileDetails(QStringLiteral("/usr/share/sounds/freedesktop/stereo/bell.oga"), lines);
    EXPECT_EQ(lines, before);
    TDetailsLines empty;
    ReadFileDetails(QStringLiteral("/usr/share/sounds/freedesktop/stereo/bell.oga"), empty);
    EXPECT_TRUE(empty.isEmpty());
}
#endif

} // namespace
