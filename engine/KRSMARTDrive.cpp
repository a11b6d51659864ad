// Set-up, the update cycle and the overall health step of the drive record.
#include "engine/KRSMARTDrive.h"

#include <filesystem>
#include <stdexcept>

#include "platform/Exception.h"
#include "platform/Format.h"
#include "platform/Platform.h"

using platform::format;

namespace {

const char* kProgressNotification = "KRUpdateInfoProgressBar";

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

void KRSMARTDrive::addFailureReasonsString(const std::string& reason) {
  if (!failureReasonsText) failureReasonsText.emplace();
  failureReasonsText->push_back(reason);
}

void KRSMARTDrive::debug(const std::string& message) const {
  if (outputDebugMessages) platform::log(message);
}

std::string KRSMARTDrive::rememberedKey(const std::string& suffix) const {
  return (serialNumber ? *serialNumber : location.value_or("")) + suffix;
}

void KRSMARTDrive::updateInfo() {
  debug(format("Updating drive: %@", location.value_or("")));
  selftestFail = false;
  reallocatedSectorsFail = reallocatedEventsFail = currentSectorsFail = offlineSectorsFail = otherAttributesFail = 1;
  errorsFail = false;
  testsFail = false;
  health = kHealthPassed;
  exceptionOccurred_ = false;

  struct Step {
    void (KRSMARTDrive::*run)();
    const char* failureMessage;
  };
  const Step steps[] = {
      {&KRSMARTDrive::parseInfo, "Exception occured in parseInfo- %@: %@"},
      {&KRSMARTDrive::parseHealth, "Exception occured in parseHealth. %@: %@"},
      {&KRSMARTDrive::parseCapabilities, "Exception occured in parseCapabilities. %@: %@"},
      {&KRSMARTDrive::parseAttributes, "Exception occured in parseAttributes. %@: %@"},
      {&KRSMARTDrive::parseErrorLog, "Exception occured in parseErrorLog. %@: %@"},
      {&KRSMARTDrive::parseSelftestLog, "Exception occured in parseSelftestLog. %@: %@"},
      {&KRSMARTDrive::saveRawData, "Exception occured in saveRawData. %@: %@"},
  };
  for (const Step& step : steps) {
    // A replayed drive never rewrites a raw-data file.
    if (step.run == &KRSMARTDrive::saveRawData && driveFromFile) continue;
    try {
      (this->*step.run)();
      platform::notifications().post(kProgressNotification, "NONE");
    } catch (const std::exception& e) {
      auto [name, reason] = describeFailure(e);
      platform::log(format(step.failureMessage, name, reason));
      exceptionOccurred_ = true;
    }
  }

  if (exceptionOccurred_ && !enableCommandLineOption) {
    platform::showCriticalAlert(
        platform::localized("Main", "Exception1", "An Error Occurred"),
        platform::localized("Main", "Exception2",
                            std::string("An error occurred attempting to read some SMART data. That data will not "
                                        "be available to view. Please contact ") +
                                platform::kSupportAddress + " for help."),
        platform::localized("Main", "OK", "OK"));
  }
}

void KRSMARTDrive::parseHealth() {
  argumentCode = kArgHealth;
  std::optional<OutputLines> lines = runSMARTbinary(false);
  if (!lines) {
    debug("Error parsing health.");
    return;
  }
  debug("Parsing health.");
  if (lines->size() < 4) {
    debug("Error parsing health: health not returned.");
    health = kHealthUnknown;
    return;
  }
  static const std::string kLabel = "result: ";
  for (size_t i = 3; i < lines->size(); ++i) {
    const std::string& line = (*lines)[i];
    size_t at = line.find(kLabel);
    if (at == std::string::npos) continue;
    overallHealth = line.substr(at + kLabel.size());
    if (overallHealth->find("PASSED") != std::string::npos) {
      health = kHealthPassed;
      debug("Found PASSED health.");
    } else if (overallHealth->find("FAILED") != std::string::npos) {
      health = kHealthFailed;
      debug("Found FAILED health.");
    } else {
      health = kHealthUnknown;
      debug("Could not find health.");
    }
    return;
  }
  debug("Error parsing health: health not returned.");
  health = kHealthUnknown;
}
