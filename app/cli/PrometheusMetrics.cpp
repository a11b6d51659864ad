#include "app/cli/PrometheusMetrics.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "app/cli/DriveStatus.h"
#include "monitor/DriveTitle.h"
#include "platform/Platform.h"
#include "platform/Utf8.h"

namespace fs = std::filesystem;

namespace cli {

namespace {

using Value = std::optional<double>;

// A raw attribute value, nothing when the drive has no such attribute.
Value attribute(const KRSMARTDrive& d, int32_t id) {
  int64_t raw = d.readRawAttribute(id);
  if (raw < 0) return std::nullopt;
  return static_cast<double>(raw);
}

Value state(const KRSMARTDrive& d) {
  switch (driveState(d)) {
    case DriveState::Passed: return 0;
    case DriveState::Failing: return 1;
    case DriveState::Failed: return 2;
    case DriveState::Unknown: break;
  }
  return 3;
}

template <typename T>
Value valueOf(const std::optional<T>& v) {
  if (!v) return std::nullopt;
  return static_cast<double>(*v);
}

Value temperature(const KRSMARTDrive& d) {
  if (const nvme::Report* n = d.driveNVMe()) return valueOf(n->health.temperature);
  if (const scsi::Report* s = d.driveSCSI()) return valueOf(s->counters.temperature);
  Value t = attribute(d, 194);
  if (!t) t = attribute(d, 190);
  // The attribute step stores Fahrenheit when the user prefers it; its
  // truncation loses less than a degree, so rounding gives Celsius back.
  if (t && platform::prefs().boolForKey("DisplayTempInFahrenheit")) t = std::round((*t - 32) / 1.8);
  return t;
}

Value powerOnSeconds(const KRSMARTDrive& d) {
  Value hours = attribute(d, 9);
  if (const nvme::Report* n = d.driveNVMe()) hours = valueOf(n->health.powerOnHours);
  if (const scsi::Report* s = d.driveSCSI()) hours = valueOf(s->counters.powerOnHours);
  if (!hours) return std::nullopt;
  return *hours * 3600;
}

// Only a read error log has a count; "No Errors Logged" counts 0. An NVMe
// drive counts its error-log entries over its lifetime.
Value loggedErrors(const KRSMARTDrive& d) {
  if (const nvme::Report* n = d.driveNVMe()) return valueOf(n->health.errorLogEntries);
  if (d.driveSCSI() || d.driveErrorLogVersion() <= 0) return std::nullopt;
  return d.driveTotalErrors();
}

// Percentages as Prometheus ratios.
Value ratio(Value percent) {
  if (!percent) return std::nullopt;
  return *percent / 100;
}

Value enduranceUsed(const KRSMARTDrive& d) {
  if (const nvme::Report* n = d.driveNVMe()) return ratio(valueOf(n->health.percentageUsed));
  if (const scsi::Report* s = d.driveSCSI()) return ratio(valueOf(s->counters.percentageUsedEndurance));
  return std::nullopt;
}

Value availableSpare(const KRSMARTDrive& d) {
  const nvme::Report* n = d.driveNVMe();
  return n ? ratio(valueOf(n->health.availableSpare)) : std::nullopt;
}

Value availableSpareThreshold(const KRSMARTDrive& d) {
  const nvme::Report* n = d.driveNVMe();
  return n ? ratio(valueOf(n->health.availableSpareThreshold)) : std::nullopt;
}

Value grownDefects(const KRSMARTDrive& d) {
  const scsi::Report* s = d.driveSCSI();
  return s ? valueOf(s->counters.grownDefects) : std::nullopt;
}

Value mediaErrors(const KRSMARTDrive& d) {
  const nvme::Report* n = d.driveNVMe();
  return n ? valueOf(n->health.mediaErrors) : std::nullopt;
}

struct DriveMetric {
  const char* name;
  const char* type;
  const char* help;
  Value (*value)(const KRSMARTDrive&);
  bool needsSmart;  // left out for a drive smartctl could not read
};

// One row per metric.
const DriveMetric kDriveMetrics[] = {
    {"tarvel_drive_state", "gauge", "Health of the drive: 0 passed, 1 failing, 2 failed, 3 unknown.", state, false},
    {"tarvel_drive_temperature_celsius", "gauge", "Temperature of the drive (attribute 194, else 190).", temperature,
     true},
    {"tarvel_drive_power_on_seconds_total", "counter", "Time the drive has been powered on, counted in whole hours.",
     powerOnSeconds, true},
    {"tarvel_drive_reallocated_sectors", "gauge", "Sectors the drive has replaced with spares (attribute 5).",
     [](const KRSMARTDrive& d) { return attribute(d, 5); }, true},
    {"tarvel_drive_pending_sectors", "gauge", "Unstable sectors waiting to be remapped (attribute 197).",
     [](const KRSMARTDrive& d) { return attribute(d, 197); }, true},
    {"tarvel_drive_offline_uncorrectable_sectors", "gauge",
     "Sectors an offline scan could not read (attribute 198).", [](const KRSMARTDrive& d) { return attribute(d, 198); },
     true},
    {"tarvel_drive_errors_total", "counter", "Errors the drive has logged in its lifetime.", loggedErrors, true},
    {"tarvel_drive_asleep", "gauge", "1 when the drive slept and was not woken for the check (its state is the last one read).",
     [](const KRSMARTDrive& d) -> Value { return d.driveAsleep() ? 1 : 0; }, false},
    {"tarvel_drive_endurance_used_ratio", "gauge",
     "Share of the rated endurance used (NVMe percentage used, SCSI endurance used); may exceed 1.", enduranceUsed, true},
    {"tarvel_drive_available_spare_ratio", "gauge", "Share of the spare capacity left (NVMe).", availableSpare, true},
    {"tarvel_drive_available_spare_threshold_ratio", "gauge",
     "Spare share below which the drive counts as failed (NVMe).", availableSpareThreshold, true},
    {"tarvel_drive_grown_defects", "gauge", "Elements in the grown defect list (SCSI).", grownDefects, true},
    {"tarvel_drive_media_errors_total", "counter", "Media and data integrity errors (NVMe).", mediaErrors, true},
};

// A replayed ATA trace names no kind; smartctl read it, so it is ATA.
std::string kind(const KRSMARTDrive& d) {
  const std::string name = kinds::kindName(d.driveKind());
  if (!name.empty()) return name;
  return d.smartSupported() ? "ata" : "unknown";
}

// Label values must be UTF-8 with \, " and line feeds escaped; a byte that
// is not UTF-8 would make node_exporter drop the whole file.
std::string labelValue(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (c == '\\') out += "\\\\";
    else if (c == '"') out += "\\\"";
    else if (c == '\n') out += "\\n";
    else if (static_cast<unsigned char>(c) < 0x80) out += c;
    else if (uint32_t cp; size_t n = platform::decodeUtf8(text, i, cp)) {
      out.append(text, i, n);
      i += n;
      continue;
    } else {
      out += "\xEF\xBF\xBD";
    }
    ++i;
  }
  return out;
}

std::string labels(const KRSMARTDrive& d) {
  const std::pair<const char*, std::string> pairs[] = {
      {"device", d.driveLocation().value_or("")}, {"kind", kind(d)},
      {"model", d.driveModel().value_or("")},     {"serial", d.driveSerialNumber().value_or("")},
      {"title", monitor::driveTitle(d)},
  };
  std::string text = "{";
  for (const auto& [name, value] : pairs) text += (text.size() > 1 ? "," : "") + std::string(name) + "=\"" + labelValue(value) + "\"";
  return text + "}";
}

std::string number(double v) {
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  return ec == std::errc() ? std::string(buf, end) : "NaN";
}

void family(std::string& out, const char* name, const char* type, const char* help) {
  out += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
}

std::string errnoText(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

}  // namespace

std::string prometheusText(const std::vector<KRSMARTDrive>& drives, const CheckRun& run) {
  std::string out;
  for (const DriveMetric& m : kDriveMetrics) {
    std::string samples;
    for (const KRSMARTDrive& d : drives) {
      if (m.needsSmart && !d.smartSupported()) continue;
      if (Value v = m.value(d)) samples += m.name + labels(d) + " " + number(*v) + "\n";
    }
    // A family without samples is left out: some parsers refuse one.
    if (samples.empty()) continue;
    family(out, m.name, m.type, m.help);
    out += samples;
  }
  family(out, "tarvel_check_timestamp_seconds", "gauge", "When the last check ended, in seconds since the epoch.");
  out += "tarvel_check_timestamp_seconds " + number(run.endedAt) + "\n";
  family(out, "tarvel_check_duration_seconds", "gauge", "How long the last check took.");
  out += "tarvel_check_duration_seconds " + number(run.duration) + "\n";
  family(out, "tarvel_check_success", "gauge",
         "1 when the last check could list and read the drives, 0 when it could not check.");
  out += std::string("tarvel_check_success ") + (run.success ? "1" : "0") + "\n";
  return out;
}

std::optional<std::string> writeMetrics(const std::string& path, const std::string& text, std::ostream& out) {
  if (path == "-") {
    out << text << std::flush;
    if (!out) return "cannot write the metrics to standard output";
    return std::nullopt;
  }
  const fs::path target(path);
  if (!target.has_filename()) return "--prometheus needs a file name, not the folder " + path;
  fs::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  // Hidden and without the .prom ending, so the collector skips it.
  std::string temporary = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  int fd = ::mkstemp(temporary.data());
  if (fd < 0) return errnoText("cannot write the metrics into", folder.string());

  std::optional<std::string> failure;
  for (size_t done = 0; done < text.size() && !failure;) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) failure = errnoText("cannot write", temporary);
    else done += static_cast<size_t>(n);
  }
  // node_exporter runs as its own user and must be able to read the file.
  if (!failure && ::fchmod(fd, 0644) != 0) failure = errnoText("cannot set the permissions of", temporary);
  if (!failure && ::fsync(fd) != 0) failure = errnoText("cannot write", temporary);
  if (::close(fd) != 0 && !failure) failure = errnoText("cannot write", temporary);
  if (!failure && ::rename(temporary.c_str(), path.c_str()) != 0) failure = errnoText("cannot replace", path);
  if (failure) ::unlink(temporary.c_str());
  return failure;
}

}  // namespace cli
