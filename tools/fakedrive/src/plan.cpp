#include "plan.h"

namespace fakedrive {

namespace {

constexpr unsigned log_directory = 0x00;
constexpr unsigned error_log = 0x01;
constexpr unsigned self_test_log = 0x06;
constexpr unsigned selective_log = 0x09;
constexpr unsigned sct_status_log = 0xe0;

constexpr unsigned offline_scan = 0;
constexpr unsigned short_test = 1;
constexpr unsigned extended_test = 2;
constexpr unsigned conveyance_test = 3;
constexpr unsigned abort_test = 127;

bool has_logs(const Drive& d) { return (d.capabilities.error_logging & 0x01) != 0; }
bool has_selective(const Drive& d) { return (d.capabilities.offline_capabilities & 0x40) != 0; }
bool test_running(const Drive& d) { return (d.capabilities.self_test_status >> 4) == 0xf; }

class Plan {
public:
    explicit Plan(const Drive& drive) : drive_(drive) {}

    void add(AtaCommand c, unsigned parameter = 0) { commands_.push_back({c, parameter}); }

    // With GP logging smartctl consults the SMART log directory before
    // reading the error or self-test log.
    void read_log_via_directory(unsigned address)
    {
        if (drive_.identity.gpl)
            add(AtaCommand::read_log, log_directory);
        if (has_logs(drive_))
            add(AtaCommand::read_log, address);
    }

    void offline_immediate(unsigned subcommand)
    {
        add(AtaCommand::read_values);
        // smartctl refuses to start a test over a running one, but aborts.
        if (subcommand != abort_test && test_running(drive_))
            return;
        add(AtaCommand::immediate_offline, subcommand);
        if (subcommand == offline_scan && drive_.smart.test_commands_accepted
            && !(drive_.capabilities.offline_capabilities & 0x04))
            add(AtaCommand::read_values); // re-read for the completion time
    }

    std::vector<PlannedCommand> take() { return std::move(commands_); }

private:
    const Drive& drive_;
    std::vector<PlannedCommand> commands_;
};

const std::vector<Mode> all_modes{
    {"a", "-a", "everything smartctl -a reads (default)"},
    {"H", "-H", "overall health"},
    {"i", "-i", "identity only"},
    {"c", "-c", "general SMART values and capabilities"},
    {"A", "-A", "attribute table"},
    {"error", "-l error", "summary error log"},
    {"selftest", "-l selftest", "self-test log"},
    {"selective", "-l selective", "selective self-test log"},
    {"scttempsts", "-l scttempsts", "SCT temperature status"},
    {"on", "-s on", "enable SMART"},
    {"off", "-s off", "disable SMART"},
    {"short", "-t short", "start a short self-test"},
    {"long", "-t long", "start an extended self-test"},
    {"conveyance", "-t conveyance", "start a conveyance self-test"},
    {"offline", "-t offline", "start offline data collection"},
    {"abort", "-X", "abort a running self-test"},
    {"any", "[any option]", "every command once; replays warn of commands out of sync"},
};

} // namespace

const std::vector<Mode>& modes() { return all_modes; }

std::optional<Mode> find_mode(std::string_view name)
{
    for (const Mode& m : all_modes)
        if (m.name == name)
            return m;
    return std::nullopt;
}

std::vector<PlannedCommand> plan_commands(const Drive& drive, const Mode& mode)
{
    Plan plan(drive);
    plan.add(AtaCommand::identify);
    const std::string_view name = mode.name;

    if (name == "any") {
        plan.add(AtaCommand::read_values);
        plan.add(AtaCommand::read_thresholds);
        plan.add(AtaCommand::status_check);
        plan.add(AtaCommand::read_log, log_directory);
        plan.add(AtaCommand::read_log, error_log);
        plan.add(AtaCommand::read_log, self_test_log);
        plan.add(AtaCommand::read_log, selective_log);
        if (drive.sct)
            plan.add(AtaCommand::read_log, sct_status_log);
        plan.add(AtaCommand::enable);
        plan.add(AtaCommand::disable);
        for (unsigned sub : {offline_scan, short_test, extended_test, conveyance_test, abort_test})
            plan.add(AtaCommand::immediate_offline, sub);
        return plan.take();
    }
    if (name == "i")
        return plan.take();
    if (name == "scttempsts") {
        if (drive.sct)
            plan.add(AtaCommand::read_log, sct_status_log);
        return plan.take();
    }

    // Everything else needs SMART; smartctl stops after IDENTIFY when the
    // drive lacks it or cannot say whether it is enabled.
    if (!drive.smart.supported || drive.smart.enabled == Tristate::unknown)
        return plan.take();
    if (name == "on") {
        plan.add(AtaCommand::enable);
        return plan.take();
    }
    if (name == "off") {
        plan.add(AtaCommand::disable);
        return plan.take();
    }
    if (drive.smart.enabled == Tristate::no)
        return plan.take();

    if (name == "a" || name == "H" || name == "A") {
        plan.add(AtaCommand::read_values);
        plan.add(AtaCommand::read_thresholds);
        if (name == "A")
            return plan.take();
        plan.add(AtaCommand::status_check);
        if (name == "H")
            return plan.take();
        if (drive.identity.gpl)
            plan.add(AtaCommand::read_log, log_directory);
        if (has_logs(drive)) {
            plan.add(AtaCommand::read_log, error_log);
            plan.add(AtaCommand::read_log, self_test_log);
        }
        if (has_selective(drive))
            plan.add(AtaCommand::read_log, selective_log);
    } else if (name == "c") {
        plan.add(AtaCommand::read_values);
    } else if (name == "error" || name == "selftest") {
        plan.add(AtaCommand::read_values);
        plan.read_log_via_directory(name == "error" ? error_log : self_test_log);
    } else if (name == "selective") {
        plan.add(AtaCommand::read_values);
        if (has_selective(drive))
            plan.add(AtaCommand::read_log, selective_log);
    } else if (name == "short") {
        plan.offline_immediate(short_test);
    } else if (name == "long") {
        plan.offline_immediate(extended_test);
    } else if (name == "conveyance") {
        plan.offline_immediate(conveyance_test);
    } else if (name == "offline") {
        plan.offline_immediate(offline_scan);
    } else if (name == "abort") {
        plan.offline_immediate(abort_test);
    }
    return plan.take();
}

} // namespace fakedrive
