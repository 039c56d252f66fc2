// The binding's calls, checked against a stand-in library that logs them.
#include "QtPrinting.h"
#include "details/MediaInfoDll.h"
#include "details/MediaInfoLibraryFunctions.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

using LogFn = const char *(*)();
using ResetFn = void (*)(const wchar_t *);

class StubLibrary : public testing::Test
{
protected:
    void SetUp() override
    {
        InitializeMediaInfoLibraryFunctions(QStringLiteral("libmediainfo_stub.so"));
        ASSERT_TRUE(MediaInfoLibraryAvailable());
        m_log = reinterpret_cast<LogFn>(dlsym(MediaInfoDll::libraryHandle(), "Stub_Log"));
        m_reset = reinterpret_cast<ResetFn>(dlsym(MediaInfoDll::libraryHandle(), "Stub_Reset"));
        ASSERT_TRUE(m_log && m_reset);
    }

    std::string log() const { return m_log(); }

    LogFn m_log = nullptr;
    ResetFn m_reset = nullptr;
};

TEST_F(StubLibrary, OneReadCallsInOrderWithInformOptionOnNullHandle)
{
    m_reset(L"General\n");
    TDetailsLines lines;
    // A name with a letter beyond the BMP reaches the library as one UTF-32 code.
    ReadFileDetails(QString::fromUtf16(u"/tmp/\u00e9 \U0001F3B5.mp3"), lines);
    EXPECT_EQ(log(), "New;Open(h,/tmp/<E9> <1F3B5>.mp3);Option(null,Inform,1);Inform(h,0);Close(h);Delete(h)");
}

TEST_F(StubLibrary, EveryReadGoesToTheLibraryAgain)
{
    m_reset(L"General\n");
    TDetailsLines lines;
    ReadFileDetails(QStringLiteral("/a.mp3"), lines);
    ReadFileDetails(QStringLiteral("/a.mp3"), lines);
    const std::string one = "New;Open(h,/a.mp3);Option(null,Inform,1);Inform(h,0);Close(h);Delete(h)";
    EXPECT_EQ(log(), one + ";" + one);
}

TEST_F(StubLibrary, ReportIsCopiedSplitAndReplacesTheList)
{
    // The stub spoils its returned buffer on Close: the copy must come first.
    m_reset(L"General\rCover_Data : AAAA\r\nTitle : \u00dcn\U0001F3B5: 1:2\nCover_Data : BBBB\r\n");
    TDetailsLines lines = { QStringLiteral("left over from before") };
    ReadFileDetails(QStringLiteral("/a.flac"), lines);
    const TDetailsLines expected = { QStringLiteral("General"), QString::fromUtf16(u"Title : \u00dcn\U0001F3B5: 1:2"),
        QStringLiteral("Cover_Data : BBBB") };
    EXPECT_EQ(lines, expected);
}

TEST_F(StubLibrary, EmptyReportEmptiesTheList)
{
    m_reset(L"");
    TDetailsLines lines = { QStringLiteral("old") };
    ReadFileDetails(QStringLiteral("/unreadable"), lines);
    EXPECT_TRUE(lines.isEmpty());
}

TEST_F(StubLibrary, UnexportedNamesStayNull)
{
    const MediaInfoDll::EntryPoints &e = MediaInfoDll::entryPoints();
    EXPECT_TRUE(e.MediaInfo_New && e.MediaInfo_Open && e.MediaInfo_Option && e.MediaInfo_Inform && e.MediaInfo_Close
        && e.MediaInfo_Delete);
    EXPECT_EQ(e.MediaInfo_GetI, nullptr);
    EXPECT_EQ(e.MediaInfo_Count_Get, nullptr);
    EXPECT_EQ(e.MediaInfoA_New, nullptr);
}

TEST_F(StubLibrary, LaterLoadKeepsTheLoadedLibrary)
{
    void *const before = MediaInfoDll::libraryHandle();
    const auto informBefore = MediaInfoDll::entryPoints().MediaInfo_Inform;
    EXPECT_TRUE(LoadMediaInfoLibrary(QStringLiteral("libdoes-not-exist.so.7")));
    EXPECT_EQ(MediaInfoDll::libraryHandle(), before);
    EXPECT_EQ(MediaInfoDll::entryPoints().MediaInfo_Inform, informBefore);
    // Start-up binding happens once; a second initialisation changes nothing.
    InitializeMediaInfoLibraryFunctions(QStringLiteral("libdoes-not-exist.so.7"));
    EXPECT_TRUE(MediaInfoLibraryAvailable());
}

} // namespace
