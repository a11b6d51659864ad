#include "values.h"

#include <cctype>
#include <charconv>
#include <limits>

namespace fakedrive {

namespace {

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

// Digits only: no sign, no suffix, nothing left over.
bool to_number(std::string_view text, int base, std::uint64_t& out)
{
    if (text.empty())
        return false;
    const char* first = text.data();
    const char* last = first + text.size();
    auto [ptr, ec] = std::from_chars(first, last, out, base);
    return ec == std::errc() && ptr == last;
}

} // namespace

std::string_view trim(std::string_view text)
{
    while (!text.empty() && is_space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && is_space(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string lowercase(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::vector<std::string_view> split_words(std::string_view text)
{
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && is_space(text[i]))
            ++i;
        const std::size_t start = i;
        while (i < text.size() && !is_space(text[i]))
            ++i;
        if (i > start)
            words.push_back(text.substr(start, i - start));
    }
    return words;
}

std::uint64_t parse_unsigned(std::string_view text, std::uint64_t max, std::string_view what)
{
    std::uint64_t value = 0;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const bool ok = hex ? to_number(text.substr(2), 16, value) : to_number(text, 10, value);
    if (!ok)
        throw ValueError(std::string(what) + ": " + quoted(text) + " is not a number");
    if (value > max)
        throw ValueError(std::string(what) + ": " + quoted(text) + " is larger than "
                         + std::to_string(max));
    return value;
}

int parse_signed(std::string_view text, int min, int max, std::string_view what)
{
    const bool negative = !text.empty() && text.front() == '-';
    const std::uint64_t magnitude = parse_unsigned(negative ? text.substr(1) : text,
                                                   std::numeric_limits<std::uint32_t>::max(), what);
    const std::int64_t value = negative ? -static_cast<std::int64_t>(magnitude)
                                        : static_cast<std::int64_t>(magnitude);
    if (value < min || value > max)
        throw ValueError(std::string(what) + ": " + quoted(text) + " is outside "
                         + std::to_string(min) + ".." + std::to_string(max));
    return static_cast<int>(value);
}

bool parse_yes_no(std::string_view text, std::string_view what)
{
    const std::string word = lowercase(text);
    if (word == "yes" || word == "true" || word == "on")
        return true;
    if (word == "no" || word == "false" || word == "off")
        return false;
    throw ValueError(std::string(what) + ": expected yes or no, got " + quoted(text));
}

std::uint32_t parse_powered_up_ms(std::string_view text)
{
    const std::string_view original = text;
    const auto fail = [&]() -> ValueError {
        return ValueError("time: " + quoted(original)
                          + " is neither milliseconds nor [Dd+]hh:mm:ss[.mmm]");
    };
    if (text.find(':') == std::string_view::npos)
        return static_cast<std::uint32_t>(
            parse_unsigned(text, std::numeric_limits<std::uint32_t>::max(), "time"));

    std::uint64_t days = 0;
    const bool has_days = text.find("d+") != std::string_view::npos;
    if (const auto plus = text.find("d+"); plus != std::string_view::npos) {
        if (!to_number(trim(text.substr(0, plus)), 10, days))
            throw fail();
        text.remove_prefix(plus + 2);
    }
    std::uint64_t millis = 0;
    if (const auto dot = text.find('.'); dot != std::string_view::npos) {
        const std::string_view fraction = text.substr(dot + 1);
        if (fraction.size() != 3 || !to_number(fraction, 10, millis))
            throw fail();
        text = text.substr(0, dot);
    }
    const auto first = text.find(':');
    const auto second = text.find(':', first + 1);
    if (second == std::string_view::npos || text.find(':', second + 1) != std::string_view::npos)
        throw fail();
    std::uint64_t hours = 0, minutes = 0, seconds = 0;
    if (!to_number(text.substr(0, first), 10, hours)
        || !to_number(text.substr(first + 1, second - first - 1), 10, minutes)
        || !to_number(text.substr(second + 1), 10, seconds) || (has_days && hours > 23) || minutes > 59
        || seconds > 59 || days > 49 || hours > 1200)
        throw fail();
    const std::uint64_t total = (((days * 24 + hours) * 60 + minutes) * 60 + seconds) * 1000 + millis;
    if (total > std::numeric_limits<std::uint32_t>::max())
        throw ValueError("time: " + quoted(original) + " does not fit in 32 bits of milliseconds");
    return static_cast<std::uint32_t>(total);
}

} // namespace fakedrive
