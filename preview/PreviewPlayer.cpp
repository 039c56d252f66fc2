#include "preview/PreviewPlayer.h"

#include "bass.h"

#include <algorithm>

namespace PreviewPlayer {

namespace {

// Sample rate asked of the output; the device may run at another.
constexpr DWORD kOutputRate = 44100;

float volumeOf(int percent)
{
    return float(percent) / 100.0f;
}

} // namespace

const std::array<const char *, 18> &AddOnFileNames()
{
    static const std::array<const char *, 18> names = {
        "libbass_aac.so",
        "libbasscd.so",
        "libbass_ac3.so",
        "libbass_adx.so",
        "libbass_aix.so",
        "libbassape.so",
        "libbass_mpc.so",
        "libbass_ofr.so",
        "libbass_spx.so",
        "libbass_tta.so",
        "libbassalac.so",
        "libbassdsd.so",
        "libbassflac.so",
        "libbassmidi.so",
        "libbassopus.so",
        "libBasswma.so",
        "libbasswv.so",
        "libbasswebm.so",
    };
    return names;
}

void LoadAddOns()
{
    for (const char *name : AddOnFileNames()) {
        const QString fileName = QString::fromLatin1(name);
        BASS_PluginLoad(reinterpret_cast<const char *>(fileName.utf16()), BASS_UNICODE);
    }
}

bool OpenOutput(int device, void *window)
{
    return BASS_Init(device, kOutputRate, 0, window, nullptr) != FALSE;
}

std::uint32_t Play(std::uint32_t previous, const QString &FileName, int volumePercent, bool loop, double startSeconds)
{
    BASS_StreamFree(previous);
    const DWORD flags = BASS_UNICODE | BASS_STREAM_AUTOFREE | (loop ? BASS_SAMPLE_LOOP : 0);
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, FileName.utf16(), 0, 0, flags);
    // Both run even when the stream could not be made; they then do nothing.
    BASS_ChannelSetAttribute(stream, BASS_ATTRIB_VOL, volumeOf(volumePercent));
    const bool seeked = startSeconds > 0 && Seek(stream, startSeconds);
    // From the start, as a restart; after a seek, not: that would undo it.
    BASS_ChannelPlay(stream, seeked ? FALSE : TRUE);
    return stream;
}

Progress ProgressOf(std::uint32_t stream)
{
    Progress progress;
    if (stream == 0)
        return progress;
    switch (BASS_ChannelIsActive(stream)) {
    case BASS_ACTIVE_PLAYING:
    case BASS_ACTIVE_STALLED:
        progress.state = Progress::State::Playing;
        break;
    case BASS_ACTIVE_PAUSED:
        progress.state = Progress::State::Paused;
        break;
    default:
        break;
    }
    const QWORD length = BASS_ChannelGetLength(stream, BASS_POS_BYTE);
    if (length != QWORD(-1))
        progress.length = std::max(0.0, BASS_ChannelBytes2Seconds(stream, length));
    const QWORD position = BASS_ChannelGetPosition(stream, BASS_POS_BYTE);
    if (position != QWORD(-1))
        progress.position = std::max(0.0, BASS_ChannelBytes2Seconds(stream, position));
    return progress;
}

bool Seek(std::uint32_t stream, double seconds)
{
    const QWORD bytes = BASS_ChannelSeconds2Bytes(stream, std::max(0.0, seconds));
    return bytes != QWORD(-1) && BASS_ChannelSetPosition(stream, bytes, BASS_POS_BYTE) != FALSE;
}

void SetLoop(std::uint32_t stream, bool loop)
{
    BASS_ChannelFlags(stream, loop ? BASS_SAMPLE_LOOP : 0, BASS_SAMPLE_LOOP);
}

void SetVolume(std::uint32_t stream, int volumePercent)
{
    BASS_ChannelSetAttribute(stream, BASS_ATTRIB_VOL, volumeOf(volumePercent));
}

void TogglePause(std::uint32_t stream)
{
    if (BASS_ChannelIsActive(stream) == BASS_ACTIVE_PAUSED)
        BASS_ChannelPlay(stream, FALSE);
    else
        BASS_ChannelPause(stream);
}

void Stop(std::uint32_t stream)
{
    BASS_StreamFree(stream);
}

void CloseOutput()
{
    BASS_Free();
}

} // namespace PreviewPlayer
