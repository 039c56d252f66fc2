// Reading details without a usable library: nothing is called, the caller's
// list stays as it was. Built twice, once per way of lacking the library.
#include "QtPrinting.h"
#include "details/MediaInfoDll.h"
#include "details/MediaInfoLibraryFunctions.h"

#include <gtest/gtest.h>

namespace {

#ifdef INCOMPLETE_LIBRARY
// The stand-in lacks MediaInfo_Inform: loaded, but never to be called.
TEST(IncompleteLibrary, CountsAsUnavailable)
{
    InitializeMediaInfoLibraryFunctions(QStringLiteral("libmediainfo_incomplete.so"));
    EXPECT_NE(MediaInfoDll::libraryHandle(), nullptr);
    EXPECT_EQ(MediaInfoDll::entryPoints().MediaInfo_Inform, nullptr);
    EXPECT_FALSE(MediaInfoLibraryAvailable());

    TDetailsLines lines = {QStringLiteral("General"), QStringLiteral("Format : FLAC")};
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

    TDetailsLines lines = {QStringLiteral("General"), QString(), QStringLiteral("x : y")};
    const TDetailsLines before = lines;
    ReadFileDetails(QStringLiteral("/usr/share/sounds/freedesktop/stereo/bell.oga"), lines);
    EXPECT_EQ(lines, before);
    TDetailsLines empty;
    ReadFileDetails(QStringLiteral("/usr/share/sounds/freedesktop/stereo/bell.oga"), empty);
    EXPECT_TRUE(empty.isEmpty());
}
#endif

} // namespace
