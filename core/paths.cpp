#include "paths.h"

namespace tarnwick {

std::string_view FileNameOf(std::string_view path)
{
    const std::size_t last = path.rfind(kSeparator);
    return last == std::string_view::npos ? path : path.substr(last + 1);
}

std::string WithTrailingSeparator(std::string path)
{
#ifdef _WIN32
    // Windows also takes a forward slash as a separator: "C:/W/" already ends with one
    if (!path.empty() && path.back() == '/')
        return path;
#endif
    if (path.empty() || path.back() != kSeparator)
        path.push_back(kSeparator);
    return path;
}

namespace {

// Decodes one UTF-8 sequence starting at text[i]; returns its code point and advances i, or -1 when the bytes
// are not valid UTF-8 (overlong forms and surrogates included).
long nextCodePoint(std::string_view text, std::size_t &i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    int length = 0;
    long code = 0;
    long minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        code = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        code = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        code = lead & 0x07;
        minimum = 0x10000;
    } else {
        return -1;
    }
    if (i + static_cast<std::size_t>(length) > text.size())
        return -1;
    for (int k = 1; k < length; ++k) {
        const unsigned char next = byte(i + static_cast<std::size_t>(k));
        if ((next & 0xC0) != 0x80)
            return -1;
        code = (code << 6) | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return -1;
    i += static_cast<std::size_t>(length);
    return code;
}

bool hasUnsafe(std::string_view name, bool questionMarkUnsafe)
{
    for (std::size_t i = 0; i < name.size();) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c >= 0x20 && c < 0x7F) {
            // the common case: plain printable ASCII
            if (c == '?' && questionMarkUnsafe)
                return true;
            ++i;
            continue;
        }
        const long code = nextCodePoint(name, i);
        if (code < 0 || code < 32 || (code >= 127 && code <= 159))
            return true;
    }
    return false;
}

} // namespace

bool HasUnsafeChars(std::string_view name)
{
    return hasUnsafe(name, true);
}

bool HasControlChars(std::string_view name)
{
    return hasUnsafe(name, false);
}

} // namespace tarnwick
