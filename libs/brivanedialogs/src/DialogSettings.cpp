#include "DialogSettings.h"

#include "BrivaneDialogs.h"
#include "platform/IniDocument.h"
#include "platform/KeyStore.h"

#include <QFileInfo>

#include <functional>

namespace bd {

namespace {

const QString kFolder = QStringLiteral("Folder");
const QString kFilterIndex = QStringLiteral("Filter index");
const QString kView = QStringLiteral("View");
const QString kPanel = QStringLiteral("Left panel");
const QString kColumnWidths = QStringLiteral("Column widths");
const QString kSortColumn = QStringLiteral("Sort column");
const QString kSortOrder = QStringLiteral("Sort order");
// Wider than any screen: a larger stored width is damage, not a choice.
constexpr int kWidestColumn = 100000;
const QString kAudioColumns = QStringLiteral("Audio columns");
const QString kFindScope = QStringLiteral("Find scope");

QString libraryKey()
{
    return QStringLiteral("Software\\Tarvex\\Brivane Dialogs\\Settings");
}

QString recentKey()
{
    return QStringLiteral("Software\\Tarvex\\Brivane Dialogs\\Recent folders");
}

// Several values in one rewrite of the key store file; an unreadable store is
// left alone rather than replaced by one holding only our values. A store that
// cannot be written only costs the remembered state: nothing is reported.
void editStore(const std::function<void(platform::IniDocument &)> &edit)
{
    (void)platform::KeyStore().edit(edit);
}

template<typename Enum>
std::optional<Enum> readEnum(const platform::KeyStoreReader &store, const QString &key, const QString &name, int count)
{
    const auto value = store.readDword(key, name);
    if (!value || *value >= quint32(count))
        return std::nullopt;
    return Enum(*value);
}

// "0,80,90,150": every width a whole number from 0 to kWidestColumn, else
// nothing is taken.
QList<int> parseWidths(const QString &text)
{
    QList<int> widths;
    if (text.isEmpty())
        return widths;
    for (const QString &part : text.split(u',')) {
        bool ok = false;
        const int width = part.trimmed().toInt(&ok);
        if (!ok || width < 0 || width > kWidestColumn)
            return {};
        widths.append(width);
    }
    return widths;
}

QString joinWidths(const QList<int> &widths)
{
    QStringList parts;
    for (int width : widths)
        parts.append(QString::number(width));
    return parts.join(u',');
}

} // namespace

QString withTrailingSlash(const QString &folder)
{
    if (folder.isEmpty() || folder.endsWith(u'/'))
        return folder;
    return folder + u'/';
}

QString DialogSettings::dialogKey(const QString &guid)
{
    return QString::fromUtf16(BRIVANEDIALOGS_SETTINGS_KEY_PREFIX) + guid;
}

RememberedState DialogSettings::readState(const QString &guid)
{
    const platform::KeyStoreReader store;
    const QString key = dialogKey(guid);
    RememberedState state;
    state.folder = store.readString(key, kFolder).value_or(QString());
    if (const auto index = store.readDword(key, kFilterIndex))
        state.filterIndex = std::int32_t(*index); // 4294967295 reads back as -1
    state.view = readEnum<ViewMode>(store, key, kView, 3);
    state.panel = readEnum<PanelMode>(store, key, kPanel, 2);
    state.columns.widthsAt96 = parseWidths(store.readString(key, kColumnWidths).value_or(QString()));
    if (!state.columns.isEmpty()) {
        state.columns.sortColumn = int(store.readDword(key, kSortColumn).value_or(0));
        state.columns.descending = store.readDword(key, kSortOrder).value_or(0) == 1;
    }
    state.audioColumns = store.readDword(key, kAudioColumns);
    state.findScope = readEnum<FindScope>(store, key, kFindScope, 2);
    return state;
}

void DialogSettings::writeState(const QString &guid, const RememberedState &state)
{
    const QString key = dialogKey(guid);
    // A folder whose name holds a line break cannot be stored as it is, and a
    // flattened name would lead somewhere else: the last folder that could be
    // stored stays remembered.
    const bool folderExists
        = !state.folder.isEmpty() && !platform::holdsLineBreak(state.folder) && QFileInfo(state.folder).isDir();
    editStore([&](platform::IniDocument &doc) {
        doc.addSection(key);
        if (folderExists)
            doc.setValue(key, kFolder, withTrailingSlash(state.folder));
        doc.setValue(key, kFilterIndex, QString::number(quint32(state.filterIndex.value_or(-1))));
        if (state.view)
            doc.setValue(key, kView, QString::number(int(*state.view)));
        if (state.panel)
            doc.setValue(key, kPanel, QString::number(int(*state.panel)));
        if (!state.columns.isEmpty()) {
            doc.setValue(key, kColumnWidths, joinWidths(state.columns.widthsAt96));
            doc.setValue(key, kSortColumn, QString::number(state.columns.sortColumn));
            doc.setValue(key, kSortOrder, state.columns.descending ? QStringLiteral("1") : QStringLiteral("0"));
        }
        if (state.audioColumns)
            doc.setValue(key, kAudioColumns, QString::number(*state.audioColumns));
        if (state.findScope)
            doc.setValue(key, kFindScope, QString::number(int(*state.findScope)));
    });
}

LibrarySettings DialogSettings::readLibrarySettings()
{
    const platform::KeyStoreReader store;
    LibrarySettings settings;
    settings.showHidden = store.readDword(libraryKey(), QStringLiteral("Show hidden files")).value_or(0) != 0;
    settings.defaultView
        = readEnum<ViewMode>(store, libraryKey(), QStringLiteral("Default view"), 3).value_or(ViewMode::Details);
    return settings;
}

void DialogSettings::writeLibrarySettings(const LibrarySettings &settings)
{
    editStore([&](platform::IniDocument &doc) {
        doc.setValue(libraryKey(), QStringLiteral("Show hidden files"),
            settings.showHidden ? QStringLiteral("1") : QStringLiteral("0"));
        doc.setValue(libraryKey(), QStringLiteral("Default view"), QString::number(int(settings.defaultView)));
    });
}

QStringList DialogSettings::readRecentFolders()
{
    const platform::KeyStoreReader store;
    QStringList folders;
    for (int i = 1; i <= kMaxRecentFolders; ++i) {
        const auto folder = store.readString(recentKey(), QStringLiteral("Folder%1").arg(i));
        if (folder && !folder->isEmpty() && !folders.contains(*folder))
            folders.append(*folder);
    }
    return folders;
}

void DialogSettings::writeRecentFolders(const QStringList &folders)
{
    QStringList storable;
    for (const QString &folder : folders) {
        if (!platform::holdsLineBreak(folder))
            storable.append(folder);
    }
    editStore([&](platform::IniDocument &doc) {
        for (int i = 1; i <= kMaxRecentFolders; ++i) {
            const QString name = QStringLiteral("Folder%1").arg(i);
            if (i <= storable.size())
                doc.setValue(recentKey(), name, storable.at(i - 1));
            else
                doc.removeKey(recentKey(), name);
        }
    });
}

QString DialogSettings::placesKey()
{
    return QStringLiteral("Software\\Tarvex\\Brivane Dialogs\\Places");
}

platform::Result<QList<Place>, TooManyPlaces> DialogSettings::readPlaces()
{
    const platform::KeyStoreReader store;
    const QString key = placesKey();
    const auto folderName = [](int number) { return QStringLiteral("Folder%1").arg(number); };
    // Numbered from 1 without gaps, as written below.
    if (store.readString(key, folderName(kMaxPlaces + 1))) {
        int listed = kMaxPlaces + 1;
        while (store.readString(key, folderName(listed + 1)))
            ++listed;
        return platform::Result<QList<Place>, TooManyPlaces>::failure({ listed });
    }
    QList<Place> places;
    for (int i = 1;; ++i) {
        const auto folder = store.readString(key, folderName(i));
        if (!folder)
            break;
        if (folder->isEmpty())
            continue;
        const QString name = store.readString(key, QStringLiteral("Name%1").arg(i)).value_or(QString());
        places.append({ name.isEmpty() ? *folder : name, *folder });
    }
    return places;
}

void DialogSettings::writePlaces(const QList<Place> &places)
{
    editStore([&](platform::IniDocument &doc) {
        // Rewritten whole, so a removed place leaves nothing behind.
        doc.removeSection(placesKey());
        doc.addSection(placesKey());
        // A folder whose name holds a line break cannot be stored as it is;
        // numbering stays without gaps.
        int number = 0;
        for (const Place &place : places) {
            if (platform::holdsLineBreak(place.folder))
                continue;
            ++number;
            doc.setValue(placesKey(), QStringLiteral("Name%1").arg(number), place.name);
            doc.setValue(placesKey(), QStringLiteral("Folder%1").arg(number), place.folder);
        }
    });
}

} // namespace bd
