#include "ata_names.h"

#include "values.h"

#include <array>
#include <string>
#include <utility>

namespace fakedrive {

namespace {

// Names compare case-insensitively with '-' and '_' alike.
std::string normalized(std::string_view text)
{
    std::string out = lowercase(trim(text));
    for (char& c : out)
        if (c == '_')
            c = '-';
    return out;
}

template <typename Value, std::size_t N>
bool lookup(const std::array<std::pair<std::string_view, Value>, N>& table, std::string_view text,
            Value& out)
{
    const std::string key = normalized(text);
    for (const auto& [name, value] : table)
        if (key == name) {
            out = value;
            return true;
        }
    return false;
}

bool starts_with_digit(std::string_view text) { return !text.empty() && text[0] >= '0' && text[0] <= '9'; }

constexpr std::array<std::pair<std::string_view, std::uint8_t>, 24> command_names{{
    {"nop", 0x00},
    {"read-sectors", 0x20},
    {"read-sectors-ext", 0x24},
    {"read-dma-ext", 0x25},
    {"read-native-max-address-ext", 0x27},
    {"read-log-ext", 0x2f},
    {"write-sectors", 0x30},
    {"write-sectors-ext", 0x34},
    {"write-dma-ext", 0x35},
    {"write-log-ext", 0x3f},
    {"read-verify-sectors", 0x40},
    {"read-verify-sectors-ext", 0x42},
    {"read-fpdma-queued", 0x60},
    {"write-fpdma-queued", 0x61},
    {"smart", 0xb0},
    {"read-dma", 0xc8},
    {"write-dma", 0xca},
    {"standby-immediate", 0xe0},
    {"idle-immediate", 0xe1},
    {"check-power-mode", 0xe5},
    {"flush-cache", 0xe7},
    {"flush-cache-ext", 0xea},
    {"identify-device", 0xec},
    {"set-features", 0xef},
}};

constexpr std::array<std::pair<std::string_view, std::uint8_t>, 14> error_bit_names{{
    {"icrc", 0x80}, {"unc", 0x40}, {"wp", 0x40},   {"mc", 0x20},   {"idnf", 0x10},
    {"mcr", 0x08},  {"abrt", 0x04}, {"nm", 0x02},  {"tk0nf", 0x02}, {"eom", 0x02},
    {"amnf", 0x01}, {"ccto", 0x01}, {"ili", 0x01}, {"obs", 0x01},
}};

constexpr std::array<std::pair<std::string_view, std::uint8_t>, 6> error_state_names{{
    {"unknown", 0x00}, {"sleeping", 0x01}, {"standby", 0x02},
    {"active", 0x03},  {"idle", 0x03},     {"offline", 0x04},
}};

constexpr std::array<std::pair<std::string_view, std::uint8_t>, 11> self_test_type_names{{
    {"offline", 0x00},
    {"short", 0x01},
    {"extended", 0x02},
    {"long", 0x02},
    {"conveyance", 0x03},
    {"selective", 0x04},
    {"abort", 0x7f},
    {"short-captive", 0x81},
    {"extended-captive", 0x82},
    {"conveyance-captive", 0x83},
    {"selective-captive", 0x84},
}};

constexpr std::array<std::pair<std::string_view, std::uint8_t>, 10> self_test_result_names{{
    {"completed", 0x0},
    {"aborted", 0x1},
    {"interrupted", 0x2},
    {"fatal", 0x3},
    {"unknown-failure", 0x4},
    {"electrical-failure", 0x5},
    {"servo-failure", 0x6},
    {"read-failure", 0x7},
    {"handling-damage", 0x8},
    {"in-progress", 0xf},
}};

constexpr std::array<std::pair<std::string_view, int>, 12> ata_major_names{{
    {"ata-3", 3},
    {"ata/atapi-4", 4},
    {"ata/atapi-5", 5},
    {"ata/atapi-6", 6},
    {"ata/atapi-7", 7},
    {"ata8-acs", 8},
    {"acs-2", 9},
    {"acs-3", 10},
    {"acs-4", 11},
    {"acs-5", 12},
    {"none", -1},
    {"unknown", -1},
}};

constexpr std::array<std::pair<std::string_view, int>, 11> sata_version_names{{
    {"1.0", 1}, {"1.0a", 1}, {"2.5", 3}, {"2.6", 4}, {"3.0", 5}, {"3.1", 6},
    {"3.2", 7}, {"3.3", 8},  {"3.4", 9}, {"3.5", 10}, {"none", -1},
}};

constexpr std::array<std::pair<std::string_view, int>, 3> sata_speed_names{{
    {"1.5", 1}, {"3.0", 2}, {"6.0", 3},
}};

constexpr std::array<std::pair<std::string_view, unsigned>, 10> form_factor_names{{
    {"none", 0}, {"5.25", 1}, {"3.5", 2},   {"2.5", 3},  {"1.8", 4},
    {"<1.8", 5}, {"msata", 6}, {"m.2", 7}, {"microssd", 8}, {"cfast", 9},
}};

std::string unknown(std::string_view what, std::string_view text)
{
    return std::string(what) + ": unknown name '" + std::string(text) + "'";
}

} // namespace

std::uint8_t parse_command_code(std::string_view text)
{
    if (starts_with_digit(text))
        return static_cast<std::uint8_t>(parse_unsigned(text, 0xff, "command"));
    std::uint8_t code = 0;
    if (!lookup(command_names, text, code))
        throw ValueError(unknown("command", text) + " (give the command register as a number)");
    return code;
}

std::uint8_t parse_error_bits(std::string_view text)
{
    if (starts_with_digit(text))
        return static_cast<std::uint8_t>(parse_unsigned(text, 0xff, "error register"));
    std::uint8_t bits = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find_first_of(",+", start);
        const std::string_view name = text.substr(start, end == std::string_view::npos ? text.npos : end - start);
        std::uint8_t bit = 0;
        if (!lookup(error_bit_names, name, bit))
            throw ValueError(unknown("error register", name));
        bits |= bit;
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return bits;
}

std::uint8_t parse_error_state(std::string_view text)
{
    if (starts_with_digit(text))
        return static_cast<std::uint8_t>(parse_unsigned(text, 0xff, "state"));
    std::uint8_t state = 0;
    if (!lookup(error_state_names, text, state))
        throw ValueError(unknown("state", text));
    return state;
}

std::uint16_t parse_attribute_flags(std::string_view text)
{
    if (starts_with_digit(text))
        return static_cast<std::uint16_t>(parse_unsigned(text, 0xffff, "attribute flags"));
    // Positions as in smartctl's brief table: P O S R C K.
    constexpr std::string_view letters = "POSRCK";
    if (text.size() != letters.size())
        throw ValueError("attribute flags: '" + std::string(text)
                         + "' is neither a number nor six letters like PO--CK");
    std::uint16_t flags = 0;
    for (std::size_t i = 0; i < letters.size(); ++i) {
        const char c = static_cast<char>(text[i] & ~0x20); // upper case
        if (c == letters[i])
            flags |= static_cast<std::uint16_t>(1u << i);
        else if (text[i] != '-')
            throw ValueError("attribute flags: position " + std::to_string(i + 1) + " of '"
                             + std::string(text) + "' must be '" + letters[i] + "' or '-'");
    }
    return flags;
}

std::uint8_t parse_self_test_type(std::string_view text)
{
    if (starts_with_digit(text))
        return static_cast<std::uint8_t>(parse_unsigned(text, 0xff, "self-test type"));
    std::uint8_t type = 0;
    if (!lookup(self_test_type_names, text, type))
        throw ValueError(unknown("self-test type", text));
    return type;
}

std::uint8_t parse_self_test_result(std::string_view text)
{
    if (starts_with_digit(text))
        return static_cast<std::uint8_t>(parse_unsigned(text, 0xf, "self-test result"));
    std::uint8_t result = 0;
    if (!lookup(self_test_result_names, text, result))
        throw ValueError(unknown("self-test result", text));
    return result;
}

int parse_ata_major_bit(std::string_view text)
{
    int bit = 0;
    if (!lookup(ata_major_names, text, bit))
        throw ValueError(unknown("ATA version", text)
                         + " (use ATA-3, ATA/ATAPI-4..7, ATA8-ACS, ACS-2..5 or none)");
    return bit;
}

std::uint16_t default_ata_minor(int major_bit)
{
    switch (major_bit) {
    case 6: return 0x0022;  // ATA/ATAPI-6 published, ANSI INCITS 361-2002
    case 7: return 0x001d;  // ATA/ATAPI-7 published, ANSI INCITS 397-2005
    case 8: return 0x0028;  // ATA8-ACS T13/1699-D revision 6
    case 9: return 0x0110;  // ACS-2 T13/2015-D revision 3
    case 10: return 0x006d; // ACS-3 T13/2161-D revision 5
    case 11: return 0x005e; // ACS-4 T13/BSR INCITS 529 revision 5
    default: return 0x0000; // smartctl then says "minor revision not indicated"
    }
}

int parse_sata_version_bit(std::string_view text)
{
    std::string key = normalized(text);
    if (key.rfind("sata ", 0) == 0)
        key.erase(0, 5);
    int bit = 0;
    if (!lookup(sata_version_names, key, bit))
        throw ValueError(unknown("SATA version", text) + " (use 1.0, 2.5, 2.6, 3.0 .. 3.5 or none)");
    return bit;
}

int parse_sata_speed(std::string_view text)
{
    std::string key = normalized(text);
    if (const auto unit = key.find("gb/s"); unit != std::string::npos)
        key = std::string(trim(std::string_view(key).substr(0, unit)));
    int speed = 0;
    if (!lookup(sata_speed_names, key, speed))
        throw ValueError(unknown("SATA speed", text) + " (use 1.5, 3.0 or 6.0)");
    return speed;
}

unsigned parse_form_factor(std::string_view text)
{
    std::string key = normalized(text);
    if (const auto unit = key.find("inch"); unit != std::string::npos)
        key = std::string(trim(std::string_view(key).substr(0, unit)));
    unsigned code = 0;
    if (!lookup(form_factor_names, key, code))
        throw ValueError(unknown("form factor", text)
                         + " (use 5.25, 3.5, 2.5, 1.8, <1.8, mSATA, M.2, MicroSSD, CFast or none)");
    return code;
}

} // namespace fakedrive
