// Reading the scalar values of a description: numbers, yes/no, times.
// Failures throw ValueError; the parser adds the line number.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace fakedrive {

class ValueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string_view trim(std::string_view text);
std::string lowercase(std::string_view text);
std::vector<std::string_view> split_words(std::string_view text);

// Decimal, or hexadecimal with a 0x prefix; at most `max`.
std::uint64_t parse_unsigned(std::string_view text, std::uint64_t max, std::string_view what);
int parse_signed(std::string_view text, int min, int max, std::string_view what);
bool parse_yes_no(std::string_view text, std::string_view what);

// "[D d+]hh:mm:ss[.mmm]" as smartctl prints power-up times, or plain
// milliseconds.
std::uint32_t parse_powered_up_ms(std::string_view text);

} // namespace fakedrive
