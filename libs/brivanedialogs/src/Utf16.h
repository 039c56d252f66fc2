#pragma once

#include <QString>

#include <cstddef>

namespace bd {

// A zero-terminated UTF-16 text of the C interface; null reads as empty.
inline QString fromUtf16(const char16_t *text)
{
    if (!text)
        return {};
    std::size_t length = 0;
    while (text[length] != 0)
        ++length;
    return QString::fromUtf16(text, qsizetype(length));
}

// A new zero-terminated copy the caller frees with delete[].
inline char16_t *newUtf16(const QString &text)
{
    auto *copy = new char16_t[std::size_t(text.size()) + 1];
    std::copy_n(reinterpret_cast<const char16_t *>(text.utf16()), text.size(), copy);
    copy[text.size()] = 0;
    return copy;
}

} // namespace bd
