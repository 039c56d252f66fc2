#pragma once

#include <optional>
#include <string>

namespace bass {

// A null-terminated UTF-16 text (BASS_UNICODE) as UTF-8; nothing when it
// holds a lone surrogate, which names no file.
std::optional<std::string> utf16ToUtf8(const char16_t *text);

// The path argument of the file calls: UTF-16 with BASS_UNICODE, else UTF-8.
std::optional<std::string> pathArgument(const void *file, bool unicode);

} // namespace bass
