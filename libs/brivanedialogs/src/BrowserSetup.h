#pragma once

#include "BrowserWidget.h"
#include "DialogRequest.h"
#include "DialogSettings.h"

namespace bd {

// The browser's configuration from the caller's record, what the dialog
// remembers and the library's own settings.
BrowserConfig browserConfig(
    const DialogRequest &request, const RememberedState &remembered, const LibrarySettings &library);

// InitialDir, else the remembered folder, else the home folder; a folder that
// no longer exists gives way to its nearest existing parent.
QString initialFolder(const DialogRequest &request, const RememberedState &remembered);

// The entry of folder to focus first: the request's file name when it names
// something in that folder (as a bare name or a full path), else empty.
QString initialFocusName(const DialogRequest &request, const QString &folder);

// The library's font: the host's family at a pixel size, so the host's DPI
// choice and not the screen's decides how large it is.
QFont scaledFont(const QFont &base, const UiScale &scale);

} // namespace bd
