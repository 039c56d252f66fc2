#pragma once

#include <QByteArray>
#include <QStringList>

#include <vector>

namespace libraryindex {

// The browser's file filter ("*.wav;*.flac"): glob patterns matched against
// a name's bytes ignoring case, without turning every name of a large tree
// into a QString first. No patterns, or "*", keeps every file.
class AudioPatterns
{
public:
    AudioPatterns() = default;
    explicit AudioPatterns(const QStringList &patterns);

    bool matches(const char *name) const;
    bool operator==(const AudioPatterns &other) const = default;

private:
    std::vector<QByteArray> m_patterns;
};

} // namespace libraryindex
