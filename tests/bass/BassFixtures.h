#pragma once

#include <QString>

#include <chrono>
#include <cstddef>
#include <vector>

// Test files for the audio library, made once per build folder: tones from
// make_fixtures.sh (ffmpeg, mpcenc) and DSD files written here.
QString bassFixtureDir();
QString bassFixture(const QString &name);

// What SDL's disk driver captured: interleaved 32-bit float stereo.
struct Capture
{
    std::vector<float> left;
    std::vector<float> right;
};
Capture readCapture(const QString &path);

// Waits until the open output has written `time` more audio into its disk
// capture (SDL_DISKAUDIOFILE), at most `time` plus ten seconds. The output
// paces itself in real time, so this is the same wait on a quiet machine; on
// a loaded one the test waits for the sound instead of judging a capture that
// fell behind the clock. False when the capture stopped growing.
bool waitForCapturedAudio(std::chrono::milliseconds time);

// Pitch from rising zero crossings, with hysteresis so that noise near zero
// does not count; 0 when fewer than two crossings.
double frequencyOf(const float *samples, size_t count, int rate);
double rmsOf(const float *samples, size_t count);

// 10 ms slices of a signal: level and pitch of each.
struct Slice
{
    double rms;
    double frequency;
    bool silent() const { return rms < 0.01; }
};
constexpr size_t kSliceFrames = 441;
std::vector<Slice> slices(const std::vector<float> &samples, int rate = 44100);

// Index of the nearest of `candidates` when within 8 %, else -1.
int nearestPitch(double frequency, const std::vector<double> &candidates);

// Runs of equal pitch class (-1 for silence or an unknown pitch) in a capture.
struct PitchRun
{
    int pitch;
    size_t slices;
};
std::vector<PitchRun> pitchRuns(const std::vector<Slice> &sliced, const std::vector<double> &pitches);
// Drops the runs of one or two slices that straddle a change of pitch.
std::vector<PitchRun> steadyRuns(std::vector<PitchRun> runs);
