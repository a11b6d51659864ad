#include "entries.h"

#include "ata_names.h"
#include "fields.h"
#include "values.h"

#include <string>

namespace fakedrive {

namespace {

bool is_number(std::string_view text) { return !text.empty() && text[0] >= '0' && text[0] <= '9'; }

std::uint8_t combine_status(std::uint8_t result, std::string_view remaining)
{
    if (!remaining.empty() && remaining.back() == '%')
        remaining.remove_suffix(1);
    const auto percent = parse_unsigned(remaining, 90, "remaining");
    if (percent % 10 != 0)
        throw ValueError("remaining: " + std::string(remaining) + " is not a multiple of 10%");
    return static_cast<std::uint8_t>((result << 4) | (percent / 10));
}

// Register values of a 28-bit LBA, as a command or error structure holds
// them; dh keeps LBA bits 24..27 unless given explicitly.
struct LbaRegisters {
    std::uint8_t sn, cl, ch, dh;
};

LbaRegisters lba_registers(const Fields& f)
{
    const std::uint64_t lba = f.number("lba", 0x0fffffff).value_or(0);
    LbaRegisters r{};
    r.sn = static_cast<std::uint8_t>(f.number("sn", 0xff).value_or(lba & 0xff));
    r.cl = static_cast<std::uint8_t>(f.number("cl", 0xff).value_or((lba >> 8) & 0xff));
    r.ch = static_cast<std::uint8_t>(f.number("ch", 0xff).value_or((lba >> 16) & 0xff));
    r.dh = static_cast<std::uint8_t>(f.number("dh", 0xff).value_or(0x40 | ((lba >> 24) & 0x0f)));
    return r;
}

} // namespace

Attribute parse_attribute_row(std::string_view text)
{
    const auto words = split_words(text);
    if (words.size() < 6)
        throw ValueError("attribute row needs ID FLAGS VALUE WORST THRESH RAW, got "
                         + std::to_string(words.size()) + " column(s)");
    Attribute a;
    const auto id = parse_unsigned(words[0], 255, "attribute id");
    if (id == 0)
        throw ValueError("attribute id: 0 marks an unused slot and cannot be described");
    a.id = static_cast<std::uint8_t>(id);
    a.flags = parse_attribute_flags(words[1]);
    a.value = static_cast<std::uint8_t>(parse_unsigned(words[2], 255, "value"));
    a.worst = static_cast<std::uint8_t>(parse_unsigned(words[3], 255, "worst"));
    a.threshold = static_cast<std::uint8_t>(parse_unsigned(words[4], 255, "threshold"));
    a.raw = parse_unsigned(words[5], 0xffffffffffffULL, "raw value");

    std::string rest;
    for (std::size_t i = 6; i < words.size(); ++i)
        rest += std::string(words[i]) + " ";
    const Fields extra(rest, {"min", "max"});
    if (extra.has("min") || extra.has("max")) {
        // Where smartctl's temperature format looks for the lifetime
        // extremes: bytes 2 and 3 of the raw value.
        if (!extra.has("min") || !extra.has("max"))
            throw ValueError("give min= and max= together");
        if (a.raw > 0xffff)
            throw ValueError("min=/max= need a raw value below 65536 (they fill raw bytes 2 and 3)");
        const auto min = static_cast<unsigned>(parse_signed(*extra.get("min"), -128, 127, "min")) & 0xff;
        const auto max = static_cast<unsigned>(parse_signed(*extra.get("max"), -128, 127, "max")) & 0xff;
        a.raw |= (std::uint64_t{min} << 16) | (std::uint64_t{max} << 24);
    }
    return a;
}

LoggedError parse_logged_error(std::string_view text)
{
    const Fields f(text, {"hours", "state", "er", "st", "sc", "lba", "sn", "cl", "ch", "dh"});
    LoggedError e;
    e.lifetime_hours = static_cast<std::uint16_t>(parse_unsigned(f.require("hours"), 0xffff, "hours"));
    if (const auto state = f.get("state"))
        e.state = parse_error_state(*state);
    e.error = parse_error_bits(f.require("er"));
    e.status = static_cast<std::uint8_t>(f.number("st", 0xff).value_or(0x51));
    e.sector_count = static_cast<std::uint8_t>(f.number("sc", 0xff).value_or(0));
    const LbaRegisters r = lba_registers(f);
    e.sector_number = r.sn;
    e.cylinder_low = r.cl;
    e.cylinder_high = r.ch;
    e.device_head = r.dh;
    return e;
}

LoggedCommand parse_logged_command(std::string_view text)
{
    const Fields f(text, {"cr", "fr", "sc", "lba", "sn", "cl", "ch", "dh", "dc", "time"});
    LoggedCommand c;
    c.command = parse_command_code(f.require("cr"));
    c.features = static_cast<std::uint8_t>(f.number("fr", 0xff).value_or(0));
    c.sector_count = static_cast<std::uint8_t>(f.number("sc", 0xff).value_or(0));
    const LbaRegisters r = lba_registers(f);
    c.sector_number = r.sn;
    c.cylinder_low = r.cl;
    c.cylinder_high = r.ch;
    c.device_head = r.dh;
    c.device_control = static_cast<std::uint8_t>(f.number("dc", 0xff).value_or(0));
    if (const auto time = f.get("time"))
        c.powered_up_ms = parse_powered_up_ms(*time);
    return c;
}

SelfTest parse_self_test(std::string_view text)
{
    const Fields f(text, {"type", "status", "remaining", "hours", "lba", "checkpoint"});
    SelfTest t;
    t.type = parse_self_test_type(f.require("type"));
    const std::string_view status = f.require("status");
    if (is_number(status)) {
        if (f.has("remaining"))
            throw ValueError("remaining= goes with a status name; a numeric status already holds it");
        t.status = static_cast<std::uint8_t>(parse_unsigned(status, 0xff, "status"));
    } else {
        t.status = combine_status(parse_self_test_result(status), f.get("remaining").value_or("0"));
    }
    t.lifetime_hours = static_cast<std::uint16_t>(parse_unsigned(f.require("hours"), 0xffff, "hours"));
    t.failing_lba = static_cast<std::uint32_t>(f.number("lba", 0xffffffff).value_or(0xffffffff));
    t.checkpoint = static_cast<std::uint8_t>(f.number("checkpoint", 0xff).value_or(0));
    return t;
}

std::uint8_t parse_self_test_status(std::string_view text)
{
    const auto words = split_words(text);
    if (words.empty() || words.size() > 2)
        throw ValueError("self-test status: expected a number or a result name with an optional percentage");
    if (is_number(words[0])) {
        if (words.size() > 1)
            throw ValueError("self-test status: a numeric status already holds the remaining percentage");
        return static_cast<std::uint8_t>(parse_unsigned(words[0], 0xff, "self-test status"));
    }
    return combine_status(parse_self_test_result(words[0]), words.size() > 1 ? words[1] : "0");
}

} // namespace fakedrive
