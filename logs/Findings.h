// What the rules conclude about a drive, and what they are given to
// conclude it; shared by the parsers of every drive kind. The drive record
// keeps its Findings across its steps: each rule raises them, none lowers
// a failed drive.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace logs {

// Health of a drive, and of the monitor's overall status.
enum Health : int32_t { kHealthUnknown = 0, kHealthPassed = 1, kHealthFailing = 2, kHealthFailed = 3 };

// A per-area failure flag.
enum AreaState : int32_t { kAreaClear = 1, kAreaWarning = 2, kAreaFailed = 3 };

struct Findings {
  int32_t health = kHealthUnknown;
  // Areas of the attribute table: attributes 5, 196, 197, 198, all others.
  int32_t reallocatedSectorsFail = 0;
  int32_t reallocatedEventsFail = 0;
  int32_t currentSectorsFail = 0;
  int32_t offlineSectorsFail = 0;
  int32_t otherAttributesFail = 0;
  bool selftestFail = false;  // the self-test execution status reports a failed test
  bool errorsFail = false;    // too many errors in the error log
  bool testsFail = false;     // the self-test log holds failed tests
  bool newTestFail = false;   // and the latest of them is new
  // Fixed English texts, one per finding, never cleared.
  std::optional<std::vector<std::string>> failureReasons;

  void addFailureReason(const std::string& reason) {
    if (!failureReasons) failureReasons.emplace();
    failureReasons->push_back(reason);
  }
  // A new check starts passed with every flag clear; newTestFail and the
  // reasons carry over.
  void startCheck() {
    health = kHealthPassed;
    reallocatedSectorsFail = reallocatedEventsFail = currentSectorsFail = offlineSectorsFail = otherAttributesFail =
        kAreaClear;
    selftestFail = errorsFail = testsFail = false;
  }
};

// The preferences the rules read (defaults as registered at start-up), and
// where the parsers' messages and localized texts come from.
struct Settings {
  bool ignoreAttribute190 = true;
  bool ignoreAttribute196 = false;
  bool rememberBadSectors = false;
  bool customBadSectorCount = false;
  int64_t customBadSectorCountValue = 0;
  bool rememberErrorCount = false;
  bool customErrorCount = false;
  int64_t customErrorCountValue = 50;
  bool failedTestIsNew = false;
  bool displayTempInFahrenheit = false;
  bool outputDebugMessages = false;
  int64_t nvmeWearLimit = 100;  // "NVMeWearLimit", percent used; 0 or less turns the NVMe wear rule off

  // The system log; null drops the messages.
  std::function<void(const std::string&)> log;
  // The localized text of `key` in a string table; null gives the default.
  std::function<std::string(const std::string& table, const std::string& key, const std::string& defaultValue)>
      localize;

  void debug(const std::string& message) const {
    if (outputDebugMessages && log) log(message);
  }
  std::string localized(const std::string& table, const std::string& key, const std::string& defaultValue) const {
    return localize ? localize(table, key, defaultValue) : defaultValue;
  }
};

// Counts kept from one check to the next, by key suffix such as
// "_LastErrorCount" (the drive stores them under its serial number, else its
// device path, followed by the suffix). A count never stored reads 0.
class Remembered {
 public:
  using Recall = std::function<int64_t(const std::string& suffix)>;
  Remembered() = default;
  explicit Remembered(Recall recall) : recall_(std::move(recall)) {}
  explicit Remembered(std::map<std::string, int64_t> stored)
      : recall_([stored = std::move(stored)](const std::string& suffix) {
          auto it = stored.find(suffix);
          return it == stored.end() ? int64_t{0} : it->second;
        }) {}

  // The latest count: one this step remembered, else the stored one.
  int64_t last(const std::string& suffix) const {
    if (auto it = toStore_.find(suffix); it != toStore_.end()) return it->second;
    return recall_ ? recall_(suffix) : 0;
  }
  void remember(const std::string& suffix, int64_t count) { toStore_[suffix] = count; }
  // The counts to store for the next check.
  const std::map<std::string, int64_t>& toStore() const { return toStore_; }

 private:
  Recall recall_;
  std::map<std::string, int64_t> toStore_;
};

}  // namespace logs
