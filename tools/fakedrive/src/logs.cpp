#include "logs.h"

namespace fakedrive {

namespace {

void put_command(Sector& s, std::size_t at, const LoggedCommand& c)
{
    put8(s, at, c.device_control);
    put8(s, at + 1, c.features);
    put8(s, at + 2, c.sector_count);
    put8(s, at + 3, c.sector_number);
    put8(s, at + 4, c.cylinder_low);
    put8(s, at + 5, c.cylinder_high);
    put8(s, at + 6, c.device_head);
    put8(s, at + 7, c.command);
    put32(s, at + 8, c.powered_up_ms);
}

void put_error(Sector& s, std::size_t at, const LoggedError& e)
{
    // Slot 4 holds the command that failed, older ones below it; smartctl
    // reads the error description from slot 4.
    for (std::size_t k = 0; k < e.commands.size() && k < max_commands_per_error; ++k)
        put_command(s, at + 12 * (max_commands_per_error - 1 - k), e.commands[k]);
    const std::size_t er = at + 60;
    put8(s, er + 1, e.error);
    put8(s, er + 2, e.sector_count);
    put8(s, er + 3, e.sector_number);
    put8(s, er + 4, e.cylinder_low);
    put8(s, er + 5, e.cylinder_high);
    put8(s, er + 6, e.device_head);
    put8(s, er + 7, e.status);
    put8(s, er + 27, e.state);
    put16(s, er + 28, e.lifetime_hours);
}

} // namespace

Sector build_log_directory(const Drive& drive)
{
    Sector s{};
    put16(s, 0, 1);
    // The entry for log address N (its sector count) sits at byte 2N.
    const auto declare = [&s](unsigned address) { put8(s, 2 * std::size_t{address}, 1); };
    if (drive.capabilities.error_logging & 0x01) {
        declare(0x01);
        declare(0x06);
    }
    if (drive.capabilities.offline_capabilities & 0x40)
        declare(0x09);
    if (drive.sct) {
        declare(0xe0);
        declare(0xe1);
    }
    return s;
}

Sector build_error_log(const Drive& drive)
{
    const ErrorLog& log = drive.error_log;
    Sector s{};
    put8(s, 0, log.version);
    const unsigned count = log.count.value_or(static_cast<std::uint16_t>(log.errors.size()));
    // The log is a ring of five; the index names the newest entry (1..5)
    // and stays in step with the device error count.
    const unsigned ring = static_cast<unsigned>(max_logged_errors);
    const unsigned newest = count == 0 ? 0 : (count - 1) % ring + 1;
    put8(s, 1, newest);
    for (std::size_t k = 0; k < log.errors.size() && k < max_logged_errors; ++k) {
        const std::size_t slot = (newest - 1 + max_logged_errors - k) % max_logged_errors;
        put_error(s, 2 + 90 * slot, log.errors[k]);
    }
    put16(s, 452, count);
    seal_checksum(s);
    return s;
}

Sector build_self_test_log(const Drive& drive)
{
    const SelfTestLog& log = drive.self_test_log;
    Sector s{};
    put16(s, 0, log.revision);
    const std::size_t n = log.tests.size() < max_self_tests ? log.tests.size() : max_self_tests;
    // Oldest in the first descriptor; byte 508 names the newest (1-based).
    for (std::size_t k = 0; k < n; ++k) {
        const SelfTest& t = log.tests[k];
        const std::size_t at = 2 + 24 * (n - 1 - k);
        put8(s, at, t.type);
        put8(s, at + 1, t.status);
        put16(s, at + 2, t.lifetime_hours);
        put8(s, at + 4, t.checkpoint);
        put32(s, at + 5, t.failing_lba);
    }
    put8(s, 508, static_cast<unsigned>(n));
    seal_checksum(s);
    return s;
}

Sector build_selective_log(const Drive&)
{
    Sector s{};
    put16(s, 0, 1);
    seal_checksum(s);
    return s;
}

Sector build_sct_status(const Drive& drive)
{
    Sector s{};
    if (!drive.sct)
        return s;
    const SctStatus& t = *drive.sct;
    put16(s, 0, 3);      // format version
    put16(s, 2, 0x0102); // vendor specific version
    put16(s, 4, 1);      // SCT level
    const auto temperature = [](int celsius) { return static_cast<unsigned>(celsius) & 0xff; };
    put8(s, 200, temperature(t.current));
    put8(s, 201, temperature(t.power_cycle_min));
    put8(s, 202, temperature(t.power_cycle_max));
    put8(s, 203, temperature(t.lifetime_min));
    put8(s, 204, temperature(t.lifetime_max));
    put8(s, 205, temperature(t.max_operating));
    put32(s, 206, t.over_limit_count);
    put32(s, 210, t.under_limit_count);
    switch (drive.smart.health) {
    case Health::passed: put16(s, 214, 0xc24f); break;
    case Health::failed: put16(s, 214, 0x2cf4); break;
    case Health::unsupported: break;
    }
    return s;
}

} // namespace fakedrive
