#pragma once

#include <QIcon>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

// The icon a Linux desktop shows for an application file, found the way menus
// and launchers find it: a .desktop file names its icon; an executable gets
// the icon of the .desktop entry in the XDG application folders whose Exec or
// TryExec starts it, else the theme icon named after the executable, else none.

// The values of a .desktop file's [Desktop Entry] group that matter here.
struct DesktopEntry
{
    QString name;
    QString icon;
    QString exec;
    QString tryExec;
    QString path; // working folder of the started program; empty: inherited
    bool terminal = false;
    bool hidden = false;
    bool valid = false;
};

DesktopEntry ReadDesktopEntry(const QString &path);

// Splits a desktop entry's Exec value into its arguments: blanks separate,
// double quotes group, and inside quotes a backslash keeps the next
// character. Field codes (%f, %U, ...) are left in place.
QStringList SplitDesktopExec(const QString &exec);

// The .desktop file in the XDG application folders whose Exec or TryExec
// names the executable at path (by absolute path or through PATH, symbolic
// links resolved); empty when none does. Earlier folders win, and an entry
// hides entries of the same id in later folders.
QString FindDesktopEntryForExecutable(const QString &path);

// What a desktop calls an application file: a desktop entry's Name ("Sound
// Editor", not the file's "sound-editor"), else the file's name without its
// extension.
QString ApplicationDisplayName(const QString &path);

// The theme's generic picture of a program, shown for an executable or an
// entry that names no icon of its own.
extern const QString GenericApplicationIconName;

// The icon name (a theme name or an absolute file path) for an application
// file; empty when it has none or the file does not exist. An executable
// without an icon of its own gets the generic one when the theme has it.
QString ApplicationIconName(const QString &path);

// The application's icon; null when it has none.
QIcon ApplicationIcon(const QString &path);

// The application's icon drawn at size (straight-alpha ARGB32); the theme may
// only have a smaller picture, which is returned as it is. Null when none.
QImage ApplicationIconImage(const QString &path, QSize size);
