#include "preview/PreviewPlayer.h"

#include "bass.h"

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
        "libbass_aac.so", "libbasscd.so",   "libbass_ac3.so", "libbass_adx.so",  "libbass_aix.so",  "libbassape.so",
        "libbass_mpc.so", "libbass_ofr.so", "libbass_spx.so", "libbass_tta.so",  "libbassalac.so",  "libbassdsd.so",
        "libbassflac.so", "libbassmidi.so", "libbassopus.so", "libBasswma.so",   "libbasswv.so",    "libbasswebm.so",
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

std::uint32_t Play(std::uint32_t previous, const QString &FileName, int volumePercent)
{
    BASS_StreamFree(previous);
    const HSTREAM stream =
        BASS_StreamCreateFile(FALSE, FileName.utf16(), 0, 0, BASS_UNICODE | BASS_STREAM_AUTOFREE);
    // Both run even when the stream could not be made; they then do nothing.
    BASS_ChannelSetAttribute(stream, BASS_ATTRIB_VOL, volumeOf(volumePercent));
    BASS_ChannelPlay(stream, TRUE);
    return stream;
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
