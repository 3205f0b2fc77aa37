// File names as the walk reads them from the disk, and their shown form in the history view and the log.
// Input: the name's bytes.

#include "fuzz_input.h"

#include "core/paths.h"

#include <string>

using namespace tarnwick;
using namespace tarnwick::fuzz;

namespace {

bool InRange(unsigned char byte, unsigned char low, unsigned char high)
{
    return byte >= low && byte <= high;
}

// The well-formed UTF-8 byte sequences as the Unicode standard tables them (no overlong forms, no surrogates,
// nothing past U+10FFFF), and in them a control character: C0, DEL or C1 (U+0080 to U+009F, C2 80 to C2 9F).
bool ExpectedControl(std::string_view name)
{
    const auto at = [&](std::size_t i) { return i < name.size() ? static_cast<unsigned char>(name[i]) : 0; };
    for (std::size_t i = 0; i < name.size();) {
        const unsigned char lead = at(i);
        std::size_t length = 0;
        bool formed = false;
        if (lead <= 0x7F) {
            if (lead < 0x20 || lead == 0x7F)
                return true;
            length = 1;
            formed = true;
        } else if (InRange(lead, 0xC2, 0xDF)) {
            length = 2;
            formed = InRange(at(i + 1), 0x80, 0xBF);
            if (formed && lead == 0xC2 && at(i + 1) <= 0x9F)
                return true;
        } else if (lead == 0xE0) {
            length = 3;
            formed = InRange(at(i + 1), 0xA0, 0xBF) && InRange(at(i + 2), 0x80, 0xBF);
        } else if (InRange(lead, 0xE1, 0xEC) || InRange(lead, 0xEE, 0xEF)) {
            length = 3;
            formed = InRange(at(i + 1), 0x80, 0xBF) && InRange(at(i + 2), 0x80, 0xBF);
        } else if (lead == 0xED) {
            length = 3;
            formed = InRange(at(i + 1), 0x80, 0x9F) && InRange(at(i + 2), 0x80, 0xBF);
        } else if (lead == 0xF0) {
            length = 4;
            formed = InRange(at(i + 1), 0x90, 0xBF) && InRange(at(i + 2), 0x80, 0xBF) && InRange(at(i + 3), 0x80, 0xBF);
        } else if (InRange(lead, 0xF1, 0xF3)) {
            length = 4;
            formed = InRange(at(i + 1), 0x80, 0xBF) && InRange(at(i + 2), 0x80, 0xBF) && InRange(at(i + 3), 0x80, 0xBF);
        } else if (lead == 0xF4) {
            length = 4;
            formed = InRange(at(i + 1), 0x80, 0x8F) && InRange(at(i + 2), 0x80, 0xBF) && InRange(at(i + 3), 0x80, 0xBF);
        }
        // a byte past the end reads as 0 above, which no continuation accepts
        if (!formed)
            return true;
        i += length;
    }
    return false;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Reads a shown path back as a reader of the log would: \\, \n, \t, \r and \xNN are escapes; any other backslash
// stands for itself.
std::string ReadBack(std::string_view shown)
{
    std::string name;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] != '\\' || i + 1 == shown.size()) {
            name += shown[i];
            continue;
        }
        const char next = shown[i + 1];
        if (next == '\\' || next == 'n' || next == 't' || next == 'r') {
            name += next == 'n' ? '\n' : next == 't' ? '\t' : next == 'r' ? '\r' : '\\';
            ++i;
        } else if (next == 'x' && i + 3 < shown.size() && HexValue(shown[i + 2]) >= 0 && HexValue(shown[i + 3]) >= 0) {
            name += static_cast<char>(HexValue(shown[i + 2]) * 16 + HexValue(shown[i + 3]));
            i += 3;
        } else {
            name += '\\';
        }
    }
    return name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view name = AsText(data, size);
    const bool unsafe = HasUnsafeChars(name);
    Require(unsafe == ExpectedControl(name), "a control character or bytes that are not UTF-8, and nothing else",
            Escaped(name));

    // The shown form can be shown as it is and can never end a line (nor hold U+2028 or U+2029, which end one in
    // some viewers), so no name forges a log line; a name that needs nothing stays as it is; and reading it back
    // gives the name, so two different names never show alike.
    const std::string shown = ShownPath(name);
    Require(!HasUnsafeChars(shown), "the shown form holds nothing unsafe", Escaped(name));
    Require(shown.find_first_of("\r\n") == std::string::npos, "the shown form holds no line end", Escaped(name));
    Require(shown.find("\xE2\x80\xA8") == std::string::npos && shown.find("\xE2\x80\xA9") == std::string::npos,
            "the shown form holds no line or paragraph separator", Escaped(name));
    const bool separatorOfLines =
        name.find("\xE2\x80\xA8") != std::string_view::npos || name.find("\xE2\x80\xA9") != std::string_view::npos;
    if (!unsafe && !separatorOfLines && name.find('\\') == std::string_view::npos)
        Require(shown == name, "a plain name is shown as it is", Escaped(name));
    Require(ReadBack(shown) == name, "the shown form reads back to the name", Escaped(name));
    return 0;
}
