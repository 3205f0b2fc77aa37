#include "core/paths.h"

#include <gtest/gtest.h>

#include <random>

namespace tarnwick {
namespace {

TEST(UnsafeChars, FlagsControlCharactersAndBrokenText)
{
    struct Case {
        const char *name;
        bool unsafe;
    };
    const Case cases[] = {
        {"report.txt", false},   {"", false},          {"tab\there", true},
        {"what?", false},        {"del\x7f", true},    {"c1\xc2\x9f", true},
        {"caf\xc3\xa9", false},  {"broken\xc3", true}, {"overlong\xc0\xaf", true},
        {"\xe6\x96\x87", false}, {"nl\nname", true},   {"surrogate\xed\xa0\x80", true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(HasUnsafeChars(c.name), c.unsafe) << c.name;
}

#ifndef _WIN32
// Reads a shown path back: proof that two different paths never show the same.
std::string unshown(std::string_view shown)
{
    auto hex = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
    auto isHex = [](char c) { return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f'); };
    std::string path;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] != '\\' || i + 1 == shown.size()) {
            path += shown[i];
            continue;
        }
        const char next = shown[i + 1];
        if (next == '\\' || next == 'n' || next == 't' || next == 'r') {
            path += next == '\\' ? '\\' : next == 'n' ? '\n' : next == 't' ? '\t' : '\r';
            ++i;
        } else if (next == 'x' && i + 3 < shown.size() && isHex(shown[i + 2]) && isHex(shown[i + 3])) {
            path += static_cast<char>(hex(shown[i + 2]) * 16 + hex(shown[i + 3]));
            i += 3;
        } else {
            path += '\\';
        }
    }
    return path;
}

TEST(ShownPath, EscapesWhatCannotBeShownAsItIs)
{
    struct Case {
        std::string path;
        std::string shown;
    };
    const Case cases[] = {
        {"/w/report.txt", "/w/report.txt"},
        {"/w/caf\xc3\xa9 \xe6\x96\x87.txt", "/w/caf\xc3\xa9 \xe6\x96\x87.txt"},
        {"/w/what?.txt", "/w/what?.txt"},
        {"/w/a\nb", "/w/a\\nb"},
        {"/w/a\tb\r", "/w/a\\tb\\r"},
        {std::string("/w/nul\0x", 8), "/w/nul\\x00x"},
        {"/w/\x1b[31mred", "/w/\\x1B[31mred"},
        {"/w/del\x7f", "/w/del\\x7F"},
        {"/w/c1\xc2\x85", "/w/c1\\xC2\\x85"},
        {"/w/line\xe2\x80\xa8sep", "/w/line\\xE2\\x80\\xA8sep"},
        {"/w/para\xe2\x80\xa9sep", "/w/para\\xE2\\x80\\xA9sep"},
        {"/w/latin1 \xe9t\xe9", "/w/latin1 \\xE9t\\xE9"},
        {"/w/cut\xe6\x96", "/w/cut\\xE6\\x96"},
        {"/w/overlong\xc0\xaf", "/w/overlong\\xC0\\xAF"},
        {"/w/surrogate\xed\xa0\x80", "/w/surrogate\\xED\\xA0\\x80"},
        // a backslash stays single unless what follows would read as an escape
        {"/w/a\\b", "/w/a\\b"},
        {"/w/a\\", "/w/a\\"},
        {"/w/\\n", "/w/\\\\n"},
        {"/w/\\x41", "/w/\\\\x41"},
        {"/w/\\xg1", "/w/\\xg1"},
        {"/w/\\\\", "/w/\\\\\\"},
        {"/w/\\\n", "/w/\\\\\\n"},
        {"/w/\\\xff", "/w/\\\\\\xFF"},
        {"/w/\\t", "/w/\\\\t"},
        {"/w/\\r", "/w/\\\\r"},
        {"/w/\\\t", "/w/\\\\\\t"},
        {"/w/\\\r", "/w/\\\\\\r"},
        {"/w/\\\xe2\x80\xa9", "/w/\\\\\\xE2\\x80\\xA9"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ShownPath(c.path), c.shown) << c.shown;
        EXPECT_EQ(unshown(c.shown), c.path) << c.shown;
    }
}

TEST(ShownPath, CanBeReadBackAndHoldsNoControlCharacter)
{
    std::mt19937 random(26);
    const std::string pieces[] = {
        "a",    "n",    "t",    "r",        "x",    "4", "F", "\\", "\n",           "\t",           "\r",      "\x01",
        "\x7f", "\xc3", "\xa9", "\xc3\xa9", "\xff", "/", " ", "?",  "\xe2\x80\xa8", "\xe2\x80\xa9", "\xc2\x85"};
    for (int round = 0; round < 20000; ++round) {
        std::string path;
        const int length = static_cast<int>(random() % 8);
        for (int k = 0; k < length; ++k)
            path += pieces[random() % std::size(pieces)];
        const std::string shown = ShownPath(path);
        ASSERT_EQ(unshown(shown), path) << shown;
        ASSERT_FALSE(HasUnsafeChars(shown)) << shown;
        ASSERT_EQ(shown.find("\xe2\x80\xa8"), std::string::npos) << shown;
        ASSERT_EQ(shown.find("\xe2\x80\xa9"), std::string::npos) << shown;
    }
}
#else
TEST(ShownPath, KeepsTheSeparatorSingle)
{
    EXPECT_EQ(ShownPath("C:\\W\\new.txt"), "C:\\W\\new.txt");
    EXPECT_EQ(ShownPath("C:\\W\\a\nb"), "C:\\W\\a\\nb");
    EXPECT_EQ(ShownPath("C:\\W\\lone\xed\xa0\x80"), "C:\\W\\lone\\xED\\xA0\\x80");
}
#endif

} // namespace
} // namespace tarnwick
