// The attribute table: one record per row, the rules that judge the drive
// by the rows, and lookups of raw values by attribute number.
#include <algorithm>
#include <string_view>

#include "engine/KRSMARTDrive.h"
#include "logs/TextScanner.h"
#include "platform/Format.h"
#include "platform/Platform.h"

namespace {

bool contains(const std::string& s, std::string_view what) { return s.find(what) != std::string::npos; }

// Degrees Celsius to Fahrenheit, truncated toward zero. Raw values far beyond
// any temperature are clipped to the type's range rather than overflowing.
int64_t toFahrenheit(int64_t celsius) {
  double f = static_cast<double>(celsius) * 1.8 + 32.0;
  if (f >= 9223372036854775808.0) return INT64_MAX;
  if (f < -9223372036854775808.0) return INT64_MIN;
  return static_cast<int64_t>(f);
}

constexpr std::string_view kRevisionLabel = "SMART Attributes Data Structure revision number:";

}  // namespace

KRSMARTAttribute KRSMARTDrive::parseAttributeLine(const std::string& line) const {
  const bool fahrenheit = platform::prefs().boolForKey("DisplayTempInFahrenheit");
  KRSMARTAttribute attribute;
  TextScanner scan(line);

  int32_t id;
  if (scan.scanInt(id)) attribute.setIDNumber(id);
  const bool temperature = attribute.getIDNumber() == 190 || attribute.getIDNumber() == 194;

  std::string word;
  if (scan.scanUpToBlank(word)) {
    if (temperature && fahrenheit) attribute.setName(platform::localized("Attributes", "TempFahr2", "Temperature (F)"));
    else attribute.setName(platform::localized("Attributes", word, word));
  }

  uint32_t flag;
  if (scan.scanHexInt(flag)) attribute.setFlag(flag);
  int64_t number;
  if (scan.scanLongLong(number)) attribute.setValue(number);
  if (scan.scanLongLong(number)) attribute.setWorst(number);
  if (scan.scanLongLong(number)) attribute.setThresh(number);

  if (scan.scanUpToBlank(word)) attribute.setType(platform::localized("Main", word, word));
  if (scan.scanUpToBlank(word)) attribute.setUpdated(platform::localized("Main", word, word));

  if (scan.scanUpToBlank(word)) {
    if (contains(word, "-")) attribute.setFailed(1);
    if (contains(word, "FAILING_NOW")) attribute.setFailed(2);
    if (contains(word, "In_the_past")) attribute.setFailed(3);
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

void KRSMARTDrive::parseAttributes() {
  argumentCode = kArgAttributes;
  std::optional<OutputLines> lines = runSMARTbinary(false);
  if (!lines) {
    debug("Error parsing attributes.");
    return;
  }
  parseAttributeLines(*lines);
}

void KRSMARTDrive::parseAttributeLines(const OutputLines& lines) {
  debug("Parsing attributes.");
  attributeCount = 0;
  attributes.emplace();
  bool revisionFound = false;
  bool tableFound = false;
  for (const std::string& line : lines) {
    if (!revisionFound && contains(line, kRevisionLabel)) {
      // The label stands at the start of the line, so the number follows it.
      attributeRevision = convertStringToInt(line.substr(kRevisionLabel.size()), false);
      revisionFound = true;
      debug("Found SMART attributes data structure revision.");
    }
    if (!tableFound) {
      if (contains(line, "ID# ATTRIBUTE_NAME")) tableFound = true;
      continue;
    }
    if (contains(line, "REPLAY-IOCTL")) continue;
    debug("Found attribute.");
    attributes->push_back(parseAttributeLine(line));
    ++attributeCount;
    applyAttributeRules(attributes->back());
  }
  debug("Done parsing attributes");
}

void KRSMARTDrive::applyAttributeRules(const KRSMARTAttribute& attribute) {
  platform::Preferences& prefs = platform::prefs();
  const int32_t id = attribute.getIDNumber();
  const bool ignore196 = prefs.boolForKey("IgnoreAttribute196");
  const bool ignored = (id == 190 && prefs.boolForKey("IgnoreAttribute190")) || (id == 196 && ignore196);

  // The four bad-sector attributes, each with its own flag and texts.
  struct Area {
    int32_t id;
    int32_t KRSMARTDrive::*flag;
    const char* failedNow;
    const char* failedPast;
    const char* tooMany;
    const char* tooManyDebug;
    const char* rememberSuffix;
  };
  static const Area kAreas[] = {
      {5, &KRSMARTDrive::reallocatedSectorsFail, "Reallocated bad sector status is failed",
       "Reallocated bad sector status failed in the past", "Too many reallocated bad sectors",
       "Found too many reallocated bad sectors!!!", "_LastReallocatedSectorCount"},
      {196, &KRSMARTDrive::reallocatedEventsFail, "Reallocated event status is failed",
       "Reallocated event status failed in the past", "Too many reallocated events",
       "Found too many reallocated events!!!", "_LastReallocatedEventCount"},
      {197, &KRSMARTDrive::currentSectorsFail, "Current bad sectors status is failed",
       "Current bad sector status failed in the past", "Too many current bad sectors",
       "Found too many current bad sectors!!!", "_LastCurrentSectorCount"},
      {198, &KRSMARTDrive::offlineSectorsFail, "Offline bad sector status is failed",
       "Offline bad sector status failed in the past", "Too many offline bad sectors",
       "Found too many offline bad sectors!!!", "_LastOfflineSectorCount"},
  };
  const Area* area = nullptr;
  for (const Area& a : kAreas)
    if (a.id == id) area = &a;

  // Sets the flag of this row's area and adds the reason; an ignored
  // attribute (190 or 196) leaves both alone.
  auto record = [&](int32_t level, const char* areaReason, const std::string& otherReason) {
    if (ignored) return;
    if (area) {
      this->*(area->flag) = level;
      addFailureReasonsString(areaReason);
    } else {
      otherAttributesFail = level;
      addFailureReasonsString(otherReason);
    }
  };

  if (attribute.getFailed() == 2) {
    if (!ignored) health = kHealthFailed;
    record(3, area ? area->failedNow : "",
           id == 190 ? std::string("Attribute 190 status is failed") : platform::format("Attribute %d failed", id));
    debug("Found failed attribute!!");
  }

  if (attribute.getFailed() == 3 && health != kHealthFailed) {
    if (!ignored) health = kHealthFailing;
    record(2, area ? area->failedPast : "",
           id == 190 ? std::string("Attribute 190 status is failed in the past")
                     : platform::format("Attribute %d failed in the past", id));
    debug("Found failing in the past attribute!!");
  }

  if (!area) return;
  const bool remember = prefs.boolForKey("RememberBadSectors");
  const int64_t limit = prefs.boolForKey("CustomBadSectorCount") ? prefs.integerForKey("CustomBadSectorCountValue") : 0;
  const std::string key = rememberedKey(area->rememberSuffix);
  const int64_t last = remember ? prefs.integerForKey(key) : -1;
  const int64_t count = attribute.getRaw();
  // A million or more is no real count but a vendor's packed raw value.
  if (last < count && count > limit && count <= 999999 && health != kHealthFailed && this->*(area->flag) != 3 &&
      !(id == 196 && ignore196)) {
    health = kHealthFailing;
    this->*(area->flag) = 2;
    addFailureReasonsString(area->tooMany);
    debug(area->tooManyDebug);
  }
  prefs.setInteger(key, count);
}

int64_t KRSMARTDrive::readRawAttribute(int32_t number) const {
  if (!attributes) return -1;
  for (const KRSMARTAttribute& a : *attributes)
    if (a.getIDNumber() == number) return a.getRaw();
  return -1;
}

std::optional<KRSMARTAttribute> KRSMARTDrive::driveAttribute(uint64_t index) const {
  if (!attributes || index >= static_cast<uint64_t>(std::max(attributeCount, 0)) || index >= attributes->size())
    return std::nullopt;
  return (*attributes)[index];
}
