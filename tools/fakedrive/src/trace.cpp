#include "trace.h"

#include "identify.h"
#include "logs.h"
#include "smart_data.h"

#include <cerrno>
#include <cstdio>
#include <optional>
#include <stdexcept>

namespace fakedrive {

namespace {

constexpr std::string_view device_name = "/dev/sda";

std::string_view command_name(AtaCommand c)
{
    switch (c) {
    case AtaCommand::identify: return "IDENTIFY DEVICE";
    case AtaCommand::read_values: return "SMART READ ATTRIBUTE VALUES";
    case AtaCommand::read_thresholds: return "SMART READ ATTRIBUTE THRESHOLDS";
    case AtaCommand::read_log: return "SMART READ LOG";
    case AtaCommand::enable: return "SMART ENABLE";
    case AtaCommand::disable: return "SMART DISABLE";
    case AtaCommand::status_check: return "SMART STATUS CHECK";
    case AtaCommand::immediate_offline: return "SMART IMMEDIATE OFFLINE";
    }
    return "";
}

bool takes_parameter(AtaCommand c) { return c == AtaCommand::read_log || c == AtaCommand::immediate_offline; }

std::string hex2(unsigned v)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02x", v & 0xff);
    return buf;
}

// The " Input:" register line; smartctl's reader skips it, but a trace
// without it would not look like one a real drive produced.
std::string input_registers(const PlannedCommand& pc)
{
    std::string fr = "....", sc = "....", ll = "....", lm = "0x4f", lh = "0xc2", cmd = "0xb0";
    bool data_in = false;
    switch (pc.command) {
    case AtaCommand::identify: lm = lh = "...."; cmd = "0xec"; sc = "0x01"; data_in = true; break;
    case AtaCommand::read_values: fr = "0xd0"; sc = "0x01"; data_in = true; break;
    case AtaCommand::read_thresholds: fr = "0xd1"; sc = "0x01"; ll = "0x01"; data_in = true; break;
    case AtaCommand::read_log: fr = "0xd5"; sc = "0x01"; ll = hex2(pc.parameter); data_in = true; break;
    case AtaCommand::enable: fr = "0xd8"; ll = "0x01"; break;
    case AtaCommand::disable: fr = "0xd9"; ll = "0x01"; break;
    case AtaCommand::status_check: fr = "0xda"; break;
    case AtaCommand::immediate_offline: fr = "0xd4"; ll = hex2(pc.parameter); break;
    }
    return " Input:   FR=" + fr + ", SC=" + sc + ", LL=" + ll + ", LM=" + lm + ", LH=" + lh
           + ", DEV=...., CMD=" + cmd + (data_in ? " IN" : "") + "\n";
}

struct Outcome {
    int returned = 0;
    int error_number = 0; // errno replayed with a failure
    std::string_view error_text;
    std::string output_registers;
};

Outcome outcome(const Drive& drive, const PlannedCommand& pc)
{
    Outcome o;
    if (pc.command == AtaCommand::status_check) {
        // smartctl turns 0 / 1 back into the cylinder registers of a good
        // (0xc24f) or threshold-exceeded (0x2cf4) RETURN STATUS.
        switch (drive.smart.health) {
        case Health::passed:
            o.output_registers = " Output: ERR=...., SC=...., LL=...., LM=0x4f, LH=0xc2, DEV=...., STS=....\n";
            break;
        case Health::failed:
            o.returned = 1;
            o.output_registers = " Output: ERR=...., SC=...., LL=...., LM=0xf4, LH=0x2c, DEV=...., STS=....\n";
            break;
        case Health::unsupported:
            o.returned = -1;
            o.error_number = ENOSYS;
            o.error_text = "Function not implemented";
            break;
        }
    }
    if (pc.command == AtaCommand::immediate_offline && !drive.smart.test_commands_accepted) {
        o.returned = -1;
        o.error_number = EIO;
        o.error_text = "Input/output error";
    }
    return o;
}

std::optional<Sector> data_for(const Drive& drive, const PlannedCommand& pc)
{
    switch (pc.command) {
    case AtaCommand::identify: return build_identify(drive);
    case AtaCommand::read_values: return build_smart_values(drive);
    case AtaCommand::read_thresholds: return build_smart_thresholds(drive);
    case AtaCommand::read_log:
        switch (pc.parameter) {
        case 0x00: return build_log_directory(drive);
        case 0x01: return build_error_log(drive);
        case 0x06: return build_self_test_log(drive);
        case 0x09: return build_selective_log(drive);
        case 0xe0: return build_sct_status(drive);
        default: return Sector{};
        }
    default: return std::nullopt;
    }
}

void append_dump(std::string& out, std::string_view name, const Sector& s)
{
    out += "\n===== [" + std::string(name) + "] DATA START (BASE-16) =====\n";
    char line[128];
    for (std::size_t row = 0; row < s.size(); row += 16) {
        int n = std::snprintf(line, sizeof line, "%03zu-%03zu:", row, row + 15);
        for (std::size_t i = 0; i < 16; ++i)
            n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n), " %02x", s[row + i]);
        n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n), " |");
        for (std::size_t i = 0; i < 16; ++i) {
            const unsigned char c = s[row + i];
            line[n++] = (c >= ' ' && c <= '~') ? static_cast<char>(c) : '.';
        }
        line[n++] = '|';
        line[n++] = '\n';
        out.append(line, static_cast<std::size_t>(n));
    }
    out += "===== [" + std::string(name) + "] DATA END (512 Bytes) =====\n\n";
}

} // namespace

std::string write_trace(const Drive& drive, const Mode& mode, const std::vector<PlannedCommand>& commands,
                        std::string_view source_name)
{
    if (commands.size() > max_trace_commands)
        throw std::length_error("the trace would hold " + std::to_string(commands.size())
                                + " commands; smartctl replays at most 32");

    std::string out;
    out += "# Simulated ATA trace of \"" + drive.identity.model + "\" written by tarvel-fakedrive from "
           + std::string(source_name) + "\n";
    out += "# Replay: smartctl " + std::string(mode.smartctl_options) + " - < THIS-FILE\n";

    const std::string prefix = "REPORT-IOCTL: Device=" + std::string(device_name) + " Command=";
    for (const PlannedCommand& pc : commands) {
        const std::string name(command_name(pc.command));
        out += "\n" + prefix + name;
        if (takes_parameter(pc.command))
            out += " InputParameter=" + std::to_string(pc.parameter);
        out += "\n" + input_registers(pc);

        const Outcome o = outcome(drive, pc);
        out += o.output_registers;
        out += prefix + name + " returned " + std::to_string(o.returned);
        if (o.error_number != 0)
            out += " errno=" + std::to_string(o.error_number) + " [" + std::string(o.error_text) + "]";
        out += "\n";
        if (const auto data = data_for(drive, pc))
            append_dump(out, name, *data);
    }

    if (out.size() > max_trace_bytes)
        throw std::length_error("the trace would be " + std::to_string(out.size())
                                + " bytes; smartctl reads at most 65535");
    return out;
}

} // namespace fakedrive
