// File names as the walk reads them from the disk: any bytes but the separator and NUL.
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view name = AsText(data, size);
    const bool control = HasControlChars(name);
    Require(control == ExpectedControl(name), "a control character or bytes that are not UTF-8, and nothing else",
            Escaped(name));
    const bool questionMark = name.find('?') != std::string_view::npos;
    Require(HasUnsafeChars(name) == (control || questionMark), "unsafe: the same, or a question mark", Escaped(name));

    // ShownPath, the escaped form of a path for the history view and the log, is being added to core/paths.h.
    // Once it is there, check here: ShownPath(name) has no control character and is valid UTF-8 (HasControlChars
    // is false), holds no line end (nor U+2028 / U+2029), equals the name when nothing needs escaping, and two
    // different names never show alike.
    return 0;
}
