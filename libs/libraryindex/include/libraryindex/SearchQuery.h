#pragma once

#include "platform/Result.h"

#include <QString>
#include <QStringList>

#include <limits>
#include <optional>
#include <vector>

namespace libraryindex {

// A span of numbers; either end may be open (infinite) or exclusive.
struct NumberRange
{
    double low = -std::numeric_limits<double>::infinity();
    double high = std::numeric_limits<double>::infinity();
    bool lowInclusive = true;
    bool highInclusive = true;

    bool contains(double value) const
    {
        return (lowInclusive ? value >= low : value > low) && (highInclusive ? value <= high : value < high);
    }
    bool operator==(const NumberRange &other) const = default;
};

// What the user typed in the search box, taken apart.
//
// Words: every term must match, each in the file's name, its folder path
// below the search root, or its tags (title, artist, album, genre, comment).
// A term is one or more words that must follow each other; its last word
// matches any word starting with it, the others match whole words. Case
// and accents are ignored ("Über" finds "uber", and either way of writing
// "ü"). A word starts after a separator, at a change from a small to a
// capital letter and between letters and digits, so "kick" finds
// "BigKick_01" and "808Kick"; the whole run ("bigkick") is a word too.
//
// Quoted text ("dry kick") is one term. A bare word that is a known audio
// format ("flac", "wav", ...) is a format filter, not a word: people type it
// to narrow by type, and a name word "wav" would also bring back every
// "wave_*" file. Quote it ("flac") to look for it in names.
//
// Filters: dur:<2s, dur:>1.5s, dur:1s-3s, dur:2s (rounds to 2 s), units ms,
// s, m (seconds when none is given); rate:48k, rate:44100, rate:>=48k;
// bits:24; ch:1, ch:2, ch:mono, ch:stereo; ext:flac or ext:wav,flac. Numeric
// filters take <, <=, >, >= and a-b ranges. Files whose properties are not
// known yet are left out of a search with a property filter (and counted).
struct SearchQuery
{
    // Each term as folded words, in order.
    std::vector<QStringList> terms;
    // Lower-case extensions without the dot; empty means any.
    QStringList formats;
    std::optional<NumberRange> durationMs;
    std::optional<NumberRange> sampleRate;
    std::optional<NumberRange> bitDepth;
    std::optional<NumberRange> channels;

    bool hasPropertyFilter() const { return durationMs || sampleRate || bitDepth || channels; }
    bool operator==(const SearchQuery &other) const = default;
};

// The query, or a sentence that says what is wrong with it.
platform::Result<SearchQuery> parseSearchQuery(const QString &text);

// Extensions a bare word names as a format filter.
bool isKnownFormatWord(const QString &word);

} // namespace libraryindex
