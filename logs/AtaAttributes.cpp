// The attribute table: one record per row, and the rules that judge the
// drive by the rows.
#include <string_view>

#include "logs/Ata.h"
#include "logs/FieldHelpers.h"
#include "logs/TextScanner.h"
#include "platform/Format.h"
#include "platform/Text.h"

namespace logs {

using platform::contains;

namespace {

// Degrees Celsius to Fahrenheit, truncated toward zero. Raw values far beyond
// any temperature are clipped to the type's range rather than overflowing.
int64_t toFahrenheit(int64_t celsius) {
  double f = static_cast<double>(celsius) * 1.8 + 32.0;
  if (f >= 9223372036854775808.0) return INT64_MAX;
  if (f < -9223372036854775808.0) return INT64_MIN;
  return static_cast<int64_t>(f);
}

constexpr std::string_view kRevisionLabel = "SMART Attributes Data Structure revision number:";

// The four bad-sector attributes, each with its own flag and texts.
struct Area {
  int32_t id;
  int32_t Findings::*flag;
  const char* failedNow;
  const char* failedPast;
  const char* tooMany;
  const char* tooManyDebug;
  const char* rememberSuffix;
};

const Area kAreas[] = {
    {5, &Findings::reallocatedSectorsFail, "Reallocated bad sector status is failed",
     "Reallocated bad sector status failed in the past", "Too many reallocated bad sectors",
     "Found too many reallocated bad sectors!!!", "_LastReallocatedSectorCount"},
    {196, &Findings::reallocatedEventsFail, "Reallocated event status is failed",
     "Reallocated event status failed in the past", "Too many reallocated events",
     "Found too many reallocated events!!!", "_LastReallocatedEventCount"},
    {197, &Findings::currentSectorsFail, "Current bad sectors status is failed",
     "Current bad sector status failed in the past", "Too many current bad sectors",
     "Found too many current bad sectors!!!", "_LastCurrentSectorCount"},
    {198, &Findings::offlineSectorsFail, "Offline bad sector status is failed",
     "Offline bad sector status failed in the past", "Too many offline bad sectors",
     "Found too many offline bad sectors!!!", "_LastOfflineSectorCount"},
};

void applyAttributeRules(const KRSMARTAttribute& attribute, const Settings& settings, Remembered& remembered,
                         Findings& findings) {
  const int32_t id = attribute.getIDNumber();
  const bool ignored = (id == 190 && settings.ignoreAttribute190) || (id == 196 && settings.ignoreAttribute196);
  const Area* area = nullptr;
  for (const Area& a : kAreas)
    if (a.id == id) area = &a;

  // Sets the flag of this row's area and adds the reason; an ignored
  // attribute (190 or 196) leaves both alone.
  auto record = [&](int32_t level, const char* areaReason, const std::string& otherReason) {
    if (ignored) return;
    if (area) {
      findings.*(area->flag) = level;
      findings.addFailureReason(areaReason);
    } else {
      findings.otherAttributesFail = level;
      findings.addFailureReason(otherReason);
    }
  };

  if (attribute.getFailed() == KRSMARTAttribute::kFailingNow) {
    if (!ignored) findings.health = kHealthFailed;
    record(kAreaFailed, area ? area->failedNow : "",
           id == 190 ? std::string("Attribute 190 status is failed") : platform::format("Attribute %d failed", id));
    settings.debug("Found failed attribute!!");
  }

  if (attribute.getFailed() == KRSMARTAttribute::kFailedInThePast && findings.health != kHealthFailed) {
    if (!ignored) findings.health = kHealthFailing;
    record(kAreaWarning, area ? area->failedPast : "",
           id == 190 ? std::string("Attribute 190 status is failed in the past")
                     : platform::format("Attribute %d failed in the past", id));
    settings.debug("Found failing in the past attribute!!");
  }

  if (!area) return;
  const int64_t limit = settings.customBadSectorCount ? settings.customBadSectorCountValue : 0;
  const int64_t last = settings.rememberBadSectors ? remembered.last(area->rememberSuffix) : -1;
  const int64_t count = attribute.getRaw();
  // A million or more is no real count but a vendor's packed raw value.
  if (last < count && count > limit && count <= 999999 && findings.health != kHealthFailed &&
      findings.*(area->flag) != kAreaFailed && !(id == 196 && settings.ignoreAttribute196)) {
    findings.health = kHealthFailing;
    findings.*(area->flag) = kAreaWarning;
    findings.addFailureReason(area->tooMany);
    settings.debug(area->tooManyDebug);
  }
  remembered.remember(area->rememberSuffix, count);
}

}  // namespace

KRSMARTAttribute parseAttributeLine(const std::string& line, const Settings& settings) {
  const bool fahrenheit = settings.displayTempInFahrenheit;
  KRSMARTAttribute attribute;
  TextScanner scan(line);

  int32_t id;
  if (scan.scanInt(id)) attribute.setIDNumber(id);
  const bool temperature = attribute.getIDNumber() == 190 || attribute.getIDNumber() == 194;

  std::string word;
  if (scan.scanUpToBlank(word)) {
    if (temperature && fahrenheit) attribute.setName(settings.localized("Attributes", "TempFahr2", "Temperature (F)"));
    else attribute.setName(settings.localized("Attributes", word, word));
  }

  uint32_t flag;
  if (scan.scanHexInt(flag)) attribute.setFlag(flag);
  int64_t number;
  if (scan.scanLongLong(number)) attribute.setValue(number);
  if (scan.scanLongLong(number)) attribute.setWorst(number);
  if (scan.scanLongLong(number)) attribute.setThresh(number);

  if (scan.scanUpToBlank(word)) attribute.setType(settings.localized("Main", word, word));
  if (scan.scanUpToBlank(word)) attribute.setUpdated(settings.localized("Main", word, word));

  if (scan.scanUpToBlank(word)) {
    if (contains(word, "-")) attribute.setFailed(KRSMARTAttribute::kNeverFailed);
    if (contains(word, "FAILING_NOW")) attribute.setFailed(KRSMARTAttribute::kFailingNow);
    if (contains(word, "In_the_past")) attribute.setFailed(KRSMARTAttribute::kFailedInThePast);
  }

  if (scan.scanLongLong(number)) attribute.setRaw(temperature && fahrenheit ? toFahrenheit(number) : number);

  if (contains(line, "Lifetime Min/Max")) {
    std::string skipped;
    scan.scanUpToDigit(skipped);
    if (scan.scanLongLong(number)) attribute.setMin(fahrenheit ? toFahrenheit(number) : number);
    scan.scanUpToDigit(skipped);
    if (scan.scanLongLong(number)) attribute.setMax(fahrenheit ? toFahrenheit(number) : number);
    attribute.setTemperatureAvailable(true);
  } else {
    attribute.setTemperatureAvailable(false);
  }
  return attribute;
}

void parseAtaAttributes(const OutputLines& lines, const Settings& settings, Remembered& remembered,
                        AtaAttributeTable& table, Findings& findings) {
  settings.debug("Parsing attributes.");
  table.count = 0;
  table.rows.emplace();
  bool revisionFound = false;
  bool tableFound = false;
  for (const std::string& line : lines) {
    if (!revisionFound && contains(line, kRevisionLabel)) {
      // The label stands at the start of the line, so the number follows it.
      table.revision = convertStringToInt(line.substr(kRevisionLabel.size()), false);
      revisionFound = true;
      settings.debug("Found SMART attributes data structure revision.");
    }
    if (!tableFound) {
      if (contains(line, "ID# ATTRIBUTE_NAME")) tableFound = true;
      continue;
    }
    if (contains(line, "REPLAY-IOCTL")) continue;
    settings.debug("Found attribute.");
    table.rows->push_back(parseAttributeLine(line, settings));
    ++table.count;
    applyAttributeRules(table.rows->back(), settings, remembered, findings);
  }
  settings.debug("Done parsing attributes");
}

int64_t AtaAttributeTable::rawValue(int32_t number) const {
  if (!rows) return -1;
  for (const KRSMARTAttribute& a : *rows)
    if (a.getIDNumber() == number) return a.getRaw();
  return -1;
}

}  // namespace logs
