#pragma once

// What every fuzz target shares: the input read as lines (so the seed corpus stays readable text) and the check
// that turns a broken property into a crash libFuzzer records.

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::fuzz {

// Ends the run with the property that failed and the values that broke it; libFuzzer then saves the input.
[[noreturn]] inline void Fail(std::string_view what, std::string_view detail)
{
    std::fprintf(stderr, "\nProperty broken: %.*s\n%.*s\n", static_cast<int>(what.size()), what.data(),
                 static_cast<int>(detail.size()), detail.data());
    std::abort();
}

inline void Require(bool holds, std::string_view what, std::string_view detail = {})
{
    if (!holds)
        Fail(what, detail);
}

// Bytes shown with C escapes, for failure messages.
inline std::string Escaped(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += c;
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            out += hex;
        }
    }
    return out + '"';
}

inline std::string_view AsText(const std::uint8_t *data, std::size_t size)
{
    return {reinterpret_cast<const char *>(data), size};
}

// The input split at line feeds; a line past the end is empty.
class Lines
{
public:
    explicit Lines(std::string_view text)
    {
        for (;;) {
            const std::size_t end = text.find('\n');
            m_lines.push_back(text.substr(0, end));
            if (end == std::string_view::npos)
                break;
            text.remove_prefix(end + 1);
        }
    }

    std::size_t size() const { return m_lines.size(); }
    std::string_view operator[](std::size_t i) const { return i < m_lines.size() ? m_lines[i] : std::string_view {}; }
    bool has(std::size_t i) const { return i < m_lines.size(); }

    // Whole numbers separated by blanks; a missing or unreadable one is 0.
    std::vector<std::int64_t> numbers(std::size_t i, std::size_t count) const
    {
        std::vector<std::int64_t> values(count, 0);
        std::string_view text = (*this)[i];
        for (std::int64_t &value : values) {
            while (!text.empty() && text.front() == ' ')
                text.remove_prefix(1);
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
            if (error != std::errc())
                value = 0;
            const std::size_t blank = text.find(' ');
            text.remove_prefix(blank == std::string_view::npos ? text.size() : blank);
        }
        return values;
    }

private:
    std::vector<std::string_view> m_lines;
};

// A value brought into [low, high] without losing the fuzzer's ability to reach every one of them.
inline int Within(std::int64_t value, int low, int high)
{
    const auto span = static_cast<std::uint64_t>(high - low) + 1;
    return low + static_cast<int>(static_cast<std::uint64_t>(value) % span);
}

} // namespace tarnwick::fuzz
