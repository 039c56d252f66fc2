#include "FolderEntry.h"

#include <QLocale>

#include <algorithm>
#include <cstdint>

namespace bd {

namespace {

int compareNames(const FolderEntry &a, const FolderEntry &b)
{
    if (a.nameRank >= 0 && b.nameRank >= 0)
        return a.nameRank < b.nameRank ? -1 : (a.nameRank > b.nameRank ? 1 : 0);
    if (a.sortKey && b.sortKey) {
        if (const int c = a.sortKey->compare(*b.sortKey))
            return c;
    }
    return QString::compare(a.name, b.name, Qt::CaseSensitive);
}

template<typename T> int threeWay(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

QCollator nameCollator()
{
    // The C locale turns the collator into a plain code-point comparison,
    // which sorts "track10" before "track2"; fall back to a real language.
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

QStringView baseNameOf(const QString &name)
{
    return QStringView(name).mid(name.lastIndexOf(u'/') + 1);
}

QStringView folderPartOf(const QString &name)
{
    const qsizetype slash = name.lastIndexOf(u'/');
    return slash < 0 ? QStringView() : QStringView(name).left(slash);
}

QStringView suffixOfName(const QString &name)
{
    // A dot that starts the name ("…/.hidden") makes no extension.
    const QStringView base = baseNameOf(name);
    const qsizetype dot = base.lastIndexOf(u'.');
    return dot > 0 ? base.mid(dot + 1) : QStringView();
}

std::int32_t audioValue(const FolderEntry &entry, int column)
{
    switch (AudioColumn(column)) {
    case AudioColumn::Duration:
        return entry.audio.durationMs;
    case AudioColumn::SampleRate:
        return entry.audio.sampleRate;
    case AudioColumn::BitDepth:
        return entry.audio.bitDepth;
    case AudioColumn::Channels:
        return entry.audio.channels;
    case AudioColumn::BitRate:
        return entry.audio.bitRate;
    }
    return -1;
}

bool EntryOrder::operator()(const FolderEntry &a, const FolderEntry &b) const
{
    if (a.isDir != b.isDir)
        return a.isDir;
    int c = 0;
    if (isAudioColumn(column)) {
        const std::int32_t x = audioValue(a, column);
        const std::int32_t y = audioValue(b, column);
        // Unknown values are not small values: they wait at the end.
        if ((x < 0) != (y < 0))
            return x >= 0;
        c = threeWay(x, y);
    }
    switch (column) {
    case 1:
        c = threeWay(a.size, b.size);
        break;
    case 2:
        if (!a.isDir)
            c = suffixOfName(a.name).compare(suffixOfName(b.name), Qt::CaseInsensitive);
        break;
    case 3:
        c = threeWay(a.modified, b.modified);
        break;
    case kFolderColumn:
        c = folderPartOf(a.name).compare(folderPartOf(b.name), Qt::CaseInsensitive);
        break;
    default:
        break;
    }
    if (c == 0)
        c = compareNames(a, b);
    return order == Qt::AscendingOrder ? c < 0 : c > 0;
}

void sortEntries(std::vector<FolderEntry> &rows, const EntryOrder &order)
{
    std::vector<std::uint32_t> positions(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        positions[i] = std::uint32_t(i);
    std::sort(
        positions.begin(), positions.end(), [&](std::uint32_t a, std::uint32_t b) { return order(rows[a], rows[b]); });
    std::vector<FolderEntry> sorted;
    sorted.reserve(rows.size());
    for (std::uint32_t position : positions)
        sorted.push_back(std::move(rows[position]));
    rows = std::move(sorted);
}

} // namespace bd
