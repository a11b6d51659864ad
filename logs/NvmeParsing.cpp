// NVMe sections of smartctl's text. Labels are matched after leading blanks,
// so that output with collapsed or tab-indented alignment reads the same.
#include "logs/NvmeParsing.h"

#include <algorithm>
#include <string_view>

#include "logs/SmartctlLines.h"

namespace nvme {

namespace {

using smartctl::bracketed;
using smartctl::allDigits;
using smartctl::contains;
using smartctl::leadingNumber;
using smartctl::startsWith;
using smartctl::trimmed;
using smartctl::valueAfter;

std::optional<int32_t> signedNumber(std::string_view text) {
  text = trimmed(text);
  const bool negative = startsWith(text, "-");
  std::optional<uint64_t> n = leadingNumber(negative ? text.substr(1) : text);
  if (!n || *n > 1000000) return std::nullopt;
  return negative ? -static_cast<int32_t>(*n) : static_cast<int32_t>(*n);
}

std::optional<uint32_t> hexByte(std::string_view text) {
  text = trimmed(text);
  if (startsWith(text, "0x") || startsWith(text, "0X")) text.remove_prefix(2);
  uint32_t value = 0;
  size_t digits = 0;
  for (char c : text) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else break;
    if (++digits > 8) return std::nullopt;
    value = value * 16 + static_cast<uint32_t>(d);
  }
  if (digits == 0) return std::nullopt;
  return value;
}

// A line that opens another section ends the one being read: smartctl
// separates sections by empty lines, but the command runner drops those.
bool opensSection(std::string_view l) {
  return startsWith(l, "===") || startsWith(l, "SMART/Health Information") || startsWith(l, "Error Information (") ||
         startsWith(l, "Self-test Log (") || startsWith(l, "Self-tests not supported") || startsWith(l, "Read ") ||
         startsWith(l, "Supported Power States") || startsWith(l, "Supported LBA Sizes") ||
         startsWith(l, "SMART overall-health self-assessment test result:");
}

}  // namespace

Identity parseIdentity(const Lines& lines) {
  Identity id;
  std::optional<std::string> namespaceCapacity;
  for (const std::string& line : lines) {
    const std::string_view l = trimmed(line);
    if (auto v = valueAfter(l, "Model Number:"); v && !id.model) id.model = *v;
    else if (auto v = valueAfter(l, "Serial Number:"); v && !id.serialNumber) id.serialNumber = *v;
    else if (auto v = valueAfter(l, "Firmware Version:"); v && !id.firmwareVersion) id.firmwareVersion = *v;
    else if (auto v = valueAfter(l, "NVMe Version:"); v && !id.nvmeVersion) id.nvmeVersion = *v;
    else if (auto v = valueAfter(l, "PCI Vendor/Subsystem ID:"); v && !id.pciVendor) id.pciVendor = *v;
    else if (auto v = valueAfter(l, "PCI Vendor ID:"); v && !id.pciVendor) id.pciVendor = *v;
    else if (auto v = valueAfter(l, "Number of Namespaces:"); v && !id.namespaces) {
      if (auto n = leadingNumber(*v); n && *n <= UINT32_MAX) id.namespaces = static_cast<uint32_t>(*n);
    } else if (auto v = valueAfter(l, "Total NVM Capacity:"); v && !id.capacity) {
      if (auto b = bracketed(*v)) {
        id.capacity = *b;
        id.capacityBytes = leadingNumber(*v);
      }
    } else if (startsWith(l, "Namespace ") && !namespaceCapacity) {
      // "Namespace 1 Size/Capacity:", or "Namespace 1 Capacity:" on thin-provisioned drives
      for (std::string_view label : {"Size/Capacity:", " Capacity:"}) {
        const size_t at = l.find(label);
        if (at == std::string_view::npos) continue;
        const std::string_view rest = l.substr(at + label.size());
        if (auto b = bracketed(rest)) {
          namespaceCapacity = *b;
          if (!id.capacity) id.capacityBytes = leadingNumber(rest);
        }
        break;
      }
    }
  }
  if (!id.capacity) id.capacity = namespaceCapacity;
  return id;
}

HealthVerdict parseHealthVerdict(const Lines& lines) {
  HealthVerdict verdict;
  bool inVerdict = false;
  for (const std::string& line : lines) {
    const std::string_view l = trimmed(line);
    if (auto v = valueAfter(l, "SMART overall-health self-assessment test result:");
        v && verdict.result == HealthVerdict::Result::None) {
      verdict.result = startsWith(*v, "PASSED") ? HealthVerdict::Result::Passed : HealthVerdict::Result::Failed;
      inVerdict = true;
      continue;
    }
    if (inVerdict && startsWith(l, "- ")) {
      verdict.explanations.emplace_back(trimmed(l.substr(2)));
      continue;
    }
    inVerdict = false;
    if (startsWith(l, "Read NVMe SMART/Health Information failed") && !verdict.readFailure)
      verdict.readFailure = std::string(l);
  }
  return verdict;
}

HealthLog parseHealthLog(const Lines& lines) {
  HealthLog log;
  bool inLog = false;
  for (const std::string& line : lines) {
    const std::string_view l = trimmed(line);
    if (startsWith(l, "Read NVMe SMART/Health Information failed")) {
      if (!log.readFailure) log.readFailure = std::string(l);
      inLog = false;
      continue;
    }
    if (startsWith(l, "SMART/Health Information")) {
      // A second block (another answer joined to this one) does not overwrite the first.
      inLog = !log.present;
      log.present = true;
      continue;
    }
    if (!inLog) continue;
    if (opensSection(l)) {
      inLog = false;
      continue;
    }
    auto number = [&](std::string_view label, std::optional<uint64_t>& out, std::optional<std::string>* text) {
      auto v = valueAfter(l, label);
      if (!v) return false;
      out = leadingNumber(*v);
      if (text) *text = bracketed(*v);
      return true;
    };
    if (auto v = valueAfter(l, "Critical Warning:")) log.criticalWarning = hexByte(*v);
    else if (auto v = valueAfter(l, "Temperature:")) {
      log.temperatureReported = true;
      log.temperature = signedNumber(*v);
    } else if (auto v = valueAfter(l, "Available Spare Threshold:")) log.availableSpareThreshold = signedNumber(*v);
    else if (auto v = valueAfter(l, "Available Spare:")) log.availableSpare = signedNumber(*v);
    else if (auto v = valueAfter(l, "Percentage Used:")) log.percentageUsed = signedNumber(*v);
    else if (number("Data Units Read:", log.dataUnitsRead, &log.dataUnitsReadText)) {
    } else if (number("Data Units Written:", log.dataUnitsWritten, &log.dataUnitsWrittenText)) {
    } else if (number("Power Cycles:", log.powerCycles, nullptr)) {
    } else if (number("Power On Hours:", log.powerOnHours, nullptr)) {
    } else if (number("Unsafe Shutdowns:", log.unsafeShutdowns, nullptr)) {
    } else if (number("Media and Data Integrity Errors:", log.mediaErrors, nullptr)) {
    } else if (number("Error Information Log Entries:", log.errorLogEntries, nullptr)) {
    } else if (startsWith(l, "Warning") && contains(l, "Comp. Temperature Time:")) {
      log.warningTemperatureMinutes = leadingNumber(l.substr(l.find(':') + 1));
    } else if (startsWith(l, "Critical Comp. Temperature Time:")) {
      log.criticalTemperatureMinutes = leadingNumber(l.substr(l.find(':') + 1));
    }
  }
  return log;
}

ErrorLog parseErrorLog(const Lines& lines) {
  ErrorLog log;
  bool inLog = false;
  for (const std::string& line : lines) {
    const std::string_view l = trimmed(line);
    if (startsWith(l, "Read ") && contains(l, "Error Information Log failed")) {
      if (!log.readFailure) log.readFailure = std::string(l);
      continue;
    }
    if (startsWith(l, "Error Information (")) {
      inLog = !log.present;
      log.present = true;
      continue;
    }
    if (!inLog) continue;
    if (startsWith(l, "No Errors Logged")) {
      log.noErrors = true;
      continue;
    }
    const std::vector<std::string> w = smartctl::words(l);
    if (w.size() >= 2 && allDigits(w[0]) && allDigits(w[1])) {
      ErrorLogEntry e;
      e.number = static_cast<uint32_t>(std::min<uint64_t>(*leadingNumber(w[0]), UINT32_MAX));
      e.errorCount = *leadingNumber(w[1]);
      if (w.size() > 4) e.status = w[4];
      if (w.size() > 6) e.lba = w[6];
      for (size_t i = 9; i < w.size(); ++i) e.message += (i > 9 ? " " : "") + w[i];
      log.entries.push_back(std::move(e));
      continue;
    }
    if (startsWith(l, "Num") || startsWith(l, "- [") || startsWith(l, "...")) continue;
    if (opensSection(l) || !l.empty()) inLog = false;
  }
  return log;
}

namespace {

SelfTestEntry parseSelfTestRow(const std::vector<std::string>& w) {
  SelfTestEntry e;
  e.number = static_cast<uint32_t>(std::min<uint64_t>(*leadingNumber(w[0]), UINT32_MAX));
  size_t i = 1;
  if (i < w.size()) {
    if (w[i] == "Vendor" && i + 1 < w.size() && w[i + 1] == "specific") {
      e.type = "Vendor specific";
      i += 2;
    } else if (w[i] == "Unknown" && i + 1 < w.size() && startsWith(w[i + 1], "(")) {
      e.type = w[i] + " " + w[i + 1];
      i += 2;
    } else {
      e.type = w[i++];
    }
  }
  // The status runs up to the power-on hours, the first all-digit word.
  for (; i < w.size() && !allDigits(w[i]); ++i) e.status += (e.status.empty() ? "" : " ") + w[i];
  if (i < w.size()) e.powerOnHours = leadingNumber(w[i++]);
  if (i < w.size() && allDigits(w[i])) e.failingLba = leadingNumber(w[i]);
  e.failed = contains(e.status, "failed segment") || startsWith(e.status, "Fatal");
  return e;
}

}  // namespace

SelfTestLog parseSelfTestLog(const Lines& lines) {
  SelfTestLog log;
  bool inLog = false;
  for (const std::string& line : lines) {
    const std::string_view l = trimmed(line);
    if (startsWith(l, "Self-tests not supported")) {
      log.notSupported = true;
      continue;
    }
    if (startsWith(l, "Read Self-test Log failed")) {
      if (!log.readFailure) log.readFailure = std::string(l);
      continue;
    }
    if (startsWith(l, "Self-test Log (")) {
      inLog = !log.present;
      log.present = true;
      continue;
    }
    if (!inLog) continue;
    if (auto v = valueAfter(l, "Self-test status:")) {
      std::string status = *v;
      if (const size_t open = status.find(" ("); open != std::string::npos) {
        log.percentCompleted = signedNumber(std::string_view(status).substr(open + 2));
        status.resize(open);
      }
      log.currentStatus = status;
      continue;
    }
    const std::vector<std::string> w = smartctl::words(l);
    if (!w.empty() && allDigits(w[0])) {
      log.entries.push_back(parseSelfTestRow(w));
      continue;
    }
    if (startsWith(l, "Num") || startsWith(l, "No Self-tests Logged")) continue;
    if (opensSection(l)) inLog = false;
  }
  return log;
}

Report parseReport(const Lines& lines) {
  return {parseIdentity(lines), parseHealthVerdict(lines), parseHealthLog(lines), parseErrorLog(lines),
          parseSelfTestLog(lines)};
}

}  // namespace nvme
