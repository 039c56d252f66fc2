#pragma once

// Small audio files with lying headers, and large sparse files of zeros under
// audio names, written at test time. Each shows a way a file could make a
// decoder work or allocate without end. Shared by the audio library's tests,
// the waveform thumbnails' tests, the preview tests and the benchmarks.

#include "bass.h"

#include <cmath>
#include <cstdint>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace hostile {

struct File
{
    const char *name;
    const char *what;
    int error; // what BASS_StreamCreateFile reports for it
};

// 300 MB, written as a hole: nothing is on the disk, every read gives zeros.
constexpr long long kZerosBytes = 300LL << 20;

inline const std::vector<File> &files()
{
    static const std::vector<File> table = {
        { "one-hertz.wav", "a 64 KB WAV whose header claims 1 Hz", BASS_ERROR_FORMAT },
        { "huge-rate.aiff", "a 110-byte AIFF claiming 524,288,000 Hz", BASS_ERROR_FORMAT },
        { "many-channels.wav", "a WAV claiming 1,000 channels", BASS_ERROR_FORMAT },
        { "zeros.mp3", "300 MB of zeros named .mp3", BASS_ERROR_FILEFORM },
        { "zeros.ac3", "300 MB of zeros named .ac3", BASS_ERROR_FILEFORM },
        { "zeros.flac", "300 MB of zeros named .flac", BASS_ERROR_FILEFORM },
    };
    return table;
}

namespace detail {

inline void le(std::string &out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(char((value >> (8 * i)) & 0xff));
}

inline void be(std::string &out, std::uint64_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(char((value >> (8 * i)) & 0xff));
}

// A 16-bit PCM WAV with the given header fields and dataBytes of a tone.
inline std::string wav(std::uint32_t rate, std::uint16_t channels, std::uint32_t dataBytes)
{
    std::string out = "RIFF";
    le(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    le(out, 16, 4);
    le(out, 1, 2); // PCM
    le(out, channels, 2);
    le(out, rate, 4);
    le(out, std::uint64_t(rate) * channels * 2, 4);
    le(out, std::uint64_t(channels) * 2, 2);
    le(out, 16, 2);
    out += "data";
    le(out, dataBytes, 4);
    for (std::uint32_t i = 0; i < dataBytes / 2; ++i)
        le(out, std::uint16_t(std::int16_t(8000 * std::sin(double(i) * 0.05))), 2);
    return out;
}

// An AIFF whose COMM chunk claims `rate` (an 80-bit extended number).
inline std::string aiff(std::uint32_t rate, std::size_t totalBytes)
{
    std::string comm;
    be(comm, 2, 2); // channels
    be(comm, 1000, 4); // sample frames
    be(comm, 16, 2); // bits
    int exponent = 0;
    while ((std::uint64_t(1) << (exponent + 1)) <= rate)
        ++exponent;
    be(comm, 16383 + exponent, 2);
    be(comm, std::uint64_t(rate) << (63 - exponent), 8);
    std::string out = "FORM";
    const std::size_t ssndData = totalBytes - 12 - (8 + comm.size()) - 8;
    be(out, totalBytes - 8, 4);
    out += "AIFFCOMM";
    be(out, comm.size(), 4);
    out += comm;
    out += "SSND";
    be(out, ssndData, 4);
    be(out, 0, 4); // offset
    be(out, 0, 4); // block size
    out.append(ssndData - 8, '\x11');
    return out;
}

inline bool writeText(const std::string &path, const std::string &bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(file);
}

inline bool writeHole(const std::string &path, long long bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::ftruncate(fd, bytes) == 0;
    ::close(fd);
    return ok;
}

} // namespace detail

// Writes the file of that name (one of files()) into folder; its path, or an
// empty string when it could not be written.
inline std::string write(const std::string &folder, const std::string &name)
{
    const std::string path = folder + "/" + name;
    bool ok = false;
    if (name == "one-hertz.wav")
        ok = detail::writeText(path, detail::wav(1, 2, 64 * 1024 - 44));
    else if (name == "huge-rate.aiff")
        ok = detail::writeText(path, detail::aiff(524288000, 110));
    else if (name == "many-channels.wav")
        ok = detail::writeText(path, detail::wav(44100, 1000, 64 * 1024));
    else if (name.rfind("zeros.", 0) == 0)
        ok = detail::writeHole(path, kZerosBytes);
    return ok ? path : std::string();
}

// A real file at the edge of the accepted rates: 1 kHz, one second of a tone.
inline std::string writeLowRateWav(const std::string &folder)
{
    const std::string path = folder + "/one-kilohertz.wav";
    return detail::writeText(path, detail::wav(1000, 1, 2000)) ? path : std::string();
}

// Seconds between the frames of writeJumpingTimestamps()'s file: a frame
// stamped that far past an asked time is further away in samples than an
// int counts.
constexpr std::uint32_t kJumpSeconds = 1u << 20;

// A copy of source, an MP4 file muxed without an edit list, whose track's
// header claims a time base of one second and each frame lasting
// kJumpSeconds: its timestamps jump by days from frame to frame. The path, or
// an empty string when source is not such a file.
inline std::string writeJumpingTimestamps(const std::string &source, const std::string &path)
{
    std::ifstream in(source, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto at32 = [&](std::size_t at) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i)
            value = (value << 8) | std::uint8_t(bytes[at + i]);
        return value;
    };
    auto put32 = [&](std::size_t at, std::uint32_t value) {
        for (std::size_t i = 0; i < 4; ++i)
            bytes[at + i] = char((value >> (24 - 8 * i)) & 0xff);
    };
    // Each box's type follows its size; the fields follow version and flags.
    const std::size_t mediaHeader = bytes.rfind("mdhd");
    const std::size_t timeToSample = bytes.rfind("stts");
    if (mediaHeader == std::string::npos || timeToSample == std::string::npos || bytes.size() < mediaHeader + 20
        || bytes.size() < timeToSample + 12 || bytes[mediaHeader + 4] != 0) // version 0: 32-bit times
        return {};
    put32(mediaHeader + 16, 1); // time scale: units per second
    const std::uint32_t entries = at32(timeToSample + 8);
    if (bytes.size() < timeToSample + 12 + std::size_t(entries) * 8)
        return {};
    for (std::uint32_t i = 0; i < entries; ++i)
        put32(timeToSample + 12 + std::size_t(i) * 8 + 4, kJumpSeconds); // after each entry's sample count
    return detail::writeText(path, bytes) ? path : std::string();
}

} // namespace hostile
