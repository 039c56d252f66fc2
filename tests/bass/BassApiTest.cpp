// The library's calls without listening: devices, start-up and shut-down,
// handles, file names, files that cannot be played, add-ons, and the threads
// it leaves behind.

#include "BassFixtures.h"
#include "BassTestSupport.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <SDL.h>
#include <chrono>
#include <dlfcn.h>
#include <string>
#include <sys/stat.h>

using namespace std::chrono_literals;

namespace {

int threadCount()
{
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

class BassApi : public testing::Test
{
protected:
    void SetUp() override
    {
        bassFixtureDir();
        qputenv("SDL_DISKAUDIOFILE", m_temp.filePath(QStringLiteral("capture.raw")).toLocal8Bit());
    }
    void TearDown() override { BASS_Free(); }
    TempDir m_temp;
};

TEST_F(BassApi, DevicesAreNoSoundThenDefaultThenSdlOutputs)
{
    BASS_DEVICEINFO info {};
    ASSERT_TRUE(BASS_GetDeviceInfo(0, &info));
    EXPECT_STREQ(info.name, "No sound");
    EXPECT_EQ(info.flags, DWORD(BASS_DEVICE_ENABLED));
    ASSERT_TRUE(BASS_GetDeviceInfo(1, &info));
    EXPECT_STREQ(info.name, "Default");
    EXPECT_EQ(info.flags, DWORD(BASS_DEVICE_ENABLED | BASS_DEVICE_DEFAULT));

    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0);
    const int listed = SDL_GetNumAudioDevices(0);
    ASSERT_GE(listed, 1);
    for (int i = 0; i < listed; ++i) {
        ASSERT_TRUE(BASS_GetDeviceInfo(DWORD(2 + i), &info)) << i;
        EXPECT_STREQ(info.name, SDL_GetAudioDeviceName(i, 0));
        EXPECT_STREQ(info.driver, SDL_GetCurrentAudioDriver());
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    EXPECT_FALSE(BASS_GetDeviceInfo(DWORD(2 + listed), &info));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
    EXPECT_FALSE(BASS_GetDeviceInfo(0, nullptr));
}

TEST_F(BassApi, InitMarksItsDeviceAndRefusesASecondInit)
{
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    BASS_DEVICEINFO info {};
    ASSERT_TRUE(BASS_GetDeviceInfo(1, &info));
    EXPECT_TRUE(info.flags & BASS_DEVICE_INIT);
    ASSERT_TRUE(BASS_GetDeviceInfo(0, &info));
    EXPECT_FALSE(info.flags & BASS_DEVICE_INIT);
    EXPECT_FALSE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
    EXPECT_TRUE(BASS_Free());
    EXPECT_FALSE(BASS_Free());
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    // -1 is the default device.
    ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
    ASSERT_TRUE(BASS_GetDeviceInfo(1, &info));
    EXPECT_TRUE(info.flags & BASS_DEVICE_INIT);
}

TEST_F(BassApi, MissingDeviceOrDriverFailsQuietly)
{
    EXPECT_FALSE(BASS_Init(99, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
    EXPECT_FALSE(BASS_Init(-5, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);

    // No usable audio system: only "No sound" is listed, and only it opens.
    const QByteArray driver = qgetenv("SDL_AUDIODRIVER");
    qputenv("SDL_AUDIODRIVER", "no-such-driver");
    BASS_DEVICEINFO info {};
    EXPECT_TRUE(BASS_GetDeviceInfo(0, &info));
    EXPECT_FALSE(BASS_GetDeviceInfo(1, &info));
    EXPECT_FALSE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
    EXPECT_FALSE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
    EXPECT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    BASS_Free();
    qputenv("SDL_AUDIODRIVER", driver);
    // Without a device, streams cannot be made.
    EXPECT_EQ(createStream(bassFixture(QStringLiteral("short440.wav"))), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
}

TEST_F(BassApi, NoSoundDevicePlaysStreamsInRealTime)
{
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    const HSTREAM stream = createStream(bassFixture(QStringLiteral("short440.wav")), BASS_STREAM_AUTOFREE);
    ASSERT_NE(stream, 0u);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(BASS_ChannelPlay(stream, TRUE));
    EXPECT_EQ(BASS_ChannelIsActive(stream), DWORD(BASS_ACTIVE_PLAYING));
    ASSERT_TRUE(waitFor([&] { return streamStopped(stream); }));
    // A 0.3 s file takes its time even when nothing is heard.
    EXPECT_GE(std::chrono::steady_clock::now() - start, 250ms);
    EXPECT_FALSE(QFile::exists(m_temp.filePath(QStringLiteral("capture.raw")))) << "SDL's device was not opened";
}

struct BrokenCase
{
    const char *name;
    QByteArray (*content)();
    int error;
};

QByteArray firstBytesOf(const char *fixture, qsizetype bytes)
{
    return TempDir::readAll(bassFixture(QString::fromLatin1(fixture))).left(bytes);
}

class BrokenFile : public BassApi, public testing::WithParamInterface<BrokenCase>
{
};

TEST_P(BrokenFile, GivesNoHandle)
{
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    const QString path = m_temp.write(QString::fromLatin1(GetParam().name), GetParam().content());
    const HSTREAM stream = createStream(path, BASS_STREAM_AUTOFREE);
    EXPECT_EQ(stream, 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), GetParam().error);
}

QByteArray noise()
{
    QByteArray bytes(64 * 1024, '\0');
    quint32 state = 12345;
    for (char &c : bytes) {
        state = state * 1664525u + 1013904223u;
        c = char(state >> 24);
    }
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(Files, BrokenFile,
    testing::Values(BrokenCase { "empty.mp3", [] { return QByteArray(); }, BASS_ERROR_FILEFORM },
        BrokenCase { "noise.mp3", noise, BASS_ERROR_FILEFORM }, BrokenCase { "noise.flac", noise, BASS_ERROR_FILEFORM },
        BrokenCase { "noise.wma", noise, BASS_ERROR_FILEFORM },
        BrokenCase { "text.wav", [] { return QByteArray("just some words, not audio\n"); }, BASS_ERROR_FILEFORM },
        BrokenCase { "header-only.wav", [] { return firstBytesOf("tone.wav", 44); }, BASS_ERROR_FILEFORM },
        BrokenCase { "cut-header.flac", [] { return firstBytesOf("tone.flac", 20); }, BASS_ERROR_FILEFORM },
        // ffmpeg writes the index at the end: half a file has none.
        BrokenCase { "half.m4a", [] { return firstBytesOf("tone.m4a", 8000); }, BASS_ERROR_FILEFORM },
        BrokenCase { "cut.oga", [] { return firstBytesOf("tone-vorbis.oga", 100); }, BASS_ERROR_FILEFORM }),
    [](const testing::TestParamInfo<BrokenCase> &info) {
        std::string name = info.param.name;
        for (char &c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        }
        return name;
    });

TEST_F(BassApi, FileThatIsNotThereOrNotAFile)
{
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(createStream(m_temp.filePath(QStringLiteral("missing.mp3"))), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    EXPECT_EQ(createStream(m_temp.mkdir(QStringLiteral("folder.mp3"))), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    // A named pipe with nobody writing would block an open for ever.
    const QString pipe = m_temp.filePath(QStringLiteral("pipe.mp3"));
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_EQ(createStream(pipe), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, nullptr, 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    // Memory streams and file sections are not offered.
    const QByteArray bytes = TempDir::readAll(bassFixture(QStringLiteral("tone.wav")));
    EXPECT_EQ(BASS_StreamCreateFile(TRUE, bytes.constData(), 0, QWORD(bytes.size()), 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
}

TEST_F(BassApi, FileNamesInUtf16AndUtf8)
{
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    const QString name = QStringLiteral("Grüße – 音楽 \U0001F3B5.wav"); // with a character outside the BMP
    const QString path = m_temp.write(name, TempDir::readAll(bassFixture(QStringLiteral("short440.wav"))));
    const HSTREAM wide = createStream(path);
    EXPECT_NE(wide, 0u) << BASS_ErrorGetCode();
    const QByteArray utf8 = path.toUtf8();
    const HSTREAM narrow = BASS_StreamCreateFile(FALSE, utf8.constData(), 0, 0, 0);
    EXPECT_NE(narrow, 0u) << BASS_ErrorGetCode();
    EXPECT_NE(wide, narrow);
    // A lone surrogate names no file.
    std::u16string broken = path.toStdU16String();
    broken.insert(broken.size() - 4, 1, char16_t(0xD800));
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, broken.c_str(), 0, 0, BASS_UNICODE), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
}

TEST_F(BassApi, MadeUpAndFreedHandlesAreRejected)
{
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    const HSTREAM live = createStream(bassFixture(QStringLiteral("short440.wav")));
    ASSERT_NE(live, 0u);
    const HSTREAM freed = createStream(bassFixture(QStringLiteral("short440.wav")));
    ASSERT_NE(freed, 0u);
    ASSERT_TRUE(BASS_StreamFree(freed));
    for (const DWORD bogus : { DWORD(0), DWORD(1), live + 7, live ^ 0x80000000u, DWORD(0xFFFFFFFF), freed }) {
        SCOPED_TRACE(bogus);
        EXPECT_FALSE(BASS_ChannelPlay(bogus, TRUE));
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
        EXPECT_FALSE(BASS_ChannelPause(bogus));
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
        EXPECT_EQ(BASS_ChannelIsActive(bogus), DWORD(BASS_ACTIVE_STOPPED));
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
        EXPECT_FALSE(BASS_ChannelSetAttribute(bogus, BASS_ATTRIB_VOL, 0.5f));
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
        EXPECT_FALSE(BASS_StreamFree(bogus));
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    }
    // The live stream was not touched by any of that.
    EXPECT_TRUE(BASS_ChannelPlay(live, TRUE));
    EXPECT_EQ(BASS_ChannelIsActive(live), DWORD(BASS_ACTIVE_PLAYING));
    // Attribute checks on a live handle.
    EXPECT_FALSE(BASS_ChannelSetAttribute(live, 99, 0.5f));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLTYPE);
    EXPECT_FALSE(BASS_ChannelSetAttribute(live, BASS_ATTRIB_VOL, -0.5f));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
    // BASS_Free takes every stream with it.
    ASSERT_TRUE(BASS_Free());
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    EXPECT_FALSE(BASS_ChannelPlay(live, TRUE));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
}

TEST_F(BassApi, ErrorCodeIsPerThread)
{
    EXPECT_FALSE(BASS_ChannelPlay(12345, TRUE));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    int other = -2;
    std::thread([&] { other = BASS_ErrorGetCode(); }).join();
    EXPECT_EQ(other, BASS_OK);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
}

TEST_F(BassApi, ThousandFocusChangesLeaveNoThreadBehind)
{
    const int before = threadCount();
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    const QString files[] = { bassFixture(QStringLiteral("tone.mp3")), bassFixture(QStringLiteral("tone.flac")),
        bassFixture(QStringLiteral("tone-vorbis.oga")), bassFixture(QStringLiteral("tone.m4a")),
        bassFixture(QStringLiteral("tone.wav")) };
    HSTREAM previous = 0;
    for (int i = 0; i < 1000; ++i) {
        // What the program does at each focus change.
        BASS_StreamFree(previous);
        previous = createStream(files[i % 5], BASS_STREAM_AUTOFREE);
        ASSERT_NE(previous, 0u) << i;
        BASS_ChannelSetAttribute(previous, BASS_ATTRIB_VOL, 0.8f);
        ASSERT_TRUE(BASS_ChannelPlay(previous, TRUE));
    }
    EXPECT_EQ(BASS_ChannelIsActive(previous), DWORD(BASS_ACTIVE_PLAYING));
    ASSERT_TRUE(BASS_Free());
    EXPECT_EQ(threadCount(), before);
}

TEST_F(BassApi, AddOnsLoadByNameFromTheProgramFolder)
{
    // Missing: nothing, silently.
    EXPECT_EQ(BASS_PluginLoad("libbass_nonexistent.so", 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    const std::u16string wideMissing = u"libbassflac.so";
    EXPECT_EQ(BASS_PluginLoad(reinterpret_cast<const char *>(wideMissing.c_str()), BASS_UNICODE), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);

    // The stand-in add-on sits beside the test executable, outside the library search path.
    const std::u16string wide = u"libbasstestplugin.so";
    const HPLUGIN plugin = BASS_PluginLoad(reinterpret_cast<const char *>(wide.c_str()), BASS_UNICODE);
    EXPECT_NE(plugin, 0u) << BASS_ErrorGetCode();
    EXPECT_EQ(BASS_PluginLoad("libbasstestplugin.so", 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);

    // A library of the program's that is not an add-on is not kept.
    EXPECT_EQ(BASS_PluginLoad("libbass_ffmpeg.so", 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
}

// An add-on is taken only from the program's own folders: one of the same
// kind that the system's library search would find (ctest puts its folder on
// LD_LIBRARY_PATH), a system library, or a path elsewhere are not even mapped,
// so no code of theirs runs.
TEST_F(BassApi, AddOnsElsewhereAreNotLoaded)
{
    const std::string outside = OUTSIDE_ADDON;
    const std::string outsideName = outside.substr(outside.rfind('/') + 1);
    for (const std::string &name : { outsideName, std::string("libz.so.1"), outside }) {
        SCOPED_TRACE(name);
        EXPECT_EQ(BASS_PluginLoad(name.c_str(), 0), 0u);
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    }
    EXPECT_EQ(::dlopen(outsideName.c_str(), RTLD_LAZY | RTLD_NOLOAD), nullptr) << "the add-on was mapped";
    // The search would have found it: the refusal is the loader's own.
    void *found = ::dlopen(outsideName.c_str(), RTLD_LAZY | RTLD_LOCAL);
    ASSERT_NE(found, nullptr) << "not on the library search path: " << ::dlerror();
    EXPECT_NE(::dlsym(found, "BASSplugin"), nullptr);
    ::dlclose(found);
}

} // namespace
