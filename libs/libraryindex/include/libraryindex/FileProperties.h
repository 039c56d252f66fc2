#pragma once

#include <QString>

#include <cstdint>

namespace libraryindex {

// What a header probe found in an audio file. -1 where the file does not say
// (an mp3 has no bit depth) or the probe did not get that far.
struct FileProperties
{
    std::int32_t durationMs = -1;
    std::int32_t sampleRate = -1;
    std::int16_t bitDepth = -1;
    std::int16_t channels = -1;
    QString title;
    QString artist;
    QString album;
    QString genre;
    QString comment;
    bool operator==(const FileProperties &other) const = default;
};

// One file found below a search root.
struct FoundFile
{
    QString path; // absolute
    QString folder; // relative to the search root, "" for the root itself
    qint64 size = 0; // bytes
    qint64 modified = 0; // milliseconds since the epoch (UTC)
    bool propertiesKnown = false;
    FileProperties properties;
    bool operator==(const FoundFile &other) const = default;
};

} // namespace libraryindex
