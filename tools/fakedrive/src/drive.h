// What a simulated drive looks like, in the terms the ATA structures use.
// Every member has the value of a healthy, unremarkable drive so that a
// description only needs to say what is different.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fakedrive {

struct Wwn {
    unsigned naa = 5;
    std::uint32_t oui = 0;
    std::uint64_t id = 0; // 36 bits
};

struct Identity {
    std::string model = "TARVEL SIMULATED DISK";
    std::string serial = "TSIM0000000001";
    std::string firmware = "SIM1.0";
    std::uint64_t sectors = 3907029168; // 2 TB at 512 bytes
    unsigned logical_sector_size = 512;
    unsigned physical_sector_size = 4096;
    int ata_major_bit = 10;             // bit of word 80: 10 = ACS-3
    std::optional<std::uint16_t> ata_minor;
    int sata_version_bit = 6;           // bit of word 222: 6 = SATA 3.1, -1 = none
    int sata_max_speed = 3;             // 1 = 1.5, 2 = 3.0, 3 = 6.0 Gb/s
    std::optional<int> sata_current_speed;
    unsigned rotation_rate = 7200;      // 1 = solid state, 0 = not reported
    unsigned form_factor = 2;           // word 168 code: 2 = 3.5 inches
    bool trim = false;
    bool trim_deterministic = false;
    bool trim_zeroed = false;
    std::optional<Wwn> wwn;
    bool gpl = true;
    std::uint16_t sct_capabilities = 0; // word 206; set when SCT status is described
};

enum class Tristate { no, yes, unknown };
enum class Health { passed, failed, unsupported };

struct SmartState {
    bool supported = true;
    Tristate enabled = Tristate::yes;
    Health health = Health::passed;
    bool test_commands_accepted = true;
};

struct Capabilities {
    std::uint16_t revision = 0x0010;
    std::uint8_t offline_status = 0x82;
    std::uint8_t self_test_status = 0x00;
    std::uint16_t offline_seconds = 600;
    std::uint8_t offline_capabilities = 0x7b;
    std::uint16_t smart_capabilities = 0x0003;
    std::uint8_t error_logging = 0x01;
    std::uint8_t short_minutes = 2;
    std::uint16_t extended_minutes = 180;
    std::uint8_t conveyance_minutes = 5;
};

struct Attribute {
    std::uint8_t id = 0;
    std::uint16_t flags = 0;
    std::uint8_t value = 100;
    std::uint8_t worst = 100;
    std::uint8_t threshold = 0;
    std::uint64_t raw = 0; // 48 bits
};

struct LoggedCommand {
    std::uint8_t command = 0;
    std::uint8_t features = 0;
    std::uint8_t sector_count = 0;
    std::uint8_t sector_number = 0;
    std::uint8_t cylinder_low = 0;
    std::uint8_t cylinder_high = 0;
    std::uint8_t device_head = 0;
    std::uint8_t device_control = 0;
    std::uint32_t powered_up_ms = 0;
};

struct LoggedError {
    std::uint16_t lifetime_hours = 0;
    std::uint8_t state = 0x03; // active or idle
    std::uint8_t error = 0;
    std::uint8_t status = 0x51;
    std::uint8_t sector_count = 0;
    std::uint8_t sector_number = 0;
    std::uint8_t cylinder_low = 0;
    std::uint8_t cylinder_high = 0;
    std::uint8_t device_head = 0x40;
    std::vector<LoggedCommand> commands; // first = the command that failed
};

struct ErrorLog {
    std::uint8_t version = 1;
    std::optional<std::uint16_t> count; // defaults to the number of errors
    std::vector<LoggedError> errors;    // newest first
};

struct SelfTest {
    std::uint8_t type = 0x01;
    std::uint8_t status = 0x00;
    std::uint16_t lifetime_hours = 0;
    std::uint8_t checkpoint = 0;
    std::uint32_t failing_lba = 0xffffffff; // all ones: none
};

struct SelfTestLog {
    std::uint16_t revision = 1;
    std::vector<SelfTest> tests; // newest first
};

struct SctStatus {
    int current = 30;
    int power_cycle_min = 25;
    int power_cycle_max = 35;
    int lifetime_min = 20;
    int lifetime_max = 45;
    int max_operating = 60;
    std::uint32_t under_limit_count = 0;
    std::uint32_t over_limit_count = 0;
};

struct Drive {
    Identity identity;
    SmartState smart;
    Capabilities capabilities;
    std::vector<Attribute> attributes;
    ErrorLog error_log;
    SelfTestLog self_test_log;
    std::optional<SctStatus> sct;
};

// Attribute tables a drive without an [attributes] section reports.
std::vector<Attribute> default_hdd_attributes();
std::vector<Attribute> default_ssd_attributes();

} // namespace fakedrive
