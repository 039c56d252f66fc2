#pragma once

#include "platform/Result.h"

#include <QString>

namespace platform {

// The read buffer of the private-profile read holds 2048 characters with the
// terminating zero, so this is the most a read returns.
inline constexpr int kProfileStringMaxLength = 2047;

// Reads one value from an INI file; the default when the path is empty, the
// file is missing or unreadable, or the section or key is absent.
QString readProfileString(const QString &path, const QString &section, const QString &key, const QString &defaultValue);

// Writes one value, creating the file (UTF-16LE with a byte-order mark) and
// the section when needed. The file is replaced atomically; a failure with
// the reason when the path is empty, the file is unreadable or read-only,
// the name cannot be stored, or the disk refuses the write.
Result<> writeProfileString(const QString &path, const QString &section, const QString &key, const QString &value);

Result<> deleteProfileKey(const QString &path, const QString &section, const QString &key);

// Integers are stored as decimal text and read back by this rule: longer than
// two characters and starting with "0x" in any case means hexadecimal (32 bits,
// wrapping like a DWORD), otherwise a signed decimal; anything else, or a number
// outside 32 bits, gives the default.
int parseProfileInteger(const QString &text, int defaultValue);

} // namespace platform
