#include "app/cli/Options.h"

#include <cmath>
#include <filesystem>

namespace cli {

namespace {

struct CommandFlag {
  const char* flag;
  DriveCommand command;
};

const CommandFlag kCommands[] = {
    {"--save-raw-data", DriveCommand::SaveRawData},   {"--short-test", DriveCommand::ShortTest},
    {"--extended-test", DriveCommand::ExtendedTest},  {"--abort-test", DriveCommand::AbortTest},
    {"--smartctl-version", DriveCommand::SmartctlVersion}, {"--smartctl-options", DriveCommand::SmartctlOptions},
};

std::optional<double> seconds(const std::string& text) {
  try {
    size_t used = 0;
    double v = std::stod(text, &used);
    if (used != text.size() || !std::isfinite(v) || v <= 0) return std::nullopt;
    return v;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

std::optional<size_t> count(const std::string& text) {
  if (text.empty() || text.size() > 2 || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  const size_t n = std::stoul(text);
  if (n < 1 || n > kMaxJobs) return std::nullopt;
  return n;
}

}  // namespace

ParsedOptions parseOptions(const std::vector<std::string>& args) {
  Options o;
  auto refuse = [](std::string why) { return ParsedOptions{std::nullopt, std::move(why)}; };
  for (size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    std::optional<std::string> inlineValue;
    if (arg.starts_with("--") && arg.find('=') != std::string::npos) {
      inlineValue = arg.substr(arg.find('=') + 1);
      arg = arg.substr(0, arg.find('='));
    }
    auto value = [&]() -> std::optional<std::string> {
      if (inlineValue) return inlineValue;
      if (i + 1 < args.size()) return args[++i];
      return std::nullopt;
    };
    auto needsValue = [&](const std::string& what) { return refuse("option " + arg + " needs " + what); };
    const bool takesValue = arg == "--replay" || arg == "--timeout" || arg == "--listings" || arg == "--naming" ||
                            arg == "--smartctl-options" || arg == "--prometheus" || arg == "--jobs";
    if (inlineValue && !takesValue) return refuse("unknown option " + args[i]);

    if (arg == "-h" || arg == "--help") {
      o.help = true;
    } else if (arg == "--version") {
      o.version = true;
    } else if (arg == "--report") {
      o.report = true;
    } else if (arg == "-i" || arg == "--info") {
      o.info = true;
    } else if (arg == "--json") {
      o.json = true;
    } else if (arg == "--prometheus") {
      auto v = value();
      if (!v || v->empty()) return needsValue("a file, or - for standard output");
      o.prometheus = *v;
    } else if (arg == "-v" || arg == "--verbose") {
      o.verbose = true;
    } else if (arg == "--debug") {
      o.debug = o.verbose = true;
    } else if (arg == "--replay") {
      auto v = value();
      if (!v || v->empty()) return needsValue("a raw-data file");
      o.replays.push_back(*v);
    } else if (arg == "--timeout") {
      auto v = value();
      if (!v) return needsValue("a number of seconds");
      o.timeout = seconds(*v);
      if (!o.timeout) return refuse("--timeout needs a positive number of seconds, not '" + *v + "'");
    } else if (arg == "--jobs") {
      auto v = value();
      if (!v) return needsValue("a number of drives");
      o.jobs = count(*v);
      if (!o.jobs) return refuse("--jobs needs a whole number from 1 to " + std::to_string(kMaxJobs) + ", not '" + *v + "'");
    } else if (arg == "--listings") {
      auto v = value();
      if (!v || v->empty()) return needsValue("a folder");
      o.listingsFolder = *v;
    } else if (arg == "--naming") {
      auto v = value();
      if (!v || (*v != "macos" && *v != "linux")) return refuse("--naming takes macos or linux");
      o.naming = *v;
    } else if (arg == "--") {
      for (++i; i < args.size(); ++i) o.devices.push_back(args[i]);
    } else if (arg.size() > 1 && arg[0] == '-') {
      const CommandFlag* found = nullptr;
      for (const auto& c : kCommands)
        if (arg == c.flag) found = &c;
      if (!found) return refuse("unknown option " + arg);
      if (o.command != DriveCommand::None) return refuse("only one drive command at a time");
      o.command = found->command;
      if (o.command == DriveCommand::SmartctlOptions) {
        auto v = value();
        if (!v) return needsValue("the smartctl options in one argument, such as \"-x\"");
        o.smartctlOptions = *v;
      }
    } else {
      std::error_code ec;
      if (std::filesystem::is_regular_file(arg, ec)) o.replays.push_back(arg);
      else if (arg.starts_with("/dev/")) o.devices.push_back(arg);
      else return refuse(arg + ": no such raw-data file or device (devices are given as /dev/NAME)");
    }
  }
  if ((o.json || o.report) && o.command != DriveCommand::None)
    return refuse(std::string(o.json ? "--json" : "--report") + " applies to checks, not to drive commands");
  if (o.prometheus && o.command != DriveCommand::None) return refuse("--prometheus applies to checks, not to drive commands");
  if (o.jobs && o.command != DriveCommand::None) return refuse("--jobs applies to checks, not to drive commands");
  if (o.prometheus == "-" && (o.json || o.report))
    return refuse(std::string(o.json ? "--json" : "--report") + " and --prometheus - cannot share standard output");
  if (o.json && o.report) return refuse("--json and --report cannot be combined; the JSON document holds the report data");
  return {o, {}};
}

std::string usage() {
  return R"(Usage: tarvel [OPTIONS] [DEVICE | FILE]...
       tarvel defaults ...          (read and write the preferences)
       tarvel notify NAME [OBJECT]  (tell the running monitor)

Checks the SMART health of disks with smartctl. Without DEVICE or FILE it
finds every whole disk of the machine and checks each one, printing one line
per drive, "TITLE: STATE" (PASSED, FAILING, FAILED or UNKNOWN), with the
reasons indented beneath. Drives named on the command line also show what was
read of them (identity, health, self-test and capability texts).

  DEVICE                check this device (/dev/sda) instead of scanning
  FILE, --replay FILE   check a drive replayed from a raw-data file (.trdr)
  -i, --info            show what was read of every drive, also when scanning
  --report              print the full report of each drive
  --json                print one JSON document with every drive record
  --prometheus FILE     also write the check as Prometheus metrics for
                        node_exporter's textfile collector (FILE replaced
                        at once); "-" prints them instead of the drives
  --timeout SECONDS     time limit of one smartctl run, and of each listing
                        of a scan (default: the preference SmartctlTimeout,
                        120); a drive whose smartctl does not answer in
                        time is UNKNOWN and its other runs are skipped
  --jobs N              check N drives at once (1 to 64; default: every
                        drive, at most 8, and 1 with --verbose or --debug,
                        whose log lines would mix); the output is the same,
                        in the same order, whatever N; --jobs 1 checks one
                        drive after the other
  -v, --verbose         write the log to standard error too (it always
                        goes to the system log)
  --debug               debug messages on for this run; implies --verbose
  -h, --help            this text
  --version             the version of tarvel

Drive commands (on each DEVICE or FILE given):
  --save-raw-data       save the drive's raw data to the logs folder
  --short-test          start a short self-test
  --extended-test       start an extended self-test
  --abort-test          abort the running self-test
  --smartctl-version    print the version of the smartctl in use
  --smartctl-options "OPTIONS"
                        run smartctl with OPTIONS on the drive and print
                        its answer (the device is added at the end)

Simulated machines (tests and demos):
  --listings FOLDER     run FOLDER/ls and FOLDER/df instead of /bin/ls and
                        /bin/df to find the drives
  --naming macos|linux  read the listings with these device names

Exit status, as a monitoring plugin's, the worst that applies:
  2  some drive failed
  1  some drive is failing
  3  the drives could not be checked: a wrong argument, no smartctl, the scan
     failed, no drive found, a drive of unknown health, or the metrics
     file could not be written
  0  every drive passed
Drive commands exit with 0 when done and 1 when smartctl refused or did not
answer.
)";
}

}  // namespace cli
