// Length, position and seeking: the byte values of the channel's format, the
// errors of the calls, and where playback lands after a seek, read back from
// SDL's disk driver.

#include "BassFixtures.h"
#include "BassTestSupport.h"
#include "CapturedOutputTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

using namespace std::chrono_literals;

namespace {

// The ladder fixtures: eight quarter-second steps of these pitches.
const std::vector<double> kLadder = { 400, 550, 700, 850, 1000, 1150, 1300, 1450 };
constexpr double kStepSeconds = 0.25;
// Slices of 10 ms that a seek may miss by: 50 ms.
constexpr double kSeekTolerance = 5;

class BassPosition : public CapturedOutputTest
{
protected:
    static std::vector<PitchRun> soundingRuns(const Capture &capture)
    {
        std::vector<PitchRun> sounding;
        for (const PitchRun &run : steadyRuns(pitchRuns(slices(capture.left), kLadder))) {
            if (run.pitch >= 0)
                sounding.push_back(run);
        }
        return sounding;
    }
};

TEST_F(BassPosition, LengthIsInBytesOfTheFilesRateAndChannels)
{
    const struct
    {
        const char *file;
        DWORD flags;
        QWORD bytes;
    } cases[] = {
        { "ladder.wav", 0, 88200 * 2 }, // mono, 16-bit
        { "ladder.flac", 0, 88200 * 4 }, // stereo, 16-bit
        { "ladder.flac", BASS_SAMPLE_FLOAT, 88200 * 8 }, // stereo, float
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        const HSTREAM stream = createStream(bassFixture(QString::fromLatin1(c.file)), c.flags);
        ASSERT_NE(stream, 0u);
        EXPECT_EQ(BASS_ChannelGetLength(stream, BASS_POS_BYTE), c.bytes);
        EXPECT_DOUBLE_EQ(BASS_ChannelBytes2Seconds(stream, c.bytes), 2.0);
        EXPECT_EQ(BASS_ChannelSeconds2Bytes(stream, 2.0), c.bytes);
        EXPECT_EQ(BASS_ChannelSeconds2Bytes(stream, 0.1), c.bytes / 20);
        EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), 0u);
        EXPECT_TRUE(BASS_StreamFree(stream));
    }
}

TEST_F(BassPosition, CallsRefuseWhatTheyCannotDo)
{
    const HSTREAM stream = createStream(bassFixture(QStringLiteral("ladder.wav")));
    ASSERT_NE(stream, 0u);
    const QWORD length = BASS_ChannelGetLength(stream, BASS_POS_BYTE);
    const HSTREAM stale = createStream(bassFixture(QStringLiteral("ladder.wav")));
    ASSERT_TRUE(BASS_StreamFree(stale));
    constexpr DWORD kOrderMode = 1; // BASS_POS_MUSIC_ORDER: not a mode of file streams here
    const QWORD kFailed = QWORD(-1);

    for (const DWORD handle : { DWORD(0), stale }) {
        EXPECT_EQ(BASS_ChannelGetLength(handle, BASS_POS_BYTE), kFailed);
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
        EXPECT_EQ(BASS_ChannelGetPosition(handle, BASS_POS_BYTE), kFailed);
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
        EXPECT_FALSE(BASS_ChannelSetPosition(handle, 0, BASS_POS_BYTE));
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
        EXPECT_LT(BASS_ChannelBytes2Seconds(handle, 0), 0.0);
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
        EXPECT_EQ(BASS_ChannelSeconds2Bytes(handle, 0.0), kFailed);
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    }
    EXPECT_EQ(BASS_ChannelGetLength(stream, kOrderMode), kFailed);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
    EXPECT_EQ(BASS_ChannelGetPosition(stream, kOrderMode), kFailed);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
    EXPECT_FALSE(BASS_ChannelSetPosition(stream, 0, kOrderMode));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
    for (const QWORD beyond : { length, length + 2, QWORD(-2) }) {
        EXPECT_FALSE(BASS_ChannelSetPosition(stream, beyond, BASS_POS_BYTE));
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_POSITION);
    }
    EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), 0u) << "a refused seek moves nothing";
    EXPECT_TRUE(BASS_ChannelSetPosition(stream, length - 2, BASS_POS_BYTE));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_OK);
}

// Times past any file, and values that are no time. A finite time has a byte
// offset, capped at the last whole frame an offset counts, where no seek is
// possible; the others are refused as NaN and negative times are.
TEST_F(BassPosition, TimesPastAnyFileGiveTheLastCountableFrameAndNonTimesAreRefused)
{
    const HSTREAM stream = createStream(bassFixture(QStringLiteral("ladder.flac")));
    ASSERT_NE(stream, 0u);
    constexpr QWORD kBytesPerFrame = 4; // stereo, 16-bit
    constexpr QWORD kLastFrameBytes = (QWORD(-1) - 1) / kBytesPerFrame * kBytesPerFrame;
    constexpr double inf = std::numeric_limits<double>::infinity();
    const struct
    {
        double seconds;
        QWORD bytes;
        int error;
    } cases[] = {
        { 1e30, kLastFrameBytes, BASS_OK },
        { DBL_MAX, kLastFrameBytes, BASS_OK },
        { 1e12, 44'100'000'000'000'000ULL * kBytesPerFrame, BASS_OK }, // still within an offset's range
        { inf, QWORD(-1), BASS_ERROR_ILLPARAM },
        { -inf, QWORD(-1), BASS_ERROR_ILLPARAM },
        { std::nan(""), QWORD(-1), BASS_ERROR_ILLPARAM },
        { -1.0, QWORD(-1), BASS_ERROR_ILLPARAM },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(BASS_ChannelSeconds2Bytes(stream, c.seconds), c.bytes);
        EXPECT_EQ(BASS_ErrorGetCode(), c.error);
    }
    EXPECT_FALSE(BASS_ChannelSetPosition(stream, kLastFrameBytes, BASS_POS_BYTE));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_POSITION);
    EXPECT_TRUE(BASS_StreamFree(stream));
}

TEST_F(BassPosition, PositionIsTheAskedOneAtOnceThenAdvancesWithPlayback)
{
    const HSTREAM stream = createStream(bassFixture(QStringLiteral("ladder.flac")));
    ASSERT_NE(stream, 0u);
    const QWORD asked = BASS_ChannelSeconds2Bytes(stream, 1.2);
    ASSERT_TRUE(BASS_ChannelSetPosition(stream, asked, BASS_POS_BYTE));
    EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), asked);
    ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
    ASSERT_TRUE(waitFor([&] { return BASS_ChannelGetPosition(stream, BASS_POS_BYTE) > asked; }));
    ASSERT_TRUE(waitFor([&] { return streamStopped(stream); }));
    EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), BASS_ChannelGetLength(stream, BASS_POS_BYTE));
    // Play on an ended stream starts it again from the beginning.
    ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
    EXPECT_LT(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), asked);
}

struct SeekCase
{
    const char *file;
    double seconds;
    bool whilePlaying;
};

class BassSeek : public BassPosition, public testing::WithParamInterface<SeekCase>
{
};

// The step the seek lands in must sound for what is left of it after the
// asked time, within 50 ms, then the next step follows.
TEST_P(BassSeek, PlaybackContinuesWithin50msOfTheAskedTime)
{
    const SeekCase &c = GetParam();
    const HSTREAM stream = createStream(bassFixture(QString::fromLatin1(c.file)));
    ASSERT_NE(stream, 0u);
    const QWORD target = BASS_ChannelSeconds2Bytes(stream, c.seconds);
    if (c.whilePlaying) {
        // Into the second step, well before the one asked for.
        ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
        const QWORD played = BASS_ChannelSeconds2Bytes(stream, 0.3);
        ASSERT_TRUE(waitFor([&] { return BASS_ChannelGetPosition(stream, BASS_POS_BYTE) >= played; }));
        ASSERT_TRUE(BASS_ChannelSetPosition(stream, target, BASS_POS_BYTE));
    } else {
        ASSERT_TRUE(BASS_ChannelSetPosition(stream, target, BASS_POS_BYTE));
        ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
    }
    ASSERT_TRUE(waitFor([&] { return streamStopped(stream); }));

    const std::vector<PitchRun> sounding = soundingRuns(finish());
    const int step = int(c.seconds / kStepSeconds);
    const auto landed
        = std::find_if(sounding.begin(), sounding.end(), [&](const PitchRun &run) { return run.pitch == step; });
    ASSERT_NE(landed, sounding.end());
    const double left = ((step + 1) * kStepSeconds - c.seconds) * 100;
    EXPECT_NEAR(double(landed->slices), left, kSeekTolerance);
    for (auto before = sounding.begin(); before != landed; ++before)
        EXPECT_LE(before->pitch, 2) << "only the start played before the seek";
    if (!c.whilePlaying) {
        EXPECT_EQ(landed, sounding.begin()) << "nothing before the asked time sounds";
    }
    // Then the rest of the file in order.
    ASSERT_EQ(sounding.end() - landed, std::ptrdiff_t(kLadder.size()) - step);
    for (auto next = landed + 1; next != sounding.end(); ++next) {
        EXPECT_EQ(next->pitch, (next - 1)->pitch + 1);
        if (next + 1 != sounding.end()) {
            EXPECT_NEAR(double(next->slices), kStepSeconds * 100, 3);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Files, BassSeek,
    testing::Values(SeekCase { "ladder.wav", 0.93, false }, SeekCase { "ladder.flac", 1.37, false },
        SeekCase { "ladder.wav", 1.62, true }, SeekCase { "ladder.flac", 1.12, true },
        SeekCase { "ladder.flac", 0.05, false }));

// With BASS_SAMPLE_LOOP the file starts again without a gap and the position
// goes back to its start; switched off, the stream plays to its end and stops.
TEST_F(BassPosition, LoopRepeatsWithoutAGapUntilSwitchedOff)
{
    const HSTREAM stream = createStream(bassFixture(QStringLiteral("ladder.wav")), BASS_SAMPLE_LOOP);
    ASSERT_NE(stream, 0u);
    EXPECT_EQ(BASS_ChannelFlags(stream, 0, 0) & BASS_SAMPLE_LOOP, DWORD(BASS_SAMPLE_LOOP));
    // Late in the file, so the loop comes soon.
    ASSERT_TRUE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 1.6), BASS_POS_BYTE));
    ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
    const QWORD early = BASS_ChannelSeconds2Bytes(stream, 0.3);
    const QWORD late = BASS_ChannelSeconds2Bytes(stream, 0.5);
    ASSERT_TRUE(waitFor([&] {
        const QWORD position = BASS_ChannelGetPosition(stream, BASS_POS_BYTE);
        return position > early && position < late;
    })) << "the position went back to the start";
    EXPECT_FALSE(streamStopped(stream));
    EXPECT_EQ(BASS_ChannelFlags(stream, 0, BASS_SAMPLE_LOOP) & BASS_SAMPLE_LOOP, 0u);
    ASSERT_TRUE(waitFor([&] { return streamStopped(stream); }));

    const Capture capture = finish();
    const std::vector<PitchRun> sounding = soundingRuns(capture);
    ASSERT_EQ(sounding.size(), 2 + kLadder.size());
    EXPECT_EQ(sounding[0].pitch, 6);
    EXPECT_EQ(sounding[1].pitch, 7);
    for (size_t i = 0; i < kLadder.size(); ++i)
        EXPECT_EQ(sounding[2 + i].pitch, int(i));
    // No silence where the file began again: between the first and the last
    // sounding slice nothing is quiet.
    const std::vector<Slice> sliced = slices(capture.left);
    const auto first = std::find_if(sliced.begin(), sliced.end(), [](const Slice &s) { return !s.silent(); });
    const auto last = std::find_if(sliced.rbegin(), sliced.rend(), [](const Slice &s) { return !s.silent(); });
    ASSERT_NE(first, sliced.end());
    EXPECT_EQ(std::count_if(first, last.base(), [](const Slice &s) { return s.silent(); }), 0);
}

} // namespace
