// What the library plays, read back from SDL's disk driver: stopping one
// stream for the next, volume, pause and resume, restart, the end of a
// stream, and the loop switched while playing.

#include "BassFixtures.h"
#include "BassTestSupport.h"
#include "CapturedOutputTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace std::chrono_literals;

namespace {

class BassPlayback : public CapturedOutputTest
{
};

size_t soundingSlices(const std::vector<Slice> &sliced)
{
    return size_t(std::count_if(sliced.begin(), sliced.end(), [](const Slice &s) { return !s.silent(); }));
}

std::vector<PitchRun> soundingRuns(const std::vector<Slice> &sliced, const std::vector<double> &pitches)
{
    std::vector<PitchRun> sounding;
    for (const PitchRun &run : steadyRuns(pitchRuns(sliced, pitches))) {
        if (run.pitch >= 0)
            sounding.push_back(run);
    }
    return sounding;
}

// Silent slices between the first and the last sounding one.
size_t innerSilentSlices(const std::vector<Slice> &sliced)
{
    const auto first = std::find_if(sliced.begin(), sliced.end(), [](const Slice &s) { return !s.silent(); });
    const auto last = std::find_if(sliced.rbegin(), sliced.rend(), [](const Slice &s) { return !s.silent(); });
    if (first == sliced.end())
        return 0;
    return size_t(std::count_if(first, last.base(), [](const Slice &s) { return s.silent(); }));
}

double positionSeconds(HSTREAM stream)
{
    return BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream, BASS_POS_BYTE));
}

bool setLoop(HSTREAM stream, bool on)
{
    const DWORD flags = BASS_ChannelFlags(stream, on ? BASS_SAMPLE_LOOP : 0, BASS_SAMPLE_LOOP);
    return flags != DWORD(-1) && ((flags & BASS_SAMPLE_LOOP) != 0) == on;
}

TEST_F(BassPlayback, NextStreamStopsThePreviousAtOnceAndStartsAtItsBeginning)
{
    const HSTREAM first = createStream(bassFixture(QStringLiteral("long440.wav")));
    ASSERT_NE(first, 0u);
    ASSERT_TRUE(BASS_ChannelPlay(first, TRUE));
    playFor(400ms);
    ASSERT_TRUE(BASS_StreamFree(first));
    const HSTREAM second = createStream(bassFixture(QStringLiteral("marked.wav")));
    ASSERT_NE(second, 0u);
    ASSERT_TRUE(BASS_ChannelPlay(second, TRUE));
    ASSERT_TRUE(waitFor([&] { return streamStopped(second); }));

    const std::vector<Slice> sliced = slices(finish().left);
    const std::vector<PitchRun> runs = steadyRuns(pitchRuns(sliced, { 440, 880, 1320 }));
    // silence, the first file, at most a device period of silence, then the second from its start.
    std::vector<PitchRun> sounding;
    for (const PitchRun &run : runs) {
        if (run.pitch != -1)
            sounding.push_back(run);
    }
    ASSERT_EQ(sounding.size(), 3u);
    EXPECT_EQ(sounding[0].pitch, 0);
    EXPECT_EQ(sounding[1].pitch, 1);
    EXPECT_EQ(sounding[2].pitch, 2);
    EXPECT_NEAR(double(sounding[1].slices), 30, 3) << "the marked first 0.3 s of the second file";
    EXPECT_NEAR(double(sounding[2].slices), 40, 3);
    // Between the last slice of 440 Hz and the first of 880 Hz only the time
    // to open the second file and the next device period (23 ms); a loaded
    // machine may stretch that, so allow 80 ms.
    size_t last440 = 0, first880 = 0;
    for (size_t i = 0; i < sliced.size(); ++i) {
        const int pitch = sliced[i].silent() ? -1 : nearestPitch(sliced[i].frequency, { 440, 880 });
        if (pitch == 0 && first880 == 0)
            last440 = i;
        if (pitch == 1 && first880 == 0)
            first880 = i;
    }
    ASSERT_GT(first880, last440);
    EXPECT_LE(first880 - last440, 8u);
}

TEST_F(BassPlayback, VolumeScalesTheAmplitudeAtOnce)
{
    const HSTREAM stream = createStream(bassFixture(QStringLiteral("level440.wav")));
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(BASS_ChannelSetAttribute(stream, BASS_ATTRIB_VOL, 1.0f));
    ASSERT_TRUE(BASS_ChannelPlay(stream, TRUE));
    playFor(500ms);
    ASSERT_TRUE(BASS_ChannelSetAttribute(stream, BASS_ATTRIB_VOL, 0.5f));
    ASSERT_TRUE(waitFor([&] { return streamStopped(stream); }));

    const Capture capture = finish();
    const std::vector<Slice> sliced = slices(capture.left);
    std::vector<double> levels;
    for (const Slice &slice : sliced) {
        if (!slice.silent())
            levels.push_back(slice.rms);
    }
    ASSERT_GT(levels.size(), 100u);
    // Full level first (half-scale sine: RMS 0.354), half level after the change, nothing in between.
    const double full = levels[5];
    EXPECT_NEAR(full, 0.3536, 0.01);
    const double half = levels[levels.size() - 5];
    EXPECT_NEAR(half / full, 0.5, 0.02);
    // (The first and last sounding slices may be partly silent.)
    const auto between = std::count_if(
        levels.begin() + 1, levels.end() - 1, [&](double level) { return level < full * 0.95 && level > half * 1.05; });
    EXPECT_LE(between, 1);
    // The same on the right: a mono file plays on both speakers.
    EXPECT_NEAR(rmsOf(&capture.right[0], capture.right.size()), rmsOf(&capture.left[0], capture.left.size()), 1e-4);
}

TEST_F(BassPlayback, PauseThenResumeContinuesWhereItStopped)
{
    const HSTREAM stream = createStream(bassFixture(QStringLiteral("steps.wav")));
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(BASS_ChannelPlay(stream, TRUE));
    playFor(400ms);
    ASSERT_TRUE(BASS_ChannelPause(stream));
    EXPECT_EQ(BASS_ChannelIsActive(stream), DWORD(BASS_ACTIVE_PAUSED));
    EXPECT_FALSE(BASS_ChannelPause(stream));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
    playFor(300ms);
    EXPECT_EQ(BASS_ChannelIsActive(stream), DWORD(BASS_ACTIVE_PAUSED));
    ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
    EXPECT_NE(BASS_ChannelIsActive(stream), DWORD(BASS_ACTIVE_PAUSED));
    ASSERT_TRUE(waitFor([&] { return streamStopped(stream); }));

    const std::vector<Slice> sliced = slices(finish().left);
    // All of the one-second file was heard once, nothing lost and nothing twice.
    EXPECT_NEAR(double(soundingSlices(sliced)), 100, 3);
    const std::vector<PitchRun> runs = steadyRuns(pitchRuns(sliced, { 440, 660, 880, 1100 }));
    std::vector<int> order;
    size_t longestInnerSilence = 0;
    for (size_t i = 0; i < runs.size(); ++i) {
        if (runs[i].pitch >= 0)
            order.push_back(runs[i].pitch);
        else if (i > 0 && i + 1 < runs.size())
            longestInnerSilence = std::max(longestInnerSilence, runs[i].slices);
    }
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end())) << "the pitch steps never go back";
    EXPECT_EQ(order.front(), 0);
    EXPECT_EQ(order.back(), 3);
    EXPECT_GE(longestInnerSilence, 25u) << "the pause is a gap in the middle";
}

TEST_F(BassPlayback, PlayWithRestartStartsAgainFromTheBeginning)
{
    const HSTREAM stream = createStream(bassFixture(QStringLiteral("steps.wav")));
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(BASS_ChannelPlay(stream, TRUE));
    playFor(600ms);
    ASSERT_TRUE(BASS_ChannelPlay(stream, TRUE));
    ASSERT_TRUE(waitFor([&] { return streamStopped(stream); }));

    const std::vector<Slice> sliced = slices(finish().left);
    std::vector<PitchRun> sounding;
    for (const PitchRun &run : steadyRuns(pitchRuns(sliced, { 440, 660, 880, 1100 }))) {
        if (run.pitch >= 0)
            sounding.push_back(run);
    }
    // Up the steps, back to the first one once, then the whole file.
    const auto drop = std::adjacent_find(
        sounding.begin(), sounding.end(), [](const PitchRun &a, const PitchRun &b) { return b.pitch < a.pitch; });
    ASSERT_NE(drop, sounding.end());
    const PitchRun &restart = *(drop + 1);
    EXPECT_EQ(restart.pitch, 0);
    EXPECT_NEAR(double(restart.slices), 25, 3);
    EXPECT_EQ(sounding.back().pitch, 3);
    EXPECT_TRUE(std::is_sorted(
        drop + 1, sounding.end(), [](const PitchRun &a, const PitchRun &b) { return a.pitch < b.pitch; }));
}

// Ticked while a one-shot plays its only pass (the whole file long queued):
// it begins again right after its end; unticked early in that second pass,
// which is queued whole with the start of a third, it ends with that pass.
TEST_F(BassPlayback, LoopTickedDuringAShortFileRepeatsItAndUntickedEndsThatPass)
{
    const HSTREAM stream = createStream(bassFixture(QStringLiteral("blip.wav")));
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(BASS_ChannelPlay(stream, TRUE));
    ASSERT_TRUE(waitFor([&] { return positionSeconds(stream) >= 0.1; }));
    ASSERT_TRUE(setLoop(stream, true));
    ASSERT_TRUE(waitFor([&] {
        const double seconds = positionSeconds(stream);
        return seconds < 0.1 || streamStopped(stream);
    }));
    ASSERT_FALSE(streamStopped(stream)) << "played once and stopped: the loop came too late";
    ASSERT_TRUE(setLoop(stream, false));
    ASSERT_TRUE(waitFor([&] { return streamStopped(stream); }));

    const std::vector<Slice> sliced = slices(finish().left);
    const std::vector<PitchRun> runs = soundingRuns(sliced, { 880, 1320 });
    std::vector<int> pitches;
    for (const PitchRun &run : runs)
        pitches.push_back(run.pitch);
    EXPECT_EQ(pitches, (std::vector<int> { 0, 1, 0, 1 })) << "two passes, no third";
    EXPECT_NEAR(double(soundingSlices(sliced)), 80, 3);
    EXPECT_EQ(innerSilentSlices(sliced), 0u) << "the second pass follows the first without a gap";
}

// Unticked 0.3 s before the end of a long file, when the start of the next
// pass is already queued: the file plays to its end and stops there.
TEST_F(BassPlayback, LoopUntickedNearTheEndStopsAtTheEnd)
{
    const HSTREAM stream = createStream(bassFixture(QStringLiteral("ten-marked.wav")), BASS_SAMPLE_LOOP);
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 9.4), BASS_POS_BYTE));
    ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
    ASSERT_TRUE(waitFor([&] { return positionSeconds(stream) >= 9.7; }));
    ASSERT_TRUE(setLoop(stream, false));
    ASSERT_GE(positionSeconds(stream), 9.7) << "unticked before the file began again";
    ASSERT_TRUE(waitFor([&] { return streamStopped(stream); }));

    const std::vector<Slice> sliced = slices(finish().left);
    const std::vector<PitchRun> runs = soundingRuns(sliced, { 880, 440 });
    ASSERT_EQ(runs.size(), 1u) << "the start of the file was heard again";
    EXPECT_EQ(runs[0].pitch, 1);
    EXPECT_NEAR(double(soundingSlices(sliced)), 60, 3) << "the last 0.6 s, whole";
    EXPECT_EQ(innerSilentSlices(sliced), 0u);
}

TEST_F(BassPlayback, AutoFreeReleasesTheStreamAtItsEnd)
{
    const HSTREAM stream = createStream(bassFixture(QStringLiteral("short440.wav")), BASS_STREAM_AUTOFREE);
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(BASS_ChannelPlay(stream, TRUE));
    EXPECT_EQ(BASS_ChannelIsActive(stream), DWORD(BASS_ACTIVE_PLAYING));
    ASSERT_TRUE(waitFor([&] {
        BASS_ChannelIsActive(stream);
        return BASS_ErrorGetCode() == BASS_ERROR_HANDLE;
    }));
    // Gone for every call: nothing can pause or restart it.
    EXPECT_FALSE(BASS_ChannelPlay(stream, FALSE));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_FALSE(BASS_ChannelPause(stream));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_FALSE(BASS_ChannelSetAttribute(stream, BASS_ATTRIB_VOL, 1.0f));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_FALSE(BASS_StreamFree(stream));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    // A new stream does not take over the number.
    const HSTREAM next = createStream(bassFixture(QStringLiteral("short440.wav")), BASS_STREAM_AUTOFREE);
    ASSERT_NE(next, 0u);
    EXPECT_NE(next, stream);

    const std::vector<Slice> sliced = slices(finish().left);
    EXPECT_NEAR(double(soundingSlices(sliced)), 30, 2) << "played whole before it was freed";
}

TEST_F(BassPlayback, WithoutAutoFreeAFinishedStreamStaysAndPlaysAgain)
{
    const HSTREAM stream = createStream(bassFixture(QStringLiteral("short440.wav")));
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(BASS_ChannelPlay(stream, TRUE));
    ASSERT_TRUE(waitFor([&] { return streamStopped(stream); }));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_OK);
    ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
    ASSERT_TRUE(waitFor([&] { return streamStopped(stream); }));

    const std::vector<Slice> sliced = slices(finish().left);
    EXPECT_NEAR(double(soundingSlices(sliced)), 60, 3) << "heard twice, whole";
}

TEST_F(BassPlayback, NothingIsHeardBeforePlay)
{
    const HSTREAM stream = createStream(bassFixture(QStringLiteral("short440.wav")));
    ASSERT_NE(stream, 0u);
    EXPECT_EQ(BASS_ChannelIsActive(stream), DWORD(BASS_ACTIVE_STOPPED));
    EXPECT_FALSE(BASS_ChannelPause(stream));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOPLAY);
    playFor(200ms);
    const std::vector<Slice> sliced = slices(finish().left);
    EXPECT_GT(sliced.size(), 5u);
    EXPECT_EQ(soundingSlices(sliced), 0u);
}

} // namespace
