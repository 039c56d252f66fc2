#include "BrowserSetup.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>

namespace bd {

namespace {

constexpr int kFontPixelsAt96 = 12;

} // namespace

BrowserConfig browserConfig(
    const DialogRequest &request, const RememberedState &remembered, const LibrarySettings &library)
{
    BrowserConfig config;
    config.title = request.title;
    config.filters = request.filters;
    const int count = int(request.filters.size());
    if (remembered.filterIndex && *remembered.filterIndex >= 0 && *remembered.filterIndex < count)
        config.filterIndex = *remembered.filterIndex;
    else if (request.params && request.params->FilterIndex >= 0 && request.params->FilterIndex < count)
        config.filterIndex = request.params->FilterIndex;
    else
        config.filterIndex = 0;
    config.foldersOnly = request.type == bvdtFolderDialog;
    config.multiSelect = request.has(ofAllowMultiSelect) && !config.foldersOnly;
    config.showFilter = !request.hasEx(ofExNoFilter) && !request.hasEx(ofExNoPathAndFilter);
    config.showPanel = !request.hasEx(ofExNoTreeViewAndToolBar);
    config.showHidden = library.showHidden || request.has(ofForceShowHidden);
    config.scale = request.scale;
    config.thumbnailSize = request.thumbnailSize;
    config.view = remembered.view.value_or(library.defaultView);
    config.panel = remembered.panel.value_or(PanelMode::Locations);
    config.recentFolders = DialogSettings::readRecentFolders();
    config.columns = remembered.columns;
    if (remembered.audioColumns)
        config.audioColumns = *remembered.audioColumns;
    config.findScope = remembered.findScope.value_or(FindScope::Folder);
    return config;
}

QString initialFolder(const DialogRequest &request, const RememberedState &remembered)
{
    for (const QString &candidate : { request.initialDir, remembered.folder }) {
        if (candidate.isEmpty())
            continue;
        // Falling all the way back to the root says little about what the
        // user wanted; the next candidate is a better guess.
        const QString folder = nearestExistingFolder(candidate);
        const bool askedForRoot = QDir::cleanPath(candidate) == u"/";
        if (!folder.isEmpty() && (folder != u"/" || askedForRoot))
            return folder;
    }
    return QDir::homePath();
}

QString initialFocusName(const DialogRequest &request, const QString &folder)
{
    if (request.fileName.isEmpty())
        return {};
    const QFileInfo named(QDir(folder).filePath(request.fileName));
    if (QDir::cleanPath(named.absolutePath()) != QDir::cleanPath(folder))
        return {};
    return named.fileName();
}

QFont scaledFont(const QFont &base, const UiScale &scale)
{
    QFont font = base;
    font.setPixelSize(scale.px(kFontPixelsAt96));
    return font;
}

} // namespace bd
