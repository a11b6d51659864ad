#include "parser.h"

#include "ata_names.h"
#include "entries.h"
#include "logs.h"
#include "smart_data.h"
#include "values.h"

#include <bit>
#include <map>
#include <optional>

namespace fakedrive {

namespace {

enum class Section { none, drive, smart, capabilities, attributes, error_log, self_test_log, sct };

const std::map<std::string, Section, std::less<>> section_names{
    {"drive", Section::drive},
    {"smart", Section::smart},
    {"capabilities", Section::capabilities},
    {"attributes", Section::attributes},
    {"error-log", Section::error_log},
    {"self-test-log", Section::self_test_log},
    {"sct", Section::sct},
};

// A '#' starts a comment at the start of a line or after white space, so
// that model names may still contain one.
std::string_view strip_comment(std::string_view line)
{
    for (std::size_t i = 0; i < line.size(); ++i)
        if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t'))
            return line.substr(0, i);
    return line;
}

std::string checked_string(std::string_view value, std::size_t max, std::string_view what)
{
    if (value.size() > max)
        throw ValueError(std::string(what) + ": at most " + std::to_string(max) + " characters fit, got "
                         + std::to_string(value.size()));
    for (char c : value)
        if (c < 0x20 || c > 0x7e)
            throw ValueError(std::string(what) + ": only printable ASCII characters fit");
    return std::string(value);
}

struct RequestedCapacity {
    std::uint64_t amount = 0;
    bool in_sectors = false;
    int line = 0;
};

class Parser {
public:
    Drive run(std::string_view text);

private:
    void line(std::string_view content);
    void section_header(std::string_view content);
    void key_value(std::string_view key, std::string_view value);
    void drive_key(const std::string& key, std::string_view value);
    void smart_key(const std::string& key, std::string_view value);
    void capabilities_key(const std::string& key, std::string_view value);
    void error_log_key(const std::string& key, std::string_view value);
    void self_test_log_key(const std::string& key, std::string_view value);
    void sct_key(const std::string& key, std::string_view value);
    void attribute_row(std::string_view content);
    void finish();
    [[noreturn]] void fail_at(int line, const std::string& message) const { throw ParseError(line, message); }

    Drive drive_;
    Section section_ = Section::none;
    int line_ = 0;
    std::map<std::string, int, std::less<>> seen_sections_;
    std::map<std::string, int, std::less<>> seen_keys_; // "section/key" -> line
    std::map<unsigned, int> attribute_lines_;
    bool attributes_given_ = false;
    bool form_factor_given_ = false;
    std::optional<RequestedCapacity> capacity_;
    int enabled_line_ = 0;
    int sata_current_line_ = 0;
    int physical_size_line_ = 0;
    int error_count_line_ = 0;
    int last_error_line_ = 0;
};

Drive Parser::run(std::string_view text)
{
    // Editors on some systems start UTF-8 files with a byte-order mark.
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::string_view raw = text.substr(start, end == std::string_view::npos ? text.npos : end - start);
        ++line_;
        try {
            line(raw);
        } catch (const ValueError& e) {
            fail_at(line_, e.what());
        }
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    finish();
    return drive_;
}

void Parser::line(std::string_view raw)
{
    if (raw.find('\0') != std::string_view::npos)
        throw ValueError("the description is not a text file (it contains NUL bytes)");
    const std::string_view content = trim(strip_comment(raw));
    if (content.empty())
        return;
    if (content.front() == '[') {
        section_header(content);
        return;
    }
    if (section_ == Section::none)
        throw ValueError("expected a section header such as [drive] before '" + std::string(content) + "'");
    if (section_ == Section::attributes) {
        attribute_row(content);
        return;
    }
    const auto colon = content.find(':');
    if (colon == std::string_view::npos)
        throw ValueError("expected 'key: value', got '" + std::string(content) + "'");
    const std::string_view value = trim(content.substr(colon + 1));
    if (value.empty())
        throw ValueError("'" + std::string(trim(content.substr(0, colon))) + ":' has no value");
    key_value(trim(content.substr(0, colon)), value);
}

void Parser::section_header(std::string_view content)
{
    if (content.back() != ']')
        throw ValueError("section header '" + std::string(content) + "' lacks its closing ']'");
    const std::string name = lowercase(trim(content.substr(1, content.size() - 2)));
    const auto it = section_names.find(name);
    if (it == section_names.end())
        throw ValueError("unknown section [" + name
                         + "] (known: drive, smart, capabilities, attributes, error-log, self-test-log, sct)");
    if (const auto [seen, fresh] = seen_sections_.emplace(name, line_); !fresh)
        throw ValueError("section [" + name + "] repeated; first on line " + std::to_string(seen->second));
    section_ = it->second;
    if (section_ == Section::attributes)
        attributes_given_ = true;
    if (section_ == Section::sct) {
        drive_.sct = SctStatus{};
        drive_.identity.sct_capabilities = 0x0001; // SCT status only
    }
}

void Parser::key_value(std::string_view raw_key, std::string_view value)
{
    const std::string key = lowercase(raw_key);
    // error:, command: and test: lines repeat by design.
    const bool repeats = key == "error" || key == "command" || key == "test";
    if (!repeats) {
        std::string id;
        for (const auto& [name, s] : section_names)
            if (s == section_)
                id = name + "/" + key;
        if (const auto [seen, fresh] = seen_keys_.emplace(id, line_); !fresh)
            throw ValueError("'" + key + ":' given twice; first on line " + std::to_string(seen->second));
    }
    switch (section_) {
    case Section::drive: drive_key(key, value); break;
    case Section::smart: smart_key(key, value); break;
    case Section::capabilities: capabilities_key(key, value); break;
    case Section::error_log: error_log_key(key, value); break;
    case Section::self_test_log: self_test_log_key(key, value); break;
    case Section::sct: sct_key(key, value); break;
    case Section::attributes:
    case Section::none: break;
    }
}

[[noreturn]] void unknown_key(const std::string& key, std::string_view section, std::string_view known)
{
    throw ValueError("unknown key '" + key + "' in [" + std::string(section) + "] (known: " + std::string(known) + ")");
}

void Parser::drive_key(const std::string& key, std::string_view value)
{
    Identity& id = drive_.identity;
    if (key == "model") {
        id.model = checked_string(value, 40, key);
    } else if (key == "serial") {
        id.serial = checked_string(value, 20, key);
    } else if (key == "firmware") {
        id.firmware = checked_string(value, 8, key);
    } else if (key == "capacity") {
        const auto words = split_words(value);
        const std::string unit = words.size() > 1 ? lowercase(words[1]) : "bytes";
        if (words.size() > 2 || (unit != "bytes" && unit != "sectors"))
            throw ValueError("capacity: expected 'N bytes' or 'N sectors'");
        RequestedCapacity requested;
        requested.amount = parse_unsigned(words[0], 0xffffffffffffULL * 4096, "capacity");
        requested.in_sectors = unit == "sectors";
        requested.line = line_;
        if (requested.amount == 0)
            throw ValueError("capacity: must not be 0");
        capacity_ = requested;
    } else if (key == "sector-size") {
        const auto size = parse_unsigned(value, 65536, key);
        if (size != 512 && size != 4096)
            throw ValueError("sector-size: use 512 or 4096");
        id.logical_sector_size = static_cast<unsigned>(size);
    } else if (key == "physical-sector-size") {
        id.physical_sector_size = static_cast<unsigned>(parse_unsigned(value, 1u << 24, key));
        physical_size_line_ = line_;
    } else if (key == "ata-version") {
        id.ata_major_bit = parse_ata_major_bit(value);
    } else if (key == "ata-minor") {
        id.ata_minor = static_cast<std::uint16_t>(parse_unsigned(value, 0xffff, key));
    } else if (key == "sata-version") {
        id.sata_version_bit = parse_sata_version_bit(value);
    } else if (key == "sata-speed") {
        id.sata_max_speed = parse_sata_speed(value);
    } else if (key == "sata-current-speed") {
        id.sata_current_speed = parse_sata_speed(value);
        sata_current_line_ = line_;
    } else if (key == "rotation") {
        const std::string word = lowercase(value);
        if (word == "ssd")
            id.rotation_rate = 1;
        else if (word == "none" || word == "unknown")
            id.rotation_rate = 0;
        else {
            std::string_view rpm = value;
            if (word.size() > 4 && word.substr(word.size() - 4) == " rpm")
                rpm = trim(value.substr(0, value.size() - 4));
            id.rotation_rate = static_cast<unsigned>(parse_unsigned(rpm, 0xfffe, "rotation"));
            if (id.rotation_rate <= 0x400)
                throw ValueError("rotation: rpm must be above 1024 (or say ssd or none)");
        }
    } else if (key == "form-factor") {
        id.form_factor = parse_form_factor(value);
        form_factor_given_ = true;
    } else if (key == "trim") {
        const std::string word = lowercase(value);
        id.trim = word != "no";
        id.trim_deterministic = word == "deterministic" || word == "zeroed";
        id.trim_zeroed = word == "zeroed";
        if (word != "no" && word != "yes" && word != "deterministic" && word != "zeroed")
            throw ValueError("trim: use no, yes, deterministic or zeroed");
    } else if (key == "wwn") {
        if (lowercase(value) == "none") {
            id.wwn.reset();
            return;
        }
        const auto words = split_words(value);
        if (words.size() != 3)
            throw ValueError("wwn: expected 'NAA OUI ID' in hex as smartctl prints it, e.g. '5 0014ee 2b1234567'");
        const auto hex = [](std::string_view w, std::uint64_t max, std::string_view what) {
            return parse_unsigned("0x" + std::string(w), max, what);
        };
        Wwn w;
        w.naa = static_cast<unsigned>(hex(words[0], 0xf, "wwn naa"));
        w.oui = static_cast<std::uint32_t>(hex(words[1], 0xffffff, "wwn oui"));
        w.id = hex(words[2], 0xfffffffffULL, "wwn id");
        id.wwn = w;
    } else if (key == "gpl") {
        id.gpl = parse_yes_no(value, key);
    } else {
        unknown_key(key, "drive",
                    "model, serial, firmware, capacity, sector-size, physical-sector-size, ata-version, "
                    "ata-minor, sata-version, sata-speed, sata-current-speed, rotation, form-factor, trim, "
                    "wwn, gpl");
    }
}

void Parser::smart_key(const std::string& key, std::string_view value)
{
    SmartState& s = drive_.smart;
    const std::string word = lowercase(value);
    if (key == "supported") {
        s.supported = parse_yes_no(value, key);
    } else if (key == "enabled") {
        if (word == "unknown")
            s.enabled = Tristate::unknown;
        else
            s.enabled = parse_yes_no(value, key) ? Tristate::yes : Tristate::no;
        enabled_line_ = line_;
    } else if (key == "health") {
        if (word == "passed")
            s.health = Health::passed;
        else if (word == "failed")
            s.health = Health::failed;
        else if (word == "unsupported")
            s.health = Health::unsupported;
        else
            throw ValueError("health: use passed, failed or unsupported");
    } else if (key == "self-test-commands") {
        if (word == "accepted")
            s.test_commands_accepted = true;
        else if (word == "rejected")
            s.test_commands_accepted = false;
        else
            throw ValueError("self-test-commands: use accepted or rejected");
    } else {
        unknown_key(key, "smart", "supported, enabled, health, self-test-commands");
    }
}

void Parser::capabilities_key(const std::string& key, std::string_view value)
{
    Capabilities& c = drive_.capabilities;
    const auto byte = [&] { return static_cast<std::uint8_t>(parse_unsigned(value, 0xff, key)); };
    const auto word = [&] { return static_cast<std::uint16_t>(parse_unsigned(value, 0xffff, key)); };
    if (key == "revision")
        c.revision = word();
    else if (key == "offline-status")
        c.offline_status = byte();
    else if (key == "self-test-status")
        c.self_test_status = parse_self_test_status(value);
    else if (key == "offline-time")
        c.offline_seconds = word();
    else if (key == "offline-capabilities")
        c.offline_capabilities = byte();
    else if (key == "smart-capabilities")
        c.smart_capabilities = word();
    else if (key == "error-logging")
        c.error_logging = byte();
    else if (key == "short-test")
        c.short_minutes = byte();
    else if (key == "extended-test")
        c.extended_minutes = word();
    else if (key == "conveyance-test")
        c.conveyance_minutes = byte();
    else
        unknown_key(key, "capabilities",
                    "revision, offline-status, self-test-status, offline-time, offline-capabilities, "
                    "smart-capabilities, error-logging, short-test, extended-test, conveyance-test");
}

void Parser::error_log_key(const std::string& key, std::string_view value)
{
    ErrorLog& log = drive_.error_log;
    if (key == "version") {
        log.version = static_cast<std::uint8_t>(parse_unsigned(value, 0xff, key));
    } else if (key == "count") {
        log.count = static_cast<std::uint16_t>(parse_unsigned(value, 0xffff, key));
        error_count_line_ = line_;
    } else if (key == "error") {
        if (log.errors.size() == max_logged_errors)
            throw ValueError("the error log holds at most 5 errors (raise count: for older ones)");
        log.errors.push_back(parse_logged_error(value));
        last_error_line_ = line_;
    } else if (key == "command") {
        if (log.errors.empty())
            throw ValueError("command: lines belong to the error: line above them, and there is none");
        auto& commands = log.errors.back().commands;
        if (commands.size() == max_commands_per_error)
            throw ValueError("an error holds at most 5 commands (error on line "
                             + std::to_string(last_error_line_) + ")");
        commands.push_back(parse_logged_command(value));
    } else {
        unknown_key(key, "error-log", "version, count, error, command");
    }
}

void Parser::self_test_log_key(const std::string& key, std::string_view value)
{
    SelfTestLog& log = drive_.self_test_log;
    if (key == "revision") {
        log.revision = static_cast<std::uint16_t>(parse_unsigned(value, 0xffff, key));
    } else if (key == "test") {
        if (log.tests.size() == max_self_tests)
            throw ValueError("the self-test log holds at most 21 tests");
        log.tests.push_back(parse_self_test(value));
    } else {
        unknown_key(key, "self-test-log", "revision, test");
    }
}

void Parser::sct_key(const std::string& key, std::string_view value)
{
    SctStatus& t = *drive_.sct;
    const auto temperature = [&] { return parse_signed(value, -128, 127, key); };
    if (key == "current")
        t.current = temperature();
    else if (key == "power-cycle-min")
        t.power_cycle_min = temperature();
    else if (key == "power-cycle-max")
        t.power_cycle_max = temperature();
    else if (key == "lifetime-min")
        t.lifetime_min = temperature();
    else if (key == "lifetime-max")
        t.lifetime_max = temperature();
    else if (key == "max-operating")
        t.max_operating = temperature();
    else if (key == "under-limit-count")
        t.under_limit_count = static_cast<std::uint32_t>(parse_unsigned(value, 0xffffffff, key));
    else if (key == "over-limit-count")
        t.over_limit_count = static_cast<std::uint32_t>(parse_unsigned(value, 0xffffffff, key));
    else
        unknown_key(key, "sct",
                    "current, power-cycle-min, power-cycle-max, lifetime-min, lifetime-max, max-operating, "
                    "under-limit-count, over-limit-count");
}

void Parser::attribute_row(std::string_view content)
{
    if (drive_.attributes.size() == max_attributes)
        throw ValueError("at most 30 attributes fit in the SMART data structure");
    const Attribute a = parse_attribute_row(content);
    if (const auto [seen, fresh] = attribute_lines_.emplace(a.id, line_); !fresh)
        throw ValueError("attribute " + std::to_string(a.id) + " repeated; first on line "
                         + std::to_string(seen->second));
    drive_.attributes.push_back(a);
}

void Parser::finish()
{
    Identity& id = drive_.identity;
    if (id.physical_sector_size < id.logical_sector_size
        || !std::has_single_bit(id.physical_sector_size / id.logical_sector_size)
        || id.physical_sector_size % id.logical_sector_size != 0
        || id.physical_sector_size / id.logical_sector_size > (1u << 15))
        fail_at(physical_size_line_, "physical-sector-size: must be the logical sector size ("
                                         + std::to_string(id.logical_sector_size)
                                         + ") times a power of two");
    if (capacity_) {
        if (capacity_->in_sectors) {
            id.sectors = capacity_->amount;
        } else {
            if (capacity_->amount % id.logical_sector_size != 0)
                fail_at(capacity_->line, "capacity: " + std::to_string(capacity_->amount)
                                             + " bytes is not a whole number of "
                                             + std::to_string(id.logical_sector_size) + "-byte sectors");
            id.sectors = capacity_->amount / id.logical_sector_size;
        }
        if (id.sectors > 0xffffffffffffULL)
            fail_at(capacity_->line, "capacity: more sectors than 48-bit addressing reaches");
    }
    if (id.sata_current_speed && *id.sata_current_speed > id.sata_max_speed)
        fail_at(sata_current_line_, "sata-current-speed: faster than sata-speed");

    SmartState& smart = drive_.smart;
    if (!smart.supported) {
        if (enabled_line_ != 0 && smart.enabled != Tristate::no)
            fail_at(enabled_line_, "enabled: a drive without SMART support cannot have it enabled");
        smart.enabled = Tristate::no;
    }

    const ErrorLog& log = drive_.error_log;
    if (log.count && *log.count < log.errors.size())
        fail_at(error_count_line_, "count: " + std::to_string(*log.count) + " is less than the "
                                       + std::to_string(log.errors.size()) + " errors listed");

    if (!form_factor_given_ && id.rotation_rate == 1)
        id.form_factor = 3; // most SATA SSDs are 2.5 inches

    if (!attributes_given_)
        drive_.attributes = id.rotation_rate == 1 ? default_ssd_attributes() : default_hdd_attributes();
}

} // namespace

Drive parse_description(std::string_view text)
{
    return Parser().run(text);
}

} // namespace fakedrive
