// Set-up, the update cycle and its steps: each runs smartctl and hands the
// answer to its parser in logs/.
#include "engine/KRSMARTDrive.h"

#include <filesystem>
#include <mutex>
#include <stdexcept>

#include "engine/RememberedOrder.h"
#include "platform/Exception.h"
#include "platform/Format.h"
#include "platform/Platform.h"
#include "platform/PreferenceKeys.h"
#include "platform/Text.h"

using platform::format;

namespace {

const char* kProgressNotification = "KRUpdateInfoProgressBar";
// Drives updated at once count their busy drives into one preference.
std::mutex gTestsInProgressMutex;

// Name and reason of whatever a step threw, as the log prints them.
std::pair<std::string, std::string> describeFailure(const std::exception& e) {
  if (auto* p = dynamic_cast<const platform::Exception*>(&e)) return {p->name(), p->reason()};
  if (dynamic_cast<const std::out_of_range*>(&e) || dynamic_cast<const std::length_error*>(&e))
    return {"RangeException", e.what()};
  return {"Exception", e.what()};
}

}  // namespace

KRSMARTDrive KRSMARTDrive::initForCommandLine() {
  KRSMARTDrive d;
  d.enableCommandLineOption = true;
  return d;
}

void KRSMARTDrive::addPartitionName(const std::string& name) {
  if (!partitionNames) partitionNames.emplace();
  partitionNames->push_back(name);
  ++partitionCount;
}

std::string KRSMARTDrive::driveLocationID() const {
  return std::filesystem::path(location.value_or("")).filename().string();
}

std::string KRSMARTDrive::partitionNameAtIndex(uint64_t index) const {
  if (!partitionNames || index >= partitionNames->size()) throw platform::rangeError("partition index beyond the list");
  return (*partitionNames)[index];
}

void KRSMARTDrive::addFailureReasonsString(const std::string& reason) { findings.addFailureReason(reason); }

void KRSMARTDrive::debug(const std::string& message) const {
  if (outputDebugMessages) platform::log(message);
}

std::string KRSMARTDrive::rememberedKey(const std::string& suffix) const {
  return (identity.serialNumber ? *identity.serialNumber : location.value_or("")) + suffix;
}

logs::Settings KRSMARTDrive::settings() const {
  namespace key = platform::keys;
  platform::Preferences& prefs = platform::prefs();
  logs::Settings s;
  s.ignoreAttribute190 = prefs.boolForKey(key::kIgnoreAttribute190);
  s.ignoreAttribute196 = prefs.boolForKey(key::kIgnoreAttribute196);
  s.rememberBadSectors = prefs.boolForKey(key::kRememberBadSectors);
  s.customBadSectorCount = prefs.boolForKey(key::kCustomBadSectorCount);
  s.customBadSectorCountValue = prefs.integerForKey(key::kCustomBadSectorCountValue);
  s.rememberErrorCount = prefs.boolForKey(key::kRememberErrorCount);
  s.customErrorCount = prefs.boolForKey(key::kCustomErrorCount);
  s.customErrorCountValue = prefs.integerForKey(key::kCustomErrorCountValue);
  s.failedTestIsNew = prefs.boolForKey(key::kFailedTestIsNew);
  s.displayTempInFahrenheit = prefs.boolForKey(key::kDisplayTempInFahrenheit);
  if (prefs.objectForKey(key::kNVMeWearLimit)) s.nvmeWearLimit = prefs.integerForKey(key::kNVMeWearLimit);
  s.outputDebugMessages = outputDebugMessages;
  s.log = platform::log;
  s.localize = platform::localized;
  return s;
}

void KRSMARTDrive::withRemembered(const std::function<void(logs::Remembered&)>& parse) {
  engine::RememberedOrder::awaitTurn(rememberedKey(""));
  logs::Remembered remembered(
      [this](const std::string& suffix) { return platform::prefs().integerForKey(rememberedKey(suffix)); });
  auto store = [&] {
    for (const auto& [suffix, count] : remembered.toStore()) platform::prefs().setInteger(rememberedKey(suffix), count);
  };
  try {
    parse(remembered);
  } catch (...) {
    store();
    throw;
  }
  store();
}

std::string KRSMARTDrive::noAnswerReason(double seconds) {
  return format("smartctl did not answer within %@ seconds", seconds);
}

std::optional<logs::OutputLines> KRSMARTDrive::runStep(uint64_t code, const char* failure) {
  if (runWentUnanswered) return std::nullopt;
  argumentCode = code;
  std::optional<logs::OutputLines> lines = runSMARTbinary(false);
  if (!lines) debug(failure);
  // "-n standby" found the disk asleep: nothing to parse, and the update
  // keeps what the last one found.
  if (lines && kinds::standbyMessage(*lines)) {
    debug(format("Drive is asleep: %@", location.value_or("")));
    asleep = true;
    return std::nullopt;
  }
  return lines;
}

void KRSMARTDrive::updateInfo() {
  debug(format("Updating drive: %@", location.value_or("")));
  const logs::Findings lastCheck = findings;
  findings.startCheck();
  exceptionOccurred_ = false;
  runWentUnanswered = false;
  timedOutAfter.reset();
  asleep = false;
  checking = true;

  struct Step {
    void (KRSMARTDrive::*run)();
    const char* failureMessage;
  };
  const Step steps[] = {
      {&KRSMARTDrive::parseInfo, "Exception occured in parseInfo- %@: %@"},
      {&KRSMARTDrive::parseKindLogs, "Exception occured in parseKindLogs. %@: %@"},
      {&KRSMARTDrive::parseHealth, "Exception occured in parseHealth. %@: %@"},
      {&KRSMARTDrive::parseCapabilities, "Exception occured in parseCapabilities. %@: %@"},
      {&KRSMARTDrive::parseAttributes, "Exception occured in parseAttributes. %@: %@"},
      {&KRSMARTDrive::parseErrorLog, "Exception occured in parseErrorLog. %@: %@"},
      {&KRSMARTDrive::parseSelftestLog, "Exception occured in parseSelftestLog. %@: %@"},
      {&KRSMARTDrive::saveRawData, "Exception occured in saveRawData. %@: %@"},
  };
  for (const Step& step : steps) {
    // A replayed drive never rewrites a raw-data file, nor does one that
    // stopped answering.
    if (step.run == &KRSMARTDrive::saveRawData && (driveFromFile || runWentUnanswered)) continue;
    if (!runsStep(step.run)) continue;
    try {
      (this->*step.run)();
      platform::notifications().post(kProgressNotification, "NONE");
    } catch (const std::exception& e) {
      auto [name, reason] = describeFailure(e);
      platform::log(format(step.failureMessage, name, reason));
      exceptionOccurred_ = true;
    }
  }
  checking = false;
  // A sleeping disk keeps the state of the last check that read it.
  if (asleep) findings = lastCheck;

  if (timedOutAfter) {
    // A finding made before the silence outranks it; "passed" does not.
    if (findings.health == logs::kHealthPassed) findings.health = logs::kHealthUnknown;
    addFailureReasonsString(noAnswerReason(*timedOutAfter));
  }

  if (exceptionOccurred_ && !enableCommandLineOption) {
    platform::showCriticalAlert(
        platform::localized("Main", "Exception1", "An Error Occurred"),
        platform::failureAlertText("An error occurred attempting to read some SMART data. That data will not be "
                                   "available to view. Please contact %@ for help."),
        platform::localized("Main", "OK", "OK"));
  }
}

void KRSMARTDrive::parseInfo() {
  // A replayed NVMe or SCSI drive is judged from its file, without smartctl.
  std::optional<logs::OutputLines> lines = capturedReplay();
  if (lines) smartSupport = true;
  else lines = runStep(kArgIdentity, "Error parsing information.");
  if (!lines || !takeKind(*lines)) return;
  if (isOtherKind()) parseKindIdentity(*lines);
  else logs::parseAtaIdentity(*lines, settings(), identity, [this] { return reenableSMART(); });
}

bool KRSMARTDrive::reenableSMART() {
  argumentCode = kArgEnableSMART;
  std::optional<logs::OutputLines> answer = runSMARTbinary(false);
  bool reenabled = false;
  for (const std::string& reply : answer.value_or(logs::OutputLines{})) {
    if (!platform::contains(reply, "SMART Enabled.")) continue;
    reenabled = true;
    debug("SMART Reenabled.");
  }
  return reenabled;
}

void KRSMARTDrive::parseHealth() {
  std::optional<logs::OutputLines> lines = runStep(kArgHealth, "Error parsing health.");
  if (lines) logs::parseAtaHealth(*lines, settings(), overallHealth, findings);
}

void KRSMARTDrive::parseCapabilities() {
  std::optional<logs::OutputLines> lines = runStep(kArgCapabilities, "Error parsing capabilities.");
  if (!lines) return;
  testInProgress = false;
  logs::parseAtaCapabilities(*lines, settings(), capabilities, findings);
}

void KRSMARTDrive::parseAttributes() {
  std::optional<logs::OutputLines> lines = runStep(kArgAttributes, "Error parsing attributes.");
  if (!lines) return;
  withRemembered([&](logs::Remembered& remembered) {
    logs::parseAtaAttributes(*lines, settings(), remembered, attributes, findings);
  });
}

void KRSMARTDrive::parseErrorLog() {
  std::optional<logs::OutputLines> lines = runStep(kArgErrorLog, "Error parsing error log.");
  if (!lines) return;
  withRemembered([&](logs::Remembered& remembered) {
    logs::parseAtaErrorLog(*lines, settings(), remembered, errorLog, findings);
  });
}

void KRSMARTDrive::parseSelftestLog() {
  std::optional<logs::OutputLines> lines = runStep(kArgSelfTestLog, "Error parsing self test log.");
  if (!lines) return;
  // SMART switched off keeps the drive busy as a self-test would.
  auto smartDisabled = [this] {
    std::lock_guard lock(gTestsInProgressMutex);
    platform::Preferences& prefs = platform::prefs();
    prefs.setInteger(platform::keys::kTestsInProgress, prefs.integerForKey(platform::keys::kTestsInProgress) + 1);
    testInProgress = true;
  };
  withRemembered([&](logs::Remembered& remembered) {
    logs::parseAtaSelfTestLog(*lines, settings(), remembered, selfTests, findings, smartDisabled);
  });
}

void KRSMARTDrive::parseSelectiveLog() { runStep(kArgSelectiveLog, "Error parsing selective test log."); }
