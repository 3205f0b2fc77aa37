#include "date.h"

#include "platform.h"

#include <cctype>
#include <cmath>
#include <ctime>
#include <vector>

namespace tarnwick {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
// Days from 1 January 1970 back to 30 December 1899.
constexpr std::int64_t kEpochOffsetDays = 25569;

// Days since 1 January 1970 of a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int &year, int &month, int &day)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2));
}

bool isLeap(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeap(year) ? 29 : days[month - 1];
}

// Day of the week, 0 = Sunday, of a day counted from 1 January 1970 (a Thursday).
int weekdayFromDays(std::int64_t days)
{
    return static_cast<int>(days >= -4 ? (days + 4) % 7 : (days + 5) % 7 + 6);
}

struct Token {
    char letter = 0; // 0 for literal text
    int count = 0;
    std::string literal;
};

std::vector<Token> tokenizeAll(std::string_view pattern)
{
    std::vector<Token> tokens;
    auto addLiteral = [&tokens](std::string_view text) {
        if (text.empty())
            return;
        if (tokens.empty() || tokens.back().letter != 0)
            tokens.push_back(Token {});
        tokens.back().literal.append(text);
    };
    for (std::size_t i = 0; i < pattern.size();) {
        const char c = pattern[i];
        if (c == '\'') {
            // 'quoted text', with '' standing for one quote
            std::size_t j = i + 1;
            if (j < pattern.size() && pattern[j] == '\'') {
                addLiteral("'");
                i = j + 1;
                continue;
            }
            std::string text;
            while (j < pattern.size()) {
                if (pattern[j] == '\'') {
                    if (j + 1 < pattern.size() && pattern[j + 1] == '\'') {
                        text.push_back('\'');
                        j += 2;
                        continue;
                    }
                    break;
                }
                text.push_back(pattern[j++]);
            }
            addLiteral(text);
            i = j + 1;
            continue;
        }
        if (std::isalpha(static_cast<unsigned char>(c))) {
            std::size_t j = i;
            while (j < pattern.size() && pattern[j] == c)
                ++j;
            if (std::string_view("dMyhHmszAapt").find(c) != std::string_view::npos) {
                // "AP"/"ap" is one token: the designator
                if ((c == 'A' || c == 'a') && j < pattern.size() && (pattern[j] == 'P' || pattern[j] == 'p')) {
                    tokens.push_back(Token {c, 2, {}});
                    i = j + 1;
                    continue;
                }
                tokens.push_back(Token {c, static_cast<int>(j - i), {}});
            } else {
                addLiteral(pattern.substr(i, j - i));
            }
            i = j;
            continue;
        }
        addLiteral(pattern.substr(i, 1));
        ++i;
    }
    return tokens;
}

// The time zone ("t") is never written nor read; blanks it leaves at either end go with it.
std::vector<Token> withoutTimeZone(std::vector<Token> tokens)
{
    std::erase_if(tokens, [](const Token &token) { return token.letter == 't'; });
    auto trim = [](Token &token, bool front) {
        std::string &text = token.literal;
        if (front)
            text.erase(0, text.find_first_not_of(' ') == std::string::npos ? text.size() : text.find_first_not_of(' '));
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
    return tokens;
}

std::vector<Token> tokenize(std::string_view pattern)
{
    return withoutTimeZone(tokenizeAll(pattern));
}

bool hasDesignator(const std::vector<Token> &tokens)
{
    for (const Token &token : tokens)
        if (token.letter == 'A' || token.letter == 'a')
            return true;
    return false;
}

void appendNumber(std::string &out, int value, int width)
{
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width)
        out.append(static_cast<std::size_t>(width) - digits.size(), '0');
    out += digits;
}

std::string lowered(std::string_view text)
{
    std::string result(text);
    for (char &c : result)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

std::string formatWith(const std::vector<Token> &tokens, const DateParts &parts, int weekday,
                       const DateTextFormat &format)
{
    const bool twelveHour = hasDesignator(tokens);
    std::string out;
    for (const Token &token : tokens) {
        switch (token.letter) {
        case 0:
            out += token.literal;
            break;
        case 'd':
            if (token.count >= 4)
                out += format.dayNames[weekday];
            else if (token.count == 3)
                out += format.shortDayNames[weekday];
            else
                appendNumber(out, parts.day, token.count);
            break;
        case 'M':
            if (token.count >= 4)
                out += format.monthNames[parts.month - 1];
            else if (token.count == 3)
                out += format.shortMonthNames[parts.month - 1];
            else
                appendNumber(out, parts.month, token.count);
            break;
        case 'y':
            if (token.count == 2)
                appendNumber(out, ((parts.year % 100) + 100) % 100, 2);
            else
                appendNumber(out, parts.year, 4);
            break;
        case 'h': {
            int hour = parts.hour;
            if (twelveHour) {
                hour %= 12;
                if (hour == 0)
                    hour = 12;
            }
            appendNumber(out, hour, token.count >= 2 ? 2 : 1);
            break;
        }
        case 'H':
            appendNumber(out, parts.hour, token.count >= 2 ? 2 : 1);
            break;
        case 'm':
            appendNumber(out, parts.minute, token.count >= 2 ? 2 : 1);
            break;
        case 's':
            appendNumber(out, parts.second, token.count >= 2 ? 2 : 1);
            break;
        case 'z':
            out.append(token.count >= 3 ? "000" : "0");
            break;
        case 'A':
            out += parts.hour < 12 ? format.amText : format.pmText;
            break;
        case 'a':
            out += lowered(parts.hour < 12 ? format.amText : format.pmText);
            break;
        default: // 't', the time zone, is never written
            break;
        }
    }
    return out;
}

class Parser
{
public:
    Parser(std::string_view text, const DateTextFormat &format)
        : m_text(text)
        , m_format(format)
    {
    }

    bool parse(const std::vector<Token> &tokens, DateParts &parts, bool &pm, bool &sawDesignator, int &hour12)
    {
        for (const Token &token : tokens) {
            switch (token.letter) {
            case 0:
                if (!matchLiteral(token.literal))
                    return false;
                break;
            case 'd':
                if (token.count >= 3) {
                    if (matchName(token.count >= 4 ? m_format.dayNames : m_format.shortDayNames, 7) < 0)
                        return false;
                } else if (!readNumber(parts.day, 1, 2)) {
                    return false;
                }
                break;
            case 'M':
                if (token.count >= 3) {
                    const int index = matchName(token.count >= 4 ? m_format.monthNames : m_format.shortMonthNames, 12);
                    if (index < 0)
                        return false;
                    parts.month = index + 1;
                } else if (!readNumber(parts.month, 1, 2)) {
                    return false;
                }
                break;
            case 'y':
                if (token.count == 2) {
                    int year = 0;
                    if (!readNumber(year, 2, 2))
                        return false;
                    parts.year = year < 50 ? 2000 + year : 1900 + year;
                } else if (!readNumber(parts.year, 1, 4)) {
                    return false;
                }
                break;
            case 'h':
                if (!readNumber(hour12, 1, 2))
                    return false;
                parts.hour = hour12;
                break;
            case 'H':
                if (!readNumber(parts.hour, 1, 2))
                    return false;
                break;
            case 'm':
                if (!readNumber(parts.minute, 1, 2))
                    return false;
                break;
            case 's':
                if (!readNumber(parts.second, 1, 2))
                    return false;
                break;
            case 'z': {
                int ignored = 0;
                if (!readNumber(ignored, 1, 3))
                    return false;
                break;
            }
            case 'A':
            case 'a':
                sawDesignator = true;
                if (matchInsensitive(m_format.amText))
                    pm = false;
                else if (matchInsensitive(m_format.pmText))
                    pm = true;
                else
                    return false;
                break;
            default:
                break;
            }
        }
        while (m_pos < m_text.size() && m_text[m_pos] == ' ')
            ++m_pos;
        return m_pos == m_text.size();
    }

private:
    bool matchLiteral(std::string_view literal)
    {
        for (const char c : literal) {
            if (c == ' ') {
                // a run of blanks of the pattern ("h:mm  ss", or blanks the time zone left) stands for any run
                const bool inRun = m_pos > 0 && m_text[m_pos - 1] == ' ';
                if (!inRun && (m_pos >= m_text.size() || m_text[m_pos] != ' '))
                    return false;
                while (m_pos < m_text.size() && m_text[m_pos] == ' ')
                    ++m_pos;
                continue;
            }
            if (m_pos >= m_text.size() || m_text[m_pos] != c)
                return false;
            ++m_pos;
        }
        return true;
    }

    bool readNumber(int &value, int minDigits, int maxDigits)
    {
        int digits = 0;
        int result = 0;
        while (digits < maxDigits && m_pos < m_text.size() && std::isdigit(static_cast<unsigned char>(m_text[m_pos]))) {
            result = result * 10 + (m_text[m_pos] - '0');
            ++m_pos;
            ++digits;
        }
        if (digits < minDigits)
            return false;
        value = result;
        return true;
    }

    bool matchInsensitive(std::string_view word)
    {
        if (word.empty() || m_text.size() - m_pos < word.size())
            return false;
        if (lowered(m_text.substr(m_pos, word.size())) != lowered(word))
            return false;
        m_pos += word.size();
        return true;
    }

    int matchName(const std::string *names, int count)
    {
        // longest match first, so that "June" is not taken for "Jun"
        int best = -1;
        std::size_t bestLength = 0;
        for (int i = 0; i < count; ++i) {
            const std::string &name = names[i];
            if (name.size() > bestLength && m_text.size() - m_pos >= name.size() &&
                lowered(m_text.substr(m_pos, name.size())) == lowered(name)) {
                best = i;
                bestLength = name.size();
            }
        }
        m_pos += bestLength;
        return best;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    const DateTextFormat &m_format;
};

std::optional<DateParts> parseWith(std::string_view text, const std::vector<Token> &tokens,
                                   const DateTextFormat &format, bool hasDate)
{
    DateParts parts;
    if (!hasDate) {
        parts.year = 1899;
        parts.month = 12;
        parts.day = 30;
    }
    bool pm = false;
    bool sawDesignator = false;
    int hour12 = -1;
    Parser parser(text, format);
    if (!parser.parse(tokens, parts, pm, sawDesignator, hour12))
        return std::nullopt;
    if (sawDesignator && hour12 >= 0) {
        if (hour12 < 1 || hour12 > 12)
            return std::nullopt;
        parts.hour = hour12 % 12 + (pm ? 12 : 0);
    }
    if (parts.month < 1 || parts.month > 12 || parts.day < 1 || parts.day > daysInMonth(parts.year, parts.month) ||
        parts.hour > 23 || parts.minute > 59 || parts.second > 59)
        return std::nullopt;
    return parts;
}

std::string trimmed(std::string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    return std::string(text.substr(begin, end - begin));
}

} // namespace

Date DateFromParts(const DateParts &parts)
{
    const std::int64_t day =
        daysFromCivil(parts.year, static_cast<unsigned>(parts.month), static_cast<unsigned>(parts.day)) +
        kEpochOffsetDays;
    const double fraction = (parts.hour * 3600.0 + parts.minute * 60.0 + parts.second) / kSecondsPerDay;
    // Before the epoch the fraction still counts forward from the start of the day, as stored dates do.
    return day >= 0 ? static_cast<double>(day) + fraction : static_cast<double>(day) - fraction;
}

DateParts PartsFromDate(Date date)
{
    double whole = std::trunc(date);
    auto seconds = static_cast<std::int64_t>(std::llround(std::fabs(date - whole) * kSecondsPerDay));
    auto day = static_cast<std::int64_t>(whole);
    if (seconds >= kSecondsPerDay) {
        seconds -= kSecondsPerDay;
        day += 1;
    }
    DateParts parts;
    civilFromDays(day - kEpochOffsetDays, parts.year, parts.month, parts.day);
    parts.hour = static_cast<int>(seconds / 3600);
    parts.minute = static_cast<int>(seconds / 60 % 60);
    parts.second = static_cast<int>(seconds % 60);
    return parts;
}

Date FileTimeToDate(FileTime time)
{
    DateParts parts;
    return platform::LocalTime(time, parts) ? DateFromParts(parts) : 0;
}

Date CurrentDate()
{
    return FileTimeToDate(static_cast<FileTime>(std::time(nullptr)));
}

int SecondsOfDay(Date date)
{
    const DateParts parts = PartsFromDate(date);
    return parts.hour * 3600 + parts.minute * 60 + parts.second;
}

std::string DateToText(Date date, const DateTextFormat &format)
{
    const DateParts parts = PartsFromDate(date);
    const std::int64_t day =
        daysFromCivil(parts.year, static_cast<unsigned>(parts.month), static_cast<unsigned>(parts.day));
    const int weekday = weekdayFromDays(day);
    const bool dayZero = day + kEpochOffsetDays == 0;
    const bool midnight = parts.hour == 0 && parts.minute == 0 && parts.second == 0;
    const std::string timeText = formatWith(tokenize(format.timePattern), parts, weekday, format);
    if (dayZero)
        return timeText;
    const std::string dateText = formatWith(tokenize(format.datePattern), parts, weekday, format);
    if (midnight)
        return dateText;
    return dateText + ' ' + timeText;
}

std::optional<Date> TextToDate(std::string_view text, const DateTextFormat &format)
{
    const std::string input = trimmed(text);
    if (input.empty())
        return std::nullopt;
    std::vector<Token> both = tokenize(format.datePattern);
    both.push_back(Token {0, 0, " "});
    const std::vector<Token> timeTokens = tokenize(format.timePattern);
    both.insert(both.end(), timeTokens.begin(), timeTokens.end());

    if (auto parts = parseWith(input, both, format, true))
        return DateFromParts(*parts);
    // The time alone before the date alone: where both read the text ("01.01.00" is 1:01 and also 1 January of
    // year 0 in Danish), it was written as a time, the form a stored time of day has.
    if (auto parts = parseWith(input, timeTokens, format, false))
        return DateFromParts(*parts);
    if (auto parts = parseWith(input, tokenize(format.datePattern), format, true))
        return DateFromParts(*parts);
    return std::nullopt;
}

} // namespace tarnwick
