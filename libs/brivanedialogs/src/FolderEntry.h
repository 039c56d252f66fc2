#pragma once

#include <QCollator>
#include <QCollatorSortKey>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace bd {

// What the audio columns show of a file, read from its header on a worker.
// -1 is unknown (not read yet, unreadable, or not in the file: lossy audio
// has no bit depth).
struct AudioDetails
{
    std::int32_t durationMs = -1;
    std::int32_t sampleRate = -1;
    std::int32_t bitRate = -1;
    std::int16_t bitDepth = -1;
    std::int16_t channels = -1;
    // The duration is a guess from the bit rate, not the file's own length.
    bool durationEstimated = false;
    bool operator==(const AudioDetails &other) const = default;
};

// Whether a row's audio details were read.
enum class AudioState : std::uint8_t { Unread, Read, Unreadable };

// A collator key, held by a shared pointer because QCollatorSortKey has no
// move constructor: rows move a lot (sorting, merging, handing over), and each
// copy of a key is a call and an atomic count.
using SortKey = std::shared_ptr<const QCollatorSortKey>;

// One row of the file list. The collator key is made on the listing thread,
// so the GUI thread sorts by plain byte comparisons. Once every row of the
// list has a name rank the keys are dropped: they are most of a row's memory.
struct FolderEntry
{
    // In a folder, the file's name; among search results, its path below
    // the search root ("Kicks/Deep/kick.wav"), which keeps rows from
    // different folders apart while the key sorts by the file's own name.
    QString name;
    SortKey sortKey;
    qint64 size = 0; // bytes; 0 for folders
    qint64 modified = 0; // milliseconds since the epoch (UTC)
    bool isDir = false;
    AudioState audioState = AudioState::Unread;
    AudioDetails audio;
    // Place in name order once a listing is complete, or -1. Comparing two
    // ranks is an integer compare instead of a collation key compare, which
    // makes sorting a large folder by another column (or back) several
    // times faster. Ranks always agree with the keys. A row without a key
    // always has a rank.
    std::int32_t nameRank = -1;
};

// Orders rows: folders first, then by the sort column (0 name, 1 size, 2 type,
// 3 date modified, 4 to 8 the audio details in AudioColumn order, 9 the
// folder of a search result; a file
// whose value is unknown comes after the others either way round), ties broken by the natural name order and finally by
// the raw name so the order is total.
struct EntryOrder
{
    int column = 0;
    Qt::SortOrder order = Qt::AscendingOrder;
    bool operator()(const FolderEntry &a, const FolderEntry &b) const;
    bool operator==(const EntryOrder &other) const = default;
};

// How names are ordered everywhere in the browser: numbers by value, case
// ignored, in the user's language.
QCollator nameCollator();

// The file's own name and the folder part of a row's name (empty in a folder).
QStringView baseNameOf(const QString &name);
QStringView folderPartOf(const QString &name);
// The extension of a row's file name ("wav"), or empty.
QStringView suffixOfName(const QString &name);

// Sorts rows by order. Sorts positions and moves each row once, which is
// several times faster for large folders than swapping whole rows.
// The audio columns, numbered after the file list's own four.
enum class AudioColumn { Duration = 4, SampleRate, BitDepth, Channels, BitRate };
inline constexpr int kFirstAudioColumn = int(AudioColumn::Duration);
inline constexpr int kAudioColumnCount = 5;
// The folder of a search result, after the audio columns.
inline constexpr int kFolderColumn = kFirstAudioColumn + kAudioColumnCount;
inline bool isAudioColumn(int column)
{
    return column >= kFirstAudioColumn && column < kFirstAudioColumn + kAudioColumnCount;
}
// The value of an audio column, or -1.
std::int32_t audioValue(const FolderEntry &entry, int column);

void sortEntries(std::vector<FolderEntry> &rows, const EntryOrder &order);

} // namespace bd
