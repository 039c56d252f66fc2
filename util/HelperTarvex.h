#pragma once

#include "platform/Result.h"

#include <QString>

// Creates the settings file as a UTF-16LE byte-order mark only, so later
// writes store UTF-16 text. True when it made the file, false when a file
// was already there; a failure "Cannot create file "%s". %s" when the file
// cannot be made.
platform::Result<bool> CreateUnicodeIniFile(const QString &path);

// The file-name part of a path without its last extension:
// "/opt/my.editor.bin" gives "my.editor", ".exe" gives "".
QString ExtractFileNameWithoutExt(const QString &path);
