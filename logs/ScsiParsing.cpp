#include "logs/ScsiParsing.h"

#include <algorithm>
#include <string_view>

#include "logs/SmartctlLines.h"

namespace scsi {

namespace {

using smartctl::allDigits;
using smartctl::contains;
using smartctl::leadingNumber;
using smartctl::startsWith;
using smartctl::trimmed;
using smartctl::valueAfter;

std::optional<int32_t> smallNumber(std::string_view text) {
  std::optional<uint64_t> n = leadingNumber(text);
  if (!n || *n > 100000) return std::nullopt;
  return static_cast<int32_t>(*n);
}

}  // namespace

std::optional<std::string> Identity::model() const {
  std::string m = std::string(trimmed(vendor.value_or(""))) + " " + std::string(trimmed(product.value_or("")));
  m = std::string(trimmed(m));
  if (m.empty()) return std::nullopt;
  return m;
}

std::string HealthStatus::reasonText() const {
  const size_t bracket = text.find(" [asc=");
  return std::string(trimmed(bracket == std::string::npos ? std::string_view(text) : std::string_view(text).substr(0, bracket)));
}

std::optional<uint64_t> ErrorCounterLog::uncorrected(const std::string& name) const {
  for (const ErrorCounterRow& r : rows)
    if (r.name == name) return r.uncorrected;
  return std::nullopt;
}

Identity parseIdentity(const Lines& lines) {
  Identity id;
  auto take = [](std::optional<std::string>& field, const std::optional<std::string>& v) {
    if (v && !field && !v->empty()) field = *v;
    return v.has_value();
  };
  for (const std::string& line : lines) {
    const std::string_view l = trimmed(line);
    if (take(id.vendor, valueAfter(l, "Vendor:"))) continue;
    if (take(id.product, valueAfter(l, "Product:"))) continue;
    if (take(id.revision, valueAfter(l, "Revision:"))) continue;
    if (take(id.serialNumber, valueAfter(l, "Serial number:"))) continue;
    if (take(id.transport, valueAfter(l, "Transport protocol:"))) continue;
    if (take(id.rotationRate, valueAfter(l, "Rotation Rate:"))) continue;
    if (take(id.deviceType, valueAfter(l, "Device type:"))) continue;
    if (auto v = valueAfter(l, "User Capacity:"); v && !id.capacity) {
      id.capacity = smartctl::bracketed(*v);
      id.capacityBytes = leadingNumber(*v);
    } else if (auto v = valueAfter(l, "SMART support is:")) {
      if (startsWith(*v, "Unavailable")) id.smartAvailable = false;
      else if (startsWith(*v, "Available") && !id.smartAvailable) id.smartAvailable = true;
    } else if (startsWith(l, "Device supports SMART")) {
      id.smartAvailable = true;  // smartctl 5.x
    }
  }
  return id;
}

HealthStatus parseHealthStatus(const Lines& lines) {
  HealthStatus status;
  if (auto v = smartctl::findValue(lines, "SMART Health Status:")) {
    status.present = true;
    status.text = *v;
    status.ok = status.text == "OK";
  }
  return status;
}

Counters parseCounters(const Lines& lines) {
  Counters c;
  for (const std::string& line : lines) {
    const std::string_view l = trimmed(line);
    if (auto v = valueAfter(l, "Current Drive Temperature:")) c.temperature = smallNumber(*v);
    else if (auto v = valueAfter(l, "Drive Trip Temperature:")) c.tripTemperature = smallNumber(*v);
    else if (auto v = valueAfter(l, "Accumulated power on time, hours:minutes"); v && !c.powerOnHours) {
      c.powerOnHours = leadingNumber(*v);
      if (const size_t colon = v->find(':'); colon != std::string::npos) {
        if (auto m = smallNumber(std::string_view(*v).substr(colon + 1))) c.powerOnMinutes = static_cast<uint32_t>(*m);
      }
    } else if (auto v = valueAfter(l, "number of hours powered up ="); v && !c.powerOnHours) {
      c.powerOnHours = leadingNumber(*v);
    } else if (auto v = valueAfter(l, "Accumulated start-stop cycles:")) c.startStopCycles = leadingNumber(*v);
    else if (auto v = valueAfter(l, "Specified cycle count over device lifetime:")) c.specifiedStartStopCycles = leadingNumber(*v);
    else if (auto v = valueAfter(l, "Accumulated load-unload cycles:")) c.loadUnloadCycles = leadingNumber(*v);
    else if (auto v = valueAfter(l, "Elements in grown defect list:")) c.grownDefects = leadingNumber(*v);
    else if (auto v = valueAfter(l, "Percentage used endurance indicator:")) c.percentageUsedEndurance = smallNumber(*v);
  }
  return c;
}

ErrorCounterLog parseErrorCounterLog(const Lines& lines) {
  ErrorCounterLog log;
  for (const std::string& line : lines) {
    const std::string_view l = trimmed(line);
    if (startsWith(l, "Error counter log:")) {
      log.present = true;
      continue;
    }
    if (auto v = valueAfter(l, "Non-medium error count:")) {
      log.nonMediumErrors = leadingNumber(*v);
      continue;
    }
    for (std::string_view name : {"read:", "write:", "verify:"}) {
      if (!startsWith(l, name)) continue;
      // Seven columns; the gigabytes carry the locale's decimal point, so
      // the uncorrected errors are read as the last column.
      const std::vector<std::string> w = smartctl::words(l.substr(name.size()));
      if (w.size() < 7 || !allDigits(w.back())) break;
      ErrorCounterRow row;
      row.name = std::string(name.substr(0, name.size() - 1));
      row.totalCorrected = leadingNumber(w[3]);
      row.gigabytesProcessed = w[w.size() - 2];
      row.uncorrected = leadingNumber(w.back());
      if (std::none_of(log.rows.begin(), log.rows.end(), [&](const ErrorCounterRow& r) { return r.name == row.name; }))
        log.rows.push_back(std::move(row));
      break;
    }
  }
  return log;
}

namespace {

// "# 2  Background long   Failed in segment -->       6   47877         764900874 [0x3 0x5d 0x1]"
std::optional<SelfTestEntry> parseSelfTestRow(std::string_view l) {
  if (!startsWith(l, "#")) return std::nullopt;
  std::string_view rest = trimmed(l.substr(1));
  SelfTestEntry e;
  const size_t bracket = rest.rfind('[');
  if (bracket != std::string_view::npos) {
    e.sense = std::string(trimmed(rest.substr(bracket)));
    rest = trimmed(rest.substr(0, bracket));
  }
  std::vector<std::string> w = smartctl::words(rest);
  if (w.size() < 5 || !allDigits(w[0])) return std::nullopt;
  e.number = static_cast<uint32_t>(std::min<uint64_t>(*leadingNumber(w[0]), UINT32_MAX));
  e.firstErrorLba = w.back();
  e.lifetimeHours = leadingNumber(w[w.size() - 2]);  // "NOW" for a test in progress reads as nothing
  e.segment = w[w.size() - 3];
  const size_t descriptionWords = w[1] == "Default" ? 1 : 2;
  for (size_t i = 1; i < 1 + descriptionWords && i < w.size(); ++i) e.description += (i > 1 ? " " : "") + w[i];
  for (size_t i = 1 + descriptionWords; i + 3 < w.size(); ++i) {
    if (w[i] == "-->") continue;
    e.status += (e.status.empty() ? "" : " ") + w[i];
  }
  e.failed = startsWith(e.status, "Failed") || contains(e.status, "segment failed") || startsWith(e.status, "Unknown error");
  return e;
}

}  // namespace

SelfTestLog parseSelfTestLog(const Lines& lines) {
  SelfTestLog log;
  bool inLog = false;
  for (const std::string& line : lines) {
    const std::string_view l = trimmed(line);
    if (startsWith(l, "SMART Self-test log")) {
      log.present = inLog = true;
      continue;
    }
    if (startsWith(l, "No self-tests have been logged")) {
      log.present = log.noTests = true;
      continue;
    }
    if (startsWith(l, "Device does not support Self Test logging")) {
      log.notSupported = true;
      continue;
    }
    if (startsWith(l, "Long (extended) Self")) {
      if (const size_t colon = l.find(':'); colon != std::string_view::npos)
        log.extendedTestSeconds = leadingNumber(l.substr(colon + 1));
      continue;
    }
    if (!inLog) continue;
    if (auto e = parseSelfTestRow(l)) log.entries.push_back(std::move(*e));
    else if (!startsWith(l, "Num") && !startsWith(l, "Description") && !l.empty()) inLog = false;
  }
  return log;
}

Report parseReport(const Lines& lines) {
  return {parseIdentity(lines), parseHealthStatus(lines), parseCounters(lines), parseErrorCounterLog(lines),
          parseSelfTestLog(lines)};
}

}  // namespace scsi
