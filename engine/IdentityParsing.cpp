// parseInfo: the identity texts of a drive from "smartctl -i", and
// switching SMART back on when the drive reports it disabled.
#include <array>

#include "engine/KRSMARTDrive.h"
#include "platform/Exception.h"
#include "platform/Platform.h"

namespace {

bool contains(const std::string& s, const char* what) { return s.find(what) != std::string::npos; }

// "500,107,862,016 bytes [500 GB]" -> "500 GB".
std::string capacityBetweenBrackets(const std::string& value) {
  size_t open = value.find('[');
  if (open == std::string::npos) throw platform::rangeError("no \"[\" in capacity: " + value);
  size_t start = open + 1;
  while (start < value.size() && (value[start] == ' ' || value[start] == '\t')) ++start;
  size_t close = value.find(']', start);
  return value.substr(start, close == std::string::npos ? std::string::npos : close - start);
}

// The first decimal number of the value: "ATA8-ACS T13/1699-D" -> "8",
// "ACS-2 (minor revision not indicated)" -> "2".
std::string ataMajorVersion(std::string value) {
  if (contains(value, "Exact ATA specification draft version not indicated")) value = "Unknown";
  size_t digit = value.find_first_of("0123456789");
  // No number at all: keep the word "Unknown" rather than leaving the field
  // absent, so that reports say what smartctl said instead of showing a gap.
  if (digit == std::string::npos) return "Unknown";
  return std::to_string(KRSMARTDrive::convertStringToInt(value.substr(digit), false));
}

}  // namespace

void KRSMARTDrive::parseInfo() {
  argumentCode = kArgIdentity;
  std::optional<OutputLines> lines = runSMARTbinary(false);
  if (!lines) {
    debug("Error parsing information.");
    return;
  }
  debug("Parsing information.");

  enum Kind { kPlain, kCapacity, kAtaVersion };
  struct Label {
    const char* text;
    std::optional<std::string> KRSMARTDrive::*field;
    Kind kind;
    const char* message;
  };
  // Tried in this order on every line; "ATA Version" before "SATA Version"
  // matters, since the first is part of the second.
  static const std::array<Label, 8> kLabels = {{
      {"Model Family", &KRSMARTDrive::modelFamily, kPlain, "Found model family"},
      {"Device Model", &KRSMARTDrive::model, kPlain, "Found device model."},
      {"Serial Number", &KRSMARTDrive::serialNumber, kPlain, "Found serial number."},
      {"Firmware Version", &KRSMARTDrive::firmwareVersion, kPlain, "Found firmware version."},
      {"User Capacity", &KRSMARTDrive::capacity, kCapacity, "Found capacity."},
      {"Rotation Rate", &KRSMARTDrive::rotationRate, kPlain, "Found rotation rate."},
      {"ATA Version", &KRSMARTDrive::ataVersion, kAtaVersion, "Found ATA version."},
      {"SATA Version", &KRSMARTDrive::sataVersion, kPlain, "Found SATA version."},
  }};
  constexpr size_t kAtaVersionLabel = 6;

  std::array<bool, kLabels.size()> found{};
  bool smartReenabled = false;
  for (const std::string& line : *lines) {
    for (size_t k = 0; k < kLabels.size(); ++k) {
      const Label& label = kLabels[k];
      if (found[k] || !contains(line, label.text)) continue;
      std::string value = parseLine(line);
      if (label.kind == kCapacity) value = capacityBetweenBrackets(value);
      if (label.kind == kAtaVersion) value = ataMajorVersion(value);
      // The first value a record ever sees stays for its lifetime.
      std::optional<std::string>& field = this->*label.field;
      if (!field) field = value;
      found[k] = true;
      debug(label.message);
    }

    // The SMART state line follows the ATA version line in smartctl's answer.
    if (!found[kAtaVersionLabel] || !contains(line, "Disabled")) continue;
    parseLine(line);
    debug("SMART Disabled. Reenabling...");
    argumentCode = kArgEnableSMART;
    std::optional<OutputLines> answer = runSMARTbinary(false);
    if (answer) {
      for (const std::string& reply : *answer) {
        if (!contains(reply, "SMART Enabled.")) continue;
        smartReenabled = true;
        debug("SMART Reenabled.");
      }
    }
    if (!smartReenabled) debug("SMART cannot be reenabled.");
  }
  debug("Done parsing information.");
}
