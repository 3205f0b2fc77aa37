#include "paths.h"

namespace tarnwick {

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

bool isControl(long code)
{
    return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

bool isPlain(unsigned char c)
{
    return c >= 0x20 && c < 0x7F && c != '\\';
}

void appendByteEscape(std::string &shown, unsigned char byte)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    shown += "\\x";
    shown += digits[byte >> 4];
    shown += digits[byte & 0xF];
}

#ifndef _WIN32
bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Whether the shown text of path[i...] begins with something a reader would take for an escape after a backslash.
bool readsAsEscape(std::string_view path, std::size_t i)
{
    if (i >= path.size())
        return false;
    const auto c = static_cast<unsigned char>(path[i]);
    if (c == '\\' || c == 'n' || c == 't' || c == 'r')
        return true;
    if (c == 'x')
        return i + 2 < path.size() && isHexDigit(path[i + 1]) && isHexDigit(path[i + 2]);
    if (c >= 0x20 && c < 0x7F)
        return false;
    // a control character or a byte that is escaped: its shown form begins with a backslash
    std::size_t next = i;
    const long code = nextCodePoint(path, next);
    return code < 0 || isControl(code) || code == 0x2028 || code == 0x2029;
}
#endif

} // namespace

bool HasUnsafeChars(std::string_view name)
{
    for (std::size_t i = 0; i < name.size();) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c >= 0x20 && c < 0x7F) {
            ++i;
            continue;
        }
        const long code = nextCodePoint(name, i);
        if (code < 0 || isControl(code))
            return true;
    }
    return false;
}

std::string ShownPath(std::string_view path)
{
    std::size_t plain = 0;
    while (plain < path.size() && isPlain(static_cast<unsigned char>(path[plain])))
        ++plain;
    if (plain == path.size())
        return std::string(path);

    std::string shown;
    shown.reserve(path.size() + 16);
    shown.append(path.substr(0, plain));
    for (std::size_t i = plain; i < path.size();) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (isPlain(c)) {
            shown += static_cast<char>(c);
            ++i;
            continue;
        }
        if (c == '\\') {
#ifndef _WIN32
            if (readsAsEscape(path, i + 1))
                shown += '\\';
#endif
            shown += '\\';
            ++i;
            continue;
        }
        const std::size_t start = i;
        const long code = nextCodePoint(path, i);
        if (code < 0) {
            appendByteEscape(shown, c);
            i = start + 1;
        } else if (code == '\n') {
            shown += "\\n";
        } else if (code == '\t') {
            shown += "\\t";
        } else if (code == '\r') {
            shown += "\\r";
        } else if (isControl(code) || code == 0x2028 || code == 0x2029) {
            // U+2028 and U+2029 end a line in some viewers
            for (std::size_t k = start; k < i; ++k)
                appendByteEscape(shown, static_cast<unsigned char>(path[k]));
        } else {
            shown.append(path.substr(start, i - start));
        }
    }
    return shown;
}

} // namespace tarnwick
