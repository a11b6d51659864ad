// The identity texts of "smartctl -i".
#include <array>

#include "logs/Ata.h"
#include "logs/FieldHelpers.h"
#include "platform/Exception.h"
#include "platform/Text.h"

namespace logs {

using platform::contains;

namespace {

// "500,107,862,016 bytes [500 GB]" -> "500 GB".
std::string capacityBetweenBrackets(const std::string& value) {
  size_t open = value.find('[');
  if (open == std::string::npos) throw platform::rangeError("no \"[\" in capacity: " + value);
  size_t start = open + 1;
  while (start < value.size() && platform::isBlank(value[start])) ++start;
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
  return std::to_string(convertStringToInt(value.substr(digit), false));
}

}  // namespace

void parseAtaIdentity(const OutputLines& lines, const Settings& settings, AtaIdentity& identity,
                      const std::function<bool()>& reenableSMART) {
  settings.debug("Parsing information.");

  enum Kind { kPlain, kCapacity, kAtaVersion };
  struct Label {
    const char* text;
    std::optional<std::string> AtaIdentity::*field;
    Kind kind;
    const char* message;
  };
  // Tried in this order on every line; "ATA Version" before "SATA Version"
  // matters, since the first is part of the second.
  static const std::array<Label, 8> kLabels = {{
      {"Model Family", &AtaIdentity::modelFamily, kPlain, "Found model family"},
      {"Device Model", &AtaIdentity::model, kPlain, "Found device model."},
      {"Serial Number", &AtaIdentity::serialNumber, kPlain, "Found serial number."},
      {"Firmware Version", &AtaIdentity::firmwareVersion, kPlain, "Found firmware version."},
      {"User Capacity", &AtaIdentity::capacity, kCapacity, "Found capacity."},
      {"Rotation Rate", &AtaIdentity::rotationRate, kPlain, "Found rotation rate."},
      {"ATA Version", &AtaIdentity::ataVersion, kAtaVersion, "Found ATA version."},
      {"SATA Version", &AtaIdentity::sataVersion, kPlain, "Found SATA version."},
  }};
  constexpr size_t kAtaVersionLabel = 6;

  std::array<bool, kLabels.size()> found{};
  bool smartReenabled = false;
  for (const std::string& line : lines) {
    for (size_t k = 0; k < kLabels.size(); ++k) {
      const Label& label = kLabels[k];
      if (found[k] || !contains(line, label.text)) continue;
      std::string value = parseLine(line);
      if (label.kind == kCapacity) value = capacityBetweenBrackets(value);
      if (label.kind == kAtaVersion) value = ataMajorVersion(value);
      std::optional<std::string>& field = identity.*label.field;
      if (!field) field = value;
      found[k] = true;
      settings.debug(label.message);
    }

    // The SMART state line follows the ATA version line in smartctl's answer.
    if (!found[kAtaVersionLabel] || !contains(line, "Disabled")) continue;
    parseLine(line);
    settings.debug("SMART Disabled. Reenabling...");
    if (reenableSMART && reenableSMART()) smartReenabled = true;
    if (!smartReenabled) settings.debug("SMART cannot be reenabled.");
  }
  settings.debug("Done parsing information.");
}

}  // namespace logs
