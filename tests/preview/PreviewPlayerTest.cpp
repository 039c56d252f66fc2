// The preview's use of the audio library, heard through SDL's disk driver:
// what a focus change, the space bar and the preview switch do to what plays.

#include "preview/PreviewPlayer.h"

#include "bass.h"
#include "preview/AudioDevices.h"
#include "support/TempDir.h"
#include "tests/bass/BassFixtures.h"

#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

using namespace std::chrono_literals;

namespace {

bool waitFor(const std::function<bool()> &done)
{
    const auto until = std::chrono::steady_clock::now() + 10s;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

bool isGone(std::uint32_t stream)
{
    BASS_ChannelIsActive(stream);
    return BASS_ErrorGetCode() == BASS_ERROR_HANDLE;
}

size_t soundingSlices(const std::vector<Slice> &sliced)
{
    return size_t(std::count_if(sliced.begin(), sliced.end(), [](const Slice &s) { return !s.silent(); }));
}

class PreviewPlayerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        bassFixtureDir();
        m_capture = m_temp.filePath(QStringLiteral("capture.raw"));
        qputenv("SDL_DISKAUDIOFILE", m_capture.toLocal8Bit());
        ASSERT_TRUE(PreviewPlayer::OpenOutput(1, nullptr));
    }
    void TearDown() override { PreviewPlayer::CloseOutput(); }

    std::vector<Slice> finish()
    {
        PreviewPlayer::CloseOutput();
        return slices(readCapture(m_capture).left);
    }

    TempDir m_temp;
    QString m_capture;
};

TEST(PreviewAddOns, EighteenInTheTableOrderByLinuxName)
{
    const auto &names = PreviewPlayer::AddOnFileNames();
    EXPECT_STREQ(names[0], "libbass_aac.so");
    EXPECT_STREQ(names[6], "libbass_mpc.so");
    EXPECT_STREQ(names[12], "libbassflac.so");
    EXPECT_STREQ(names[15], "libBasswma.so");
    EXPECT_STREQ(names[17], "libbasswebm.so");
    // None ships: loading them all is silent and leaves the library usable.
    PreviewPlayer::LoadAddOns();
    BASS_DEVICEINFO info {};
    EXPECT_TRUE(BASS_GetDeviceInfo(0, &info));
}

TEST_F(PreviewPlayerTest, PlayingAnotherFileFreesTheFirst)
{
    const std::uint32_t first = PreviewPlayer::Play(0, bassFixture(QStringLiteral("long440.wav")), 100);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(BASS_ChannelIsActive(first), DWORD(BASS_ACTIVE_PLAYING));
    const std::uint32_t again = PreviewPlayer::Play(first, bassFixture(QStringLiteral("long440.wav")), 100);
    ASSERT_NE(again, 0u);
    EXPECT_NE(again, first);
    EXPECT_TRUE(isGone(first));
    // A file that cannot be played still stops the one before, and gives 0.
    const std::uint32_t broken = PreviewPlayer::Play(again, m_temp.write(QStringLiteral("x.mp3"), "not audio"), 100);
    EXPECT_EQ(broken, 0u);
    EXPECT_TRUE(isGone(again));
}

TEST_F(PreviewPlayerTest, VolumeFiftyHalvesTheAmplitude)
{
    const std::uint32_t stream = PreviewPlayer::Play(0, bassFixture(QStringLiteral("level440.wav")), 50);
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(waitFor([&] { return isGone(stream); }));
    const std::vector<Slice> sliced = finish();
    std::vector<double> levels;
    for (const Slice &slice : sliced) {
        if (!slice.silent())
            levels.push_back(slice.rms);
    }
    ASSERT_GT(levels.size(), 100u);
    // Half of a half-scale sine's RMS (0.354).
    EXPECT_NEAR(levels[levels.size() / 2], 0.1768, 0.004);
}

TEST_F(PreviewPlayerTest, SpacePausesAndResumesButCannotRestartAFinishedPreview)
{
    const std::uint32_t stream = PreviewPlayer::Play(0, bassFixture(QStringLiteral("short440.wav")), 100);
    ASSERT_NE(stream, 0u);
    PreviewPlayer::TogglePause(stream);
    EXPECT_EQ(BASS_ChannelIsActive(stream), DWORD(BASS_ACTIVE_PAUSED));
    PreviewPlayer::TogglePause(stream);
    EXPECT_NE(BASS_ChannelIsActive(stream), DWORD(BASS_ACTIVE_PAUSED));
    ASSERT_TRUE(waitFor([&] { return isGone(stream); }));
    // After the end the space bar does nothing: nothing more is heard.
    PreviewPlayer::TogglePause(stream);
    PreviewPlayer::TogglePause(stream);
    ASSERT_TRUE(waitForCapturedAudio(200ms));
    EXPECT_NEAR(double(soundingSlices(finish())), 30, 2);
}

TEST_F(PreviewPlayerTest, StopSilencesAtOnceAndSpaceBeforeAnyPreviewDoesNothing)
{
    PreviewPlayer::TogglePause(0);
    PreviewPlayer::SetVolume(0, 50);
    const std::uint32_t stream = PreviewPlayer::Play(0, bassFixture(QStringLiteral("long440.wav")), 100);
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(waitForCapturedAudio(300ms));
    PreviewPlayer::Stop(stream);
    EXPECT_TRUE(isGone(stream));
    PreviewPlayer::TogglePause(stream);
    ASSERT_TRUE(waitForCapturedAudio(300ms));
    const std::vector<Slice> sliced = finish();
    // Some of the two-second file was heard, then silence to the end.
    const size_t heard = soundingSlices(sliced);
    EXPECT_GT(heard, 10u);
    EXPECT_LT(heard, 100u);
    const auto lastSound = std::find_if(sliced.rbegin(), sliced.rend(), [](const Slice &s) { return !s.silent(); });
    EXPECT_GE(std::distance(sliced.rbegin(), lastSound), 20);
}

TEST(AudioDevices, AStoredNamePicksItsDeviceOrTheFirstRealOutput)
{
    const QStringList listed = { QStringLiteral("No sound"), QStringLiteral("Default"),
        QStringLiteral("Built-in Audio"), QStringLiteral("USB headset") };
    const struct
    {
        QStringList names;
        const char *stored;
        int device;
    } cases[] = {
        { listed, "USB headset", 3 },
        { listed, "usb HEADSET", 3 }, // without regard to case
        { listed, "No sound", 0 },
        { listed, "", 1 }, // nothing stored: the first real output
        { listed, "Went away", 1 },
        { { QStringLiteral("No sound") }, "Went away", -1 }, // no real output: the library's default
        { {}, "", -1 },
    };
    for (const auto &c : cases)
        EXPECT_EQ(AudioDevices::Choose(c.names, QString::fromUtf8(c.stored)), c.device) << c.stored;
}

TEST(AudioDevices, TheListIsTheLibrarysNumbering)
{
    const QStringList names = AudioDevices::List();
    ASSERT_GE(names.size(), 2) << "no sound and the default output at least";
    for (int i = 0; i < names.size(); ++i) {
        BASS_DEVICEINFO info {};
        ASSERT_TRUE(BASS_GetDeviceInfo(DWORD(i), &info));
        EXPECT_EQ(names[i], QString::fromUtf8(info.name)) << i;
    }
}

} // namespace
