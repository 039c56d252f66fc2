#pragma once

#include "platform/Result.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace bd {

enum class ViewMode { Details = 0, List = 1, Thumbnails = 2 };
enum class PanelMode { Locations = 0, Tree = 1 };
// Where Ctrl+F looks: names in the folder shown, or everything below it.
enum class FindScope { Folder = 0, Below = 1 };

// The details view's columns as remembered. Widths are kept at 96 DPI, so a
// browser opened at another scale shows them as wide, relative to its text,
// as they were left.
struct ColumnLayout
{
    QList<int> widthsAt96; // one per column in the model's order
    int sortColumn = 0;
    bool descending = false;
    bool isEmpty() const { return widthsAt96.isEmpty(); }
};

// What one dialog (one GUID) remembers in the key store.
struct RememberedState
{
    QString folder; // ends in "/" when set
    std::optional<int> filterIndex; // counted from 0, -1 for none
    std::optional<ViewMode> view;
    std::optional<PanelMode> panel;
    ColumnLayout columns;
    std::optional<quint32> audioColumns; // which audio columns are shown, one bit each
    std::optional<FindScope> findScope;
};

// The library's own settings, shared by every dialog.
struct LibrarySettings
{
    bool showHidden = false;
    ViewMode defaultView = ViewMode::Details;
};

// A folder the user added to the left panel's places, under a name of their own.
struct Place
{
    QString name;
    QString folder;
    bool operator==(const Place &other) const = default;
};

// The key store lists more places than the panel takes: none are read.
struct TooManyPlaces
{
    int listed = 0;
};

// Key store access. Every failure reads as "nothing remembered" or is
// ignored: a browser must open even when the key store is unreadable.
class DialogSettings
{
public:
    static QString dialogKey(const QString &guid);

    static RememberedState readState(const QString &guid);
    // "Folder" is written only for an existing folder.
    static void writeState(const QString &guid, const RememberedState &state);

    static LibrarySettings readLibrarySettings();
    static void writeLibrarySettings(const LibrarySettings &settings);

    // Newest first, at most kMaxRecentFolders.
    static QStringList readRecentFolders();
    static void writeRecentFolders(const QStringList &folders);
    static constexpr int kMaxRecentFolders = 12;

    // The user's places, in the panel's order: "Name1"/"Folder1" ... under
    // placesKey(). Entries without a folder are skipped. A store that lists
    // more than kMaxPlaces is refused, and left as it is.
    static platform::Result<QList<Place>, TooManyPlaces> readPlaces();
    static void writePlaces(const QList<Place> &places);
    static QString placesKey();
    // Far more places than a person adds one by one and can find again in a
    // panel: a store that lists more was filled by a script or damaged, and
    // making a row for each would hold up every browser's start.
    static constexpr int kMaxPlaces = 500;
};

// "/music/" for "/music" and "/" for "/": folders are remembered with one
// trailing separator.
QString withTrailingSlash(const QString &folder);

} // namespace bd
