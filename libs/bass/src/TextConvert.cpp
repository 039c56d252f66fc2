#include "TextConvert.h"

namespace bass {

std::optional<std::string> utf16ToUtf8(const char16_t *text)
{
    std::string out;
    for (const char16_t *p = text; *p; ++p) {
        char32_t code = *p;
        if (code >= 0xD800 && code <= 0xDBFF) {
            const char32_t low = p[1];
            if (low < 0xDC00 || low > 0xDFFF)
                return std::nullopt;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            ++p;
        } else if (code >= 0xDC00 && code <= 0xDFFF) {
            return std::nullopt;
        }
        if (code < 0x80) {
            out += char(code);
        } else if (code < 0x800) {
            out += char(0xC0 | (code >> 6));
            out += char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += char(0xE0 | (code >> 12));
            out += char(0x80 | ((code >> 6) & 0x3F));
            out += char(0x80 | (code & 0x3F));
        } else {
            out += char(0xF0 | (code >> 18));
            out += char(0x80 | ((code >> 12) & 0x3F));
            out += char(0x80 | ((code >> 6) & 0x3F));
            out += char(0x80 | (code & 0x3F));
        }
    }
    return out;
}

std::optional<std::string> pathArgument(const void *file, bool unicode)
{
    if (!file)
        return std::nullopt;
    if (unicode)
        return utf16ToUtf8(static_cast<const char16_t *>(file));
    return std::string(static_cast<const char *>(file));
}

} // namespace bass
