#pragma once

#include <QString>
#include <QStringList>

// Audio files made with ffmpeg once per build folder, and a sound file that
// Debian ships, for reads through the real library.
QString mp3WithCover(); // non-ASCII name, tags with colons, JPEG cover
QString flacWithCover(); // PNG cover, same tags
QString m4aWithCover(); // JPEG cover, same tags
QString m4aWithChapters(); // two chapters, one title with a colon
QString flacWithCustomTag(); // the tag "MY:KEY" with a colon in its value too
QString debianSound();

// The text form the program makes of a file, read through the library.
QStringList programTextForm(const QString &file);
