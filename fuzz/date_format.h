#pragma once

// A date text format taken from the input, and the test of whether its texts can be read back at all: a pattern
// such as "dMyyyy" writes 1 November and 11 January alike, and month names "May" and "MAY" cannot be told apart.
// Only for a format that passes may a round trip be demanded; every format must still never crash.

#include "fuzz_input.h"

#include "core/date.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::fuzz {

// Input lines, from the first given: date pattern, time pattern, AM text, PM text, then the 12 month names, the
// 12 short month names, the 7 day names and the 7 short day names. A missing line keeps the default.
inline DateTextFormat ReadFormat(const Lines &lines, std::size_t first)
{
    DateTextFormat format;
    std::size_t i = first;
    auto take = [&](std::string &field) {
        if (lines.has(i))
            field = std::string(lines[i]);
        ++i;
    };
    take(format.datePattern);
    take(format.timePattern);
    take(format.amText);
    take(format.pmText);
    for (std::string &name : format.monthNames)
        take(name);
    for (std::string &name : format.shortMonthNames)
        take(name);
    for (std::string &name : format.dayNames)
        take(name);
    for (std::string &name : format.shortDayNames)
        take(name);
    return format;
}

struct FormatToken {
    char letter = 0; // 0: literal text
    int count = 0;
    std::string literal;
};

// The pattern's tokens as the pattern syntax defines them (letters run together, 'quoted text', '' for a
// quote, AP/ap one token), without the time zone and the blanks it leaves at either end, literals run together.
// Nothing when the pattern holds a letter outside the syntax: no locale writes one unquoted.
inline std::optional<std::vector<FormatToken>> PatternTokens(std::string_view pattern)
{
    std::vector<FormatToken> tokens;
    auto literal = [&tokens](std::string_view text) {
        if (text.empty())
            return;
        if (tokens.empty() || tokens.back().letter != 0)
            tokens.push_back({});
        tokens.back().literal.append(text);
    };
    for (std::size_t i = 0; i < pattern.size();) {
        const char c = pattern[i];
        if (c == '\'') {
            std::size_t j = i + 1;
            if (j < pattern.size() && pattern[j] == '\'') {
                literal("'");
                i = j + 1;
                continue;
            }
            std::string text;
            for (; j < pattern.size(); ++j) {
                if (pattern[j] == '\'') {
                    if (j + 1 < pattern.size() && pattern[j + 1] == '\'') {
                        text += '\'';
                        ++j;
                        continue;
                    }
                    break;
                }
                text += pattern[j];
            }
            literal(text);
            i = j + 1;
            continue;
        }
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            // a p that does not follow an a is no field of any locale's pattern
            if (std::string_view("dMyhHmszAat").find(c) == std::string_view::npos)
                return std::nullopt;
            std::size_t j = i;
            while (j < pattern.size() && pattern[j] == c)
                ++j;
            if ((c == 'A' || c == 'a') && j < pattern.size() && (pattern[j] == 'P' || pattern[j] == 'p')) {
                tokens.push_back({c, 2, {}});
                i = j + 1;
                continue;
            }
            tokens.push_back({c, static_cast<int>(j - i), {}});
            i = j;
            continue;
        }
        literal(pattern.substr(i, 1));
        ++i;
    }
    // The time zone is neither written nor read; blanks at either end go with it, once, at the first and the last
    // token.
    std::erase_if(tokens, [](const FormatToken &token) { return token.letter == 't'; });
    auto trim = [](FormatToken &token, bool front) {
        std::string &text = token.literal;
        if (front)
            text.erase(0, std::min(text.find_first_not_of(' '), text.size()));
        else
            text.erase(text.find_last_not_of(' ') + 1);
    };
    if (!tokens.empty() && tokens.back().letter == 0) {
        trim(tokens.back(), false);
        if (tokens.back().literal.empty())
            tokens.pop_back();
    }
    if (!tokens.empty() && tokens.front().letter == 0) {
        trim(tokens.front(), true);
        if (tokens.front().literal.empty())
            tokens.erase(tokens.begin());
    }
    // the time zone's removal can leave two literals side by side
    std::vector<FormatToken> merged;
    for (FormatToken &token : tokens) {
        if (token.letter == 0 && !merged.empty() && merged.back().letter == 0)
            merged.back().literal += token.literal;
        else
            merged.push_back(std::move(token));
    }
    return merged;
}

inline bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A number token that always writes as many digits as it reads at most.
inline bool FixedWidth(const FormatToken &token)
{
    switch (token.letter) {
    case 'd':
    case 'M':
    case 'h':
    case 'H':
    case 'm':
    case 's':
        return token.count >= 2;
    case 'y':
        return true; // two digits, or four for the years written here
    case 'z':
        return token.count >= 3;
    default:
        return false;
    }
}

inline bool IsName(const FormatToken &token)
{
    return ((token.letter == 'd' || token.letter == 'M') && token.count >= 3) || token.letter == 'A' ||
        token.letter == 'a';
}

inline bool IsNumber(const FormatToken &token)
{
    return token.letter != 0 && !IsName(token);
}

inline std::string Lowered(std::string_view text)
{
    std::string result(text);
    for (char &c : result)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return result;
}

inline bool Control(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

// Names with no digit or control character, blanks only inside when innerBlanks, told apart regardless of
// letter case.
inline bool DistinctNames(const std::string *names, std::size_t count, bool innerBlanks = false)
{
    std::vector<std::string> seen;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string &name = names[i];
        if (name.empty() || name.front() == ' ' || name.back() == ' ' ||
            std::any_of(name.begin(), name.end(),
                        [&](char c) { return IsDigit(c) || (c == ' ' && !innerBlanks) || Control(c); }))
            return false;
        seen.push_back(Lowered(name));
    }
    std::sort(seen.begin(), seen.end());
    return std::adjacent_find(seen.begin(), seen.end()) == seen.end();
}

// True when every date of the years 1 to 9999 written with the format reads back as itself.
inline bool ReadsBack(const DateTextFormat &format)
{
    const std::optional<std::vector<FormatToken>> date = PatternTokens(format.datePattern);
    const std::optional<std::vector<FormatToken>> time = PatternTokens(format.timePattern);
    if (!date || !time)
        return false;
    // the reader drops blanks at either end of the text, so a pattern must not write any there
    for (const std::vector<FormatToken> *tokens : {&*date, &*time}) {
        if (!tokens->empty() && tokens->front().letter == 0 && tokens->front().literal.front() == ' ')
            return false;
        if (!tokens->empty() && tokens->back().letter == 0 && tokens->back().literal.back() == ' ')
            return false;
    }
    auto has = [](const std::vector<FormatToken> &tokens, std::string_view letters, int minCount, int maxCount) {
        return std::any_of(tokens.begin(), tokens.end(), [&](const FormatToken &token) {
            return token.letter != 0 && letters.find(token.letter) != std::string_view::npos &&
                token.count >= minCount && token.count <= maxCount;
        });
    };
    // every field once or more, each pattern only its own fields
    if (!has(*date, "d", 1, 2) || !has(*date, "M", 1, 1000) || !has(*date, "y", 1, 1000) ||
        has(*date, "hHmszAa", 1, 1000))
        return false;
    if (!has(*time, "hH", 1, 1000) || !has(*time, "m", 1, 1000) || !has(*time, "s", 1, 1000) ||
        has(*time, "dMy", 1, 1000))
        return false;

    if (!DistinctNames(format.monthNames, 12) || !DistinctNames(format.shortMonthNames, 12) ||
        !DistinctNames(format.dayNames, 7) || !DistinctNames(format.shortDayNames, 7))
        return false;
    const std::string designators[] = {format.amText, format.pmText};
    // "de la mañana": a designator may hold blanks
    if (!DistinctNames(designators, 2, true) || Lowered(format.pmText).starts_with(Lowered(format.amText)))
        return false;
    // A name is read by its longest match, and the AM text is tried first, so the text after a name or a
    // designator must not be able to continue it.
    std::string nameCharacters;
    for (const std::string *names : {format.monthNames, format.shortMonthNames})
        for (std::size_t i = 0; i < 12; ++i)
            nameCharacters += names[i];
    for (const std::string *names : {format.dayNames, format.shortDayNames})
        for (std::size_t i = 0; i < 7; ++i)
            nameCharacters += names[i];
    nameCharacters += format.amText + format.pmText;

    // date, blank, time: the text of both together
    std::vector<FormatToken> tokens = *date;
    tokens.push_back({0, 0, " "});
    tokens.insert(tokens.end(), time->begin(), time->end());
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const FormatToken &token = tokens[i];
        if (token.letter == 0 && std::any_of(token.literal.begin(), token.literal.end(), Control))
            return false;
        if (i + 1 == tokens.size())
            break;
        const FormatToken &next = tokens[i + 1];
        const bool nextStartsWithDigit = IsNumber(next) || (next.letter == 0 && IsDigit(next.literal.front()));
        if (IsNumber(token) && nextStartsWithDigit && !FixedWidth(token))
            return false;
        if (IsName(token) &&
            (IsName(next) || (next.letter == 0 && nameCharacters.find(next.literal.front()) != std::string::npos)))
            return false;
    }
    return true;
}

// Whether the year is written with two digits only (then only 1950 to 2049 read back as themselves).
inline bool ShortYear(const DateTextFormat &format)
{
    const auto tokens = PatternTokens(format.datePattern);
    return tokens && std::any_of(tokens->begin(), tokens->end(), [](const FormatToken &token) {
               return token.letter == 'y' && token.count == 2;
           });
}

// The same format with a date pattern no written text can match, so that only a time alone is read.
inline DateTextFormat TimeAloneFormat(DateTextFormat format)
{
    format.datePattern = "'\x01'";
    return format;
}

} // namespace tarnwick::fuzz
