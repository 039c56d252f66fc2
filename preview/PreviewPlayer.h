#pragma once

#include <QString>

#include <array>
#include <cstdint>

// The preview's calls into the audio library, apart from any widget: which
// add-ons load, how a file is started, paused and resumed. The caller keeps
// the one stream handle; the library frees a finished stream by itself, and
// every call with a stale handle is rejected there without effect.
namespace PreviewPlayer {

// The add-on libraries, in load order, by their Linux file names.
const std::array<const char *, 18> &AddOnFileNames();

// Loads every add-on that exists; missing ones are skipped silently.
void LoadAddOns();

// Opens the output on a device of the library's numbering (0 no sound,
// 1 the default output, -1 the library's default). False when it cannot be
// opened; nothing is reported, and later streams then stay silent.
bool OpenOutput(int device, void *window);

// Frees the previous stream, then plays FileName from its start at
// volumePercent (0..100), over and over when `loop`, from startSeconds.
// Returns the new stream handle, 0 when the file cannot be played.
std::uint32_t Play(
    std::uint32_t previous, const QString &FileName, int volumePercent, bool loop = false, double startSeconds = 0);

// Where a stream is: seconds played and its length (0 when unknown), and
// whether it plays, is paused, or is stopped (ended, freed or never made).
struct Progress
{
    enum class State { Stopped, Playing, Paused };
    State state = State::Stopped;
    double position = 0;
    double length = 0;
};
Progress ProgressOf(std::uint32_t stream);

// Moves a stream to `seconds` from its start; it goes on playing, or stays
// paused. False when the stream is gone or the time lies outside the file.
bool Seek(std::uint32_t stream, double seconds);

// Whether the stream starts again at its end.
void SetLoop(std::uint32_t stream, bool loop);

void SetVolume(std::uint32_t stream, int volumePercent);

// Resumes a paused stream where it stopped; pauses it in any other state.
void TogglePause(std::uint32_t stream);

// Stops and frees the stream.
void Stop(std::uint32_t stream);

// Releases the output and every stream.
void CloseOutput();

} // namespace PreviewPlayer
