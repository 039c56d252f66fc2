#pragma once

#include <QString>
#include <QStringList>

// Where the browser opens when the program is started with files, from a
// file manager's "Open with" or the command line.
struct StartupLocation
{
    QString folder; // empty: the browser's remembered folder
    QString file; // full path of the entry to focus, empty for none
    QString missing; // full path of the first one passed that names nothing
};

// The first argument that names an existing file or folder decides: a file
// opens its folder with the file focused, a folder opens itself. Arguments
// may be paths (relative ones against currentFolder) or file:// URLs; the
// rest is passed over, options (starting with "-") in silence, and the first
// path that names nothing is kept to be told to the user.
StartupLocation StartupLocationFromArguments(const QStringList &arguments, const QString &currentFolder);
