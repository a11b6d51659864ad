// Names a description may use instead of raw ATA codes. Each accepts the
// number as well, so anything smartctl can print can be described.
#pragma once

#include <cstdint>
#include <string_view>

namespace fakedrive {

// Command register value: "READ_FPDMA_QUEUED", "read-dma-ext", "0x25".
std::uint8_t parse_command_code(std::string_view text);

// Error register: "UNC", "ICRC,ABRT", "0x40".
std::uint8_t parse_error_bits(std::string_view text);

// Device state at the time of an error: unknown, sleeping, standby,
// active, offline (SMART offline or self-test), or a number.
std::uint8_t parse_error_state(std::string_view text);

// Attribute flags: "0x0033" or smartctl's brief form "PO--CK".
std::uint16_t parse_attribute_flags(std::string_view text);

// Self-test subcommand: short, extended (long), conveyance, offline,
// selective, abort, their "-captive" forms, or a number.
std::uint8_t parse_self_test_type(std::string_view text);

// High nibble of a self-test status: completed, aborted, interrupted,
// fatal, unknown-failure, electrical-failure, servo-failure, read-failure,
// handling-damage, in-progress, or a number 0..15.
std::uint8_t parse_self_test_result(std::string_view text);

// Bit of IDENTIFY word 80 for "ACS-3", "ATA8-ACS", "ATA/ATAPI-7", ...
int parse_ata_major_bit(std::string_view text);
// Minor version code smartctl prints as a revision of that major version.
std::uint16_t default_ata_minor(int major_bit);

// Bit of IDENTIFY word 222 for "3.1", "SATA 3.2", ...; -1 for "none".
int parse_sata_version_bit(std::string_view text);
// 1, 2, 3 for "1.5", "3.0", "6.0" Gb/s.
int parse_sata_speed(std::string_view text);

// IDENTIFY word 168 code for "3.5", "2.5", "m.2", ...; 0 for "none".
unsigned parse_form_factor(std::string_view text);

} // namespace fakedrive
